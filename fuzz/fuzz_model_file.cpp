// Feeds arbitrary bytes to the model file reader (d3d_model_load). Checks: memory stays bounded
// by the file's size (an announced count beyond MaxModelEntries is refused); a model read (even
// part way) turns into vertices without fault; and what the writer makes of the entries reads
// back as the same entries, each value rounded to 4 decimals as written.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/d3d_model.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_model_file: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qv::graphics;
  std::vector<ModelEntry> entries;
  const ModelRead r = ReadModelText(data, size, entries);
  check(entries.size() <= MaxModelEntries(size), "the entries stay within the file's bound");
  if (r == ModelRead::BadVersion || r == ModelRead::CountRefused) check(entries.empty(), "a refused file reads nothing");
  // Drawing's vertex lists, bounded too (the shapes' steps are limited to 3..128).
  std::vector<qv::platform::Vertex> vertices;
  std::vector<ModelRun> runs;
  if (entries.size() <= 4096) BuildModelVertices(entries, 0xFFFFFFFF, vertices, runs);
  for (const ModelRun& run : runs) check(run.first >= 0 && size_t(run.first + run.count) <= vertices.size(), "runs lie in the buffer");
  // Write and read again: the values as written (4 decimals or 15 significant digits).
  const std::string text = ModelFileText(entries);
  std::vector<ModelEntry> again;
  const ModelRead r2 = ReadModelText(reinterpret_cast<const uint8_t*>(text.data()), text.size(), again);
  check(r2 == ModelRead::Read, "a written model reads");
  check(again.size() == entries.size(), "with as many entries");
  for (size_t i = 0; i < entries.size(); ++i) {
    check(again[i].kind == entries[i].kind, "the same kinds");
    for (size_t k = 0; k < 10; ++k) {
      const double a = entries[i].e[k], b = again[i].e[k];
      check(std::fabs(a - b) <= 0.0000501 + std::fabs(a) * 1e-14, "values within the written precision");
    }
  }
  return 0;
}
