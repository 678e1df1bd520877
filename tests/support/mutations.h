// Random damage for the mutation tests that stand beside the fuzz targets in every run: a few
// edits of a good input, each changing a byte, removing one, inserting one of the characters that
// matter to the reader, or cutting the input short.
#pragma once

#include <random>
#include <string>
#include <string_view>

namespace qv::testing {

inline std::string Mutate(std::string text, std::mt19937& random, std::string_view inserts, int maxEdits = 4) {
  for (int edits = 1 + int(random() % unsigned(maxEdits)); edits > 0 && !text.empty(); --edits) {
    const size_t at = random() % text.size();
    switch (random() % 4) {
      case 0: text[at] = static_cast<char>(random()); break;
      case 1: text.erase(at, 1); break;
      case 2: text.insert(at, 1, inserts[random() % inserts.size()]); break;
      default: text.resize(at); break;
    }
  }
  return text;
}

}  // namespace qv::testing
