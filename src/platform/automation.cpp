#include "platform/automation.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace qv::platform {

bool headlessMode() {
  const char* v = std::getenv("QUORVANE_HEADLESS");
  return v && std::strcmp(v, "1") == 0;
}

std::optional<std::vector<int64_t>> ParseScreenshotSteps(std::string_view text, std::string* error) {
  std::vector<int64_t> steps;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    std::string_view item = text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    while (!item.empty() && blank(item.front())) item.remove_prefix(1);
    while (!item.empty() && blank(item.back())) item.remove_suffix(1);
    int64_t step = 0;
    const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), step);
    if (item.empty() || ec != std::errc() || end != item.data() + item.size() || step < 1) {
      if (error) *error = "\"" + std::string(item) + "\" is not a step number (1 or more)";
      return std::nullopt;
    }
    steps.push_back(step);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return steps;
}

std::string ScreenshotFileName(const std::string& name, int64_t step, bool severalSteps) {
  if (!severalSteps) return name;
  const std::filesystem::path p(name);
  std::filesystem::path out = p.parent_path() / (p.stem().string() + "-" + std::to_string(step) + p.extension().string());
  return out.string();
}

}  // namespace qv::platform
