// quorvane: plays the game appended to itself, a game file, or a game project folder built in
// memory (src/runner/ over the engine; src/project/ builds folders).
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "data/code_sources.h"
#include "project/game_package.h"
#include "project/project_folder.h"
#include "runner/runner_main.h"
#include "platform/leak_check_suppressions.h"

namespace {

// A folder is read the way `qvpack build` reads it; its warnings and errors go to stderr with the
// folder's path in front, as FILE:LINE:COLUMN for editors to follow.
std::optional<std::vector<uint8_t>> BuildFolder(const std::string& folder) {
  qv::project::GamePackage package;
  std::vector<qv::project::ProjectError> errors;
  std::vector<qv::project::ProjectWarning> warnings;
  const bool loaded = qv::project::LoadProject(folder, package, errors, &warnings);
  for (qv::project::ProjectWarning w : warnings) {
    w.file = (std::filesystem::path(folder) / w.file).generic_string();
    std::fprintf(stderr, "%s\n", w.text().c_str());
  }
  if (!loaded) {
    for (const auto& e : errors) std::fprintf(stderr, "%s\n", qv::project::ReportText(e, folder, "quorvane").c_str());
    std::fprintf(stderr, "quorvane: %s: the game folder does not build\n", folder.c_str());
    return std::nullopt;
  }
  std::vector<uint8_t> game = qv::project::WriteGamePackage(package, {});
  // Built in memory on the author's machine: the code's files go with it even without the debug
  // flag, so that QUORVANE_DEBUG=1 with QUORVANE_DAP_PORT can set breakpoints in any folder.
  if (!package.debug_mode) qv::data::AppendCodeSources(game, package.code_sources);
  return game;
}

}  // namespace

int main(int argc, char** argv) {
  qv::runner::SetFolderBuilder(BuildFolder);
  return qv::runner::RunnerMain(argc, argv);
}
