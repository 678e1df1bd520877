// The packer's commands: build a game from a project folder, unpack a game into one, and
// summarise a game. apps/qvpack is a thin main over PackMain.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "project/game_package.h"
#include "project/project_folder.h"

namespace qv::project {

// qvpack build DIR -o GAME [--runner RUNNER | --data-only] | unpack GAME -o DIR | info GAME [--json].
// Messages go to stderr, the summary to stdout. Status 0 on success, 1 on failure, 2 on bad usage.
int PackMain(int argc, char** argv);

// Builds the project in `dir` into `game`: the runner's bytes, then the game at the first marker
// offset past them; made executable. An empty `runner` writes the game data alone (zeros up to the
// first marker offset, then the game): a data-only game file that an installed runner plays. Nothing is written when anything fails: the file is written
// under a temporary name beside `game` (".GAME.building-N", locked while it is written) and
// renamed at the end, and a partial file that a killed build left there is removed by the next
// build of the same game. Warnings (see LoadProject) never stop a build.
bool BuildGame(const std::filesystem::path& dir, const std::filesystem::path& runner,
               const std::filesystem::path& game, std::vector<ProjectError>& errors,
               std::vector<ProjectWarning>* warnings = nullptr);

// Settings and resource counts, as text lines or as a JSON document.
std::string SummaryText(const GamePackage& package);
std::string SummaryJson(const GamePackage& package);

}  // namespace qv::project
