// Fuzz entry for reading game projects: the demo project is copied once; each input replaces one
// of its JSON files (the first byte picks which, the rest is the file) and the project is read.
// Every outcome must be a list of problems or a whole game that the packer can write: never a
// crash, a hang or an unbounded allocation, whatever the fields, kinds, names and numbers say.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/families.h"
#include "project/game_package.h"
#include "project/project_folder.h"

namespace {

namespace fs = std::filesystem;

struct Project {
  fs::path root;
  std::vector<fs::path> jsonFiles;  // sorted, relative to the root
};

Project& project() {
  static Project p;
  return p;
}

std::string readAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const fs::path& file, const char* data, size_t size) {
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(data, static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Project& p = project();
  p.root = fs::temp_directory_path() / ("qv_fuzz_project_" + std::to_string(getpid()));
  fs::remove_all(p.root);
  fs::copy(QV_SOURCE_DIR "/examples/demo", p.root, fs::copy_options::recursive);
  for (const auto& entry : fs::recursive_directory_iterator(p.root))
    if (entry.is_regular_file() && entry.path().extension() == ".json")
      p.jsonFiles.push_back(fs::relative(entry.path(), p.root));
  std::sort(p.jsonFiles.begin(), p.jsonFiles.end());
  if (p.jsonFiles.empty()) __builtin_trap();
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(project().root, ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::game::UseGameFamilies();
  using namespace qv::project;
  if (size == 0) return 0;
  Project& p = project();
  const fs::path file = p.root / p.jsonFiles[data[0] % p.jsonFiles.size()];
  const std::string original = readAll(file);
  writeAll(file, reinterpret_cast<const char*>(data + 1), size - 1);
  GamePackage package;
  std::vector<ProjectError> errors;
  if (LoadProject(p.root, package, errors) && errors.empty()) (void)WriteGamePackage(package, {});
  writeAll(file, original.data(), original.size());
  return 0;
}
