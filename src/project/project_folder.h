// The game project folder: a game as files for people and version control (docs/project-format.md).
//
//   game.json                     settings, header fields, constants, room order, slot counts
//   sprites/NAME.json             fields; frames in sprites/NAME/0.png ..., masks in maskN.png
//   backgrounds/NAME.json, .png
//   sounds/NAME.json, the sound's original bytes
//   fonts/NAME.json, NAME.png     fields and glyphs; the glyph sheet's coverage as alpha
//   scripts/NAME.json, NAME.txt   the script's text
//   objects/NAME.json             fields, events and actions; code actions' code in .txt files
//   time_lines/NAME.json          moments and their actions
//   triggers/NAME.json, NAME.txt  fields; the condition
//   rooms/NAME.json               fields, layers, views, instances, tiles; creation code in .txt files
//   included_files/NAME.json      fields; the bytes in included_files/data/NAME
//   extension_packages/NAME.json  files, functions, constants; the files block in data/NAME.bin
//   library_init/N.txt            library initialization code, in order
//   paths/NAME.json               kind and points
//   raw/game_information.bin      the game information block, kept byte for byte
//
// Names, not indices, tie resources together; each resource's .json keeps its index so that
// unpacking and building again reproduces the same game.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "project/game_package.h"

namespace qv::project {

// One problem of a project: the file (relative to the project folder), the field within it (empty
// when the whole file is meant) and what is wrong. A problem at a place in a file of its own (a
// script, a code file, a JSON syntax error) also has the line and column (from 1) and that line's
// text, and is written the way editors follow: "file:line:column: error: message", then the line
// and a caret under the column.
struct ProjectError {
  ProjectError(std::string file, std::string field, std::string message)
      : file(std::move(file)), field(std::move(field)), message(std::move(message)) {}
  std::string file;
  std::string field;
  std::string message;
  int32_t line = 0, column = 0;  // 0: no place
  std::string source;            // the text of that line
  bool hasPlace() const { return line > 0; }
  std::string text() const;  // "file: field: message", or the form with a place
};

// How a program reports a problem of the project in `folder`: with a place, as
// "folder/file:line:column: error: ..." for editors to follow; else "program: file: field: ...".
std::string ReportText(ProjectError error, const std::filesystem::path& folder, const std::string& program);

// Something in a project that builds but is likely a mistake: a place in a piece of code (the file
// holding it, or the JSON file and field when the code is inline; line and column count from 1
// within that code) and what is wrong.
struct ProjectWarning {
  std::string file;
  std::string field;
  int32_t line = 1;
  int32_t column = 1;
  std::string message;
  std::string text() const;  // "file:line:column: warning: message" ("file: field:line:column: ...")
};

// Writes the package as a project into `dir` (with or without a trailing separator), which must
// not exist or be an empty folder. The folder is made beside `dir` under a temporary name and
// renamed at the end, so a failure leaves nothing, not even the parent folders it made.
bool UnpackProject(const GamePackage& package, const std::filesystem::path& dir, std::string& failure);

// Reads a project folder into a package. Every problem found is listed in `errors` (all resources
// are checked, not only the first failing one); the package is complete only when it is empty.
// Scripts are compiled to find errors in them; the compiled code is not kept. `warnings`, when
// given, receives every name that code reads but that is no resource, constant, built-in variable
// or script and that no code of the project assigns (a misspelt name, most likely).
//
// A game.json without last_instance_id (last_tile_id) takes the largest id placed in a room, so
// that ids handed out at run time never meet a placed one; a stated value below a placed id is an
// error of the room that places it.
bool LoadProject(const std::filesystem::path& dir, GamePackage& out, std::vector<ProjectError>& errors,
                 std::vector<ProjectWarning>* warnings = nullptr);

// The folder name of each kind of chunk in a project ("sprites", "rooms", "paths", ...).
std::string KindFolder(data::ChunkId chunk);

}  // namespace qv::project
