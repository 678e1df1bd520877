#include "data/kept_records.h"

#include <array>

namespace qv::data {

std::vector<KeptRecord>& keptRecords(ChunkId chunk) {
  static std::array<std::vector<KeptRecord>, kChunkCount> kept;
  return kept[static_cast<size_t>(chunk)];
}

}  // namespace qv::data
