// Records kept as bytes: resources whose owners read them later (or not at all yet) keep, per
// slot, their name and record bytes, so that every game file loads and the packer round-trips them.
#pragma once

#include <string>
#include <vector>

#include "data/container.h"
#include "data/stream.h"

namespace qv::data {

// One slot: its name and record bytes (an empty record with exists false for a deleted slot).
struct KeptRecord {
  bool exists = false;
  std::string name;
  CStream record;
};

// The kept records of a chunk, by slot.
std::vector<KeptRecord>& keptRecords(ChunkId chunk);

}  // namespace qv::data
