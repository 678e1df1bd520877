// The game functions for files, INI files, the registry, programs and the command line, in one
// family each.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "code/builtin.h"

namespace qv::system {

code::BuiltinFamily FileFunctions();        // binary, text and legacy files; files, directories, disks
code::BuiltinFamily FileSearchFunctions();  // file_find_*, file_attributes
code::BuiltinFamily FilenameFunctions();    // filename_*
code::BuiltinFamily IniFunctions();
code::BuiltinFamily RegistryFunctions();
code::BuiltinFamily ProgramFunctions();     // execute_*, parameter_*, environment_get_variable

// The game id that names the game's registry key; also selects HKEY_CURRENT_USER again.
void SetRegistryGameId(int id);

// The command line the game sees: entry 0 is the game, the rest its parameters.
void SetProgramParameters(std::vector<std::string> parameters);

// Called every 50 ms while execute_program waits for a program, so the window stays answered.
void SetProgramWaitPump(std::function<void()> pump);

// Set in the environment of a runner started to play the game file named by its first argument.
inline constexpr const char* kPlayArgumentVariable = "QUORVANE_PLAY_ARGUMENT";

// Opens a document or address with the desktop's handler (xdg-open); false when it cannot start.
bool OpenWithDesktop(const std::string& target);

// Closes every file a game has open (written text files replace their targets) and the INI file:
// at the end of a game and before a restart.
void CloseOpenFiles();
void CloseIniFile();
inline void CloseGameFiles() {
  CloseOpenFiles();
  CloseIniFile();
}

}  // namespace qv::system
