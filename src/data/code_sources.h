// Where the code of a game built in debug mode came from: the project folder and, for each piece
// of code kept in a text file of its own (a script, a code action's file, creation code), the
// file's path in the folder and a hash of its text. The debug adapter maps breakpoints on lines of
// those files to the compiled code through it.
//
// It travels as a trailer after the game data, which the game reader never reads:
//   text | uint32 length of the text (little-endian) | the 8 bytes "QVSOURCE"
// The text is the folder on its first line, then one line a file: 16 hex digits of the hash, a
// blank and the path relative to the folder. Only debug builds carry it; release games carry no
// paths of the author's machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::data {

struct CodeSource {
  uint64_t hash = 0;  // CodeTextHash of the text
  std::string file;   // relative to the folder, with '/'
  bool operator==(const CodeSource&) const = default;
};

struct CodeSources {
  std::string folder;  // absolute
  std::vector<CodeSource> files;
  bool operator==(const CodeSources&) const = default;
};

// FNV-1a over the bytes of a piece of code, as stored in the game.
uint64_t CodeTextHash(std::string_view text);

// The trailer is bounded (a larger one, or a damaged one, reads as none).
inline constexpr size_t kMaxCodeSourcesBytes = size_t{16} << 20;

void AppendCodeSources(std::vector<uint8_t>& file, const CodeSources& sources);
std::optional<CodeSources> ReadCodeSources(const std::vector<uint8_t>& file);

}  // namespace qv::data
