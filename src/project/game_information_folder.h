// The game information in a project: "game_information.json" with the window's settings and
// "game_information.rtf" with its rich text as stored. A block that does not read as exactly one
// game-information record is kept byte for byte in "raw/game_information.bin" instead; a game
// without one has neither file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "project/project_folder.h"

namespace qv::project {

void UnpackGameInformation(const std::vector<uint8_t>& block, const std::filesystem::path& root);

// The block the project's files describe (empty when it has none); problems go to `errors`.
std::vector<uint8_t> LoadGameInformation(const std::filesystem::path& root, std::vector<ProjectError>& errors);

}  // namespace qv::project
