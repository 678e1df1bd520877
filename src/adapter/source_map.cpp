#include "adapter/source_map.h"

#include <algorithm>

namespace qv::adapter {

namespace {
// "./a//b.txt" and "a/b.txt" name the same file.
std::string tidy(std::string path) {
  std::string out;
  size_t i = 0;
  while (i < path.size()) {
    size_t end = path.find('/', i);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(i, end - i);
    if (!part.empty() && part != ".") {
      if (!out.empty() || path[0] == '/') out += '/';
      out += part;
    }
    i = end + 1;
  }
  return out;
}
}  // namespace

void SourceMap::Set(data::CodeSources sources) {
  sources_ = std::move(sources);
  for (auto& f : sources_.files) f.file = tidy(f.file);
  byHash_.clear();
  for (size_t i = 0; i < sources_.files.size(); ++i)
    byHash_.emplace(sources_.files[i].hash, static_cast<int32_t>(i));
  lineStarts_.assign(sources_.files.size(), {});
}

int32_t SourceMap::FileOf(const code::CCode& code) {
  if (code.sourceTag != -1) return code.sourceTag;
  int32_t found = kNoSource;
  if (!byHash_.empty()) {
    auto [first, last] = byHash_.equal_range(data::CodeTextHash(code.Text()));
    for (auto it = first; it != last; ++it) found = found == kNoSource ? it->second : std::min(found, it->second);
  }
  code.sourceTag = found;
  return found;
}

int32_t SourceMap::LineOf(int32_t file, const code::CCode& code, int32_t position) {
  if (file < 0 || static_cast<size_t>(file) >= lineStarts_.size()) return 0;
  std::vector<int32_t>& starts = lineStarts_[static_cast<size_t>(file)];
  if (starts.empty()) {
    const std::string text = code.Text();
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (text[i] == '\r' || text[i] == '\n') starts.push_back(static_cast<int32_t>(i + 1));
    }
    starts.push_back(INT32_MAX);  // never empty again: the table is made once
  }
  const int32_t offset = position < 1 ? 0 : position - 1;
  return 1 + static_cast<int32_t>(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin());
}

int32_t SourceMap::FileNamed(const std::string& given) const {
  const std::string path = tidy(given);
  const std::string& folder = sources_.folder;
  for (size_t i = 0; i < sources_.files.size(); ++i) {
    const std::string& rel = sources_.files[i].file;
    if (path == rel || path == folder + "/" + rel) return static_cast<int32_t>(i);
  }
  // An editor that opened the folder under another path (a link, a mount): the path still ends
  // with the file's place in the folder.
  for (size_t i = 0; i < sources_.files.size(); ++i) {
    const std::string& rel = sources_.files[i].file;
    if (path.size() > rel.size() && path.compare(path.size() - rel.size(), rel.size(), rel) == 0 &&
        path[path.size() - rel.size() - 1] == '/')
      return static_cast<int32_t>(i);
  }
  return -1;
}

std::string SourceMap::PathOf(int32_t file) const {
  return sources_.folder + "/" + sources_.files[static_cast<size_t>(file)].file;
}

}  // namespace qv::adapter
