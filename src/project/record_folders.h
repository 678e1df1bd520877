// The project folders of the kinds whose records the package holds as bytes: paths, objects, time
// lines, triggers, rooms, included files and extension packages. Unpacking reads each record with
// its owner's reader and writes typed JSON (names for references, code in text files); loading
// writes the record again with the owner's writer (docs/project-format.md).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "project/game_package.h"
#include "project/project_folder.h"

namespace qv::project {

// Code found while loading, compiled with the scripts once everything is read.
struct CodeCheck {
  std::string text;
  std::string file;
  std::string field;
  bool expression = false;  // an action argument: one expression, not statements
  bool functionName = false;  // the name of the function a function action calls, not code
};

// An instance or tile id placed in a room, and where the project gives it.
struct PlacedId {
  std::string file;
  std::string field;
  int32_t id = 0;
};
// Every id placed in the rooms. An instance or tile without an id gets the next one above the
// largest id the rooms give, in room index order and list order.
struct PlacedIds {
  std::vector<PlacedId> instances;
  std::vector<PlacedId> tiles;
};

// Writes the folders of these kinds; a record the runner would refuse throws std::runtime_error
// naming the resource.
void UnpackRecordFolders(const GamePackage& p, const std::filesystem::path& root);

// Reads the folders into `p`, whose other kinds are loaded already (references may name them).
// Problems go to `errors`; the code found (code actions, creation code, conditions, argument
// expressions) goes to `code` for compiling with the scripts; the ids placed in rooms to `placed`.
void LoadRecordFolders(const std::filesystem::path& root, GamePackage& p, std::vector<CodeCheck>& code,
                       PlacedIds& placed, std::vector<ProjectError>& errors);

// The trigger constant names of the package's triggers (empty names left out).
std::vector<std::string> TriggerConstantNames(const GamePackage& p);

}  // namespace qv::project
