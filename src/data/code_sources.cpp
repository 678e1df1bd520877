#include "data/code_sources.h"

#include <cstdio>
#include <cstring>

namespace qv::data {

namespace {
constexpr char kMark[8] = {'Q', 'V', 'S', 'O', 'U', 'R', 'C', 'E'};
constexpr size_t kTail = 4 + sizeof kMark;

bool hexValue(std::string_view digits, uint64_t& out) {
  if (digits.size() != 16) return false;
  out = 0;
  for (char c : digits) {
    int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (v < 0) return false;
    out = out << 4 | static_cast<uint64_t>(v);
  }
  return true;
}
}  // namespace

uint64_t CodeTextHash(std::string_view text) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

void AppendCodeSources(std::vector<uint8_t>& file, const CodeSources& sources) {
  std::string text = sources.folder + "\n";
  for (const CodeSource& s : sources.files) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(s.hash));
    text += std::string(hex) + " " + s.file + "\n";
  }
  file.insert(file.end(), text.begin(), text.end());
  const auto n = static_cast<uint32_t>(text.size());
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(n >> (8 * i)));
  file.insert(file.end(), kMark, kMark + sizeof kMark);
}

std::optional<CodeSources> ReadCodeSources(const std::vector<uint8_t>& file) {
  if (file.size() < kTail || std::memcmp(file.data() + file.size() - sizeof kMark, kMark, sizeof kMark) != 0)
    return std::nullopt;
  const uint8_t* n = file.data() + file.size() - kTail;
  const size_t length = size_t{n[0]} | size_t{n[1]} << 8 | size_t{n[2]} << 16 | size_t{n[3]} << 24;
  if (length > kMaxCodeSourcesBytes || length > file.size() - kTail) return std::nullopt;
  std::string_view text(reinterpret_cast<const char*>(n) - length, length);
  CodeSources out;
  size_t end = text.find('\n');
  if (end == std::string_view::npos) return std::nullopt;
  out.folder = std::string(text.substr(0, end));
  text.remove_prefix(end + 1);
  while (!text.empty()) {
    end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    CodeSource s;
    if (line.size() < 18 || line[16] != ' ' || !hexValue(line.substr(0, 16), s.hash)) return std::nullopt;
    s.file = std::string(line.substr(17));
    out.files.push_back(std::move(s));
  }
  return out;
}

}  // namespace qv::data
