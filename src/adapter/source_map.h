// The project files of a game built in debug mode, and the way from a piece of compiled code to
// its file and from a position in its text to a line.
//
// A piece of code is matched to its file by the hash of its text (data/code_sources), looked up
// once per compiled piece and noted in the piece itself (CCode::sourceTag). Two files with the
// very same text cannot be told apart: both map to the first.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "code/ccode.h"
#include "data/code_sources.h"

namespace qv::adapter {

inline constexpr int32_t kNoSource = -2;  // a sourceTag: the code has no project file

class SourceMap {
 public:
  void Set(data::CodeSources sources);
  const data::CodeSources& sources() const { return sources_; }

  // The file index of `code`, or kNoSource.
  int32_t FileOf(const code::CCode& code);
  // The 1-based line of a 1-based text position in file `file` (lines end at CR, LF or CR LF, as
  // the compiler counts them). The line table is made from `code`'s text on first use.
  int32_t LineOf(int32_t file, const code::CCode& code, int32_t position);
  // The file an editor names by its path (absolute, or relative to the project folder), or -1.
  int32_t FileNamed(const std::string& path) const;
  // The path an editor opens for file `file`.
  std::string PathOf(int32_t file) const;
  const std::string& RelativePath(int32_t file) const { return sources_.files[static_cast<size_t>(file)].file; }

 private:
  data::CodeSources sources_;
  std::unordered_multimap<uint64_t, int32_t> byHash_;
  std::vector<std::vector<int32_t>> lineStarts_;  // per file: 0-based offsets where lines 2, 3, ... begin
};

}  // namespace qv::adapter
