// `qvpack new`: a new project folder holding the smallest game that plays: one room with one
// object that greets the player and tells how to end the game.
#pragma once

#include <filesystem>
#include <string>

namespace qv::project {

// Creates `dir` (which must not exist yet) with the project's files. False with the reason in
// `failure` when the folder exists or cannot be written.
bool NewProject(const std::filesystem::path& dir, std::string& failure);

}  // namespace qv::project
