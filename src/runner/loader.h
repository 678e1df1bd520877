// Loading: the sixteen resource chunks of the main section, in their fixed order, each with its
// progress text, each through the reader of the resource's owner.
//
// Resources whose subsystems are not built yet (extension packages, the game information) are read through their frames and their records kept as bytes, so every game
// file loads and the records are there for their owners.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "data/container.h"
#include "data/stream.h"

namespace qv::runner {

// The records kept for a resource kind that has no reader yet: per slot, its name and record bytes
// (an empty record with exists false for a deleted slot).
struct KeptRecord {
  bool exists = false;
  std::string name;
  data::CStream record;
};
std::vector<KeptRecord>& keptRecords(data::ChunkId chunk);

// The game's constants as (name, value text) pairs, prepared later.
std::vector<std::pair<std::string, std::string>>& gameConstants();

// The loading table's row for a chunk: its percentage and its text.
struct LoadStep {
  data::ChunkId chunk;
  int percent;
  const char* text;
};
const std::vector<LoadStep>& LoadSteps();

// Reads every chunk from `main` (positioned at the first chunk); shows the failure messages. A
// stream that ends early throws StreamError, which start-up turns into its own message.
bool LoadAll(data::CStream& main);

}  // namespace qv::runner
