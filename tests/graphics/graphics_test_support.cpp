#include "graphics_test_support.h"

#include <unistd.h>

#include <filesystem>

namespace qv::graphics::testing {

std::string TempPath(const std::string& name) {
  const auto dir = std::filesystem::temp_directory_path() / ("qv_graphics_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

}  // namespace qv::graphics::testing
