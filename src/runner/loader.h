// Loading: the sixteen resource chunks of the main section, in their fixed order, each with its
// progress text, each through the reader of the resource's owner.
//
// The extension packages and the game information are read through their frames and their records
// kept as bytes (data/kept_records.h): the packer round-trips them and the game information window
// reads its record from there.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "data/container.h"
#include "data/stream.h"

namespace qv::runner {

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
