// The runner's process: temporary directory, game file, loading, the game, clean-up.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qv::runner {

// Exit statuses of the runner.
inline constexpr int kExitPlayed = 0;        // the game ran and ended (game_end, Esc, closed, steps done)
inline constexpr int kExitNotStarted = 1;    // the game could not be read, built or prepared
inline constexpr int kExitUsage = 2;         // an option the runner does not know
inline constexpr int kExitGameError = 3;     // the game ended by a fatal error or an aborted one
// After SIGINT or SIGTERM the game ends cleanly and the status is 128 + the signal (130, 143).

// Runs the whole process and returns its exit status (above).
//
// A runner that carries no game of its own reads its first argument: "--help" and "--version"
// are answered, any other "--" option is refused, a folder is built as a project and played, and
// anything else is the game file. A runner carrying a game passes every argument to the game.
int RunnerMain(int argc, char** argv);

// Builds a project folder into the bytes of a game file. The program sets it (it links the
// project library, which lies above the runner); without it a folder is not a game. Returns
// nullopt after writing the reasons to stderr.
using FolderBuilder = std::function<std::optional<std::vector<uint8_t>>(const std::string& folder)>;
void SetFolderBuilder(FolderBuilder builder);

// Opens, loads and prepares the game, then runs it. False when the game cannot be started (the
// reason was already shown). `executable` is the runner's own file; `arguments` its command line
// after the program name.
bool RunGame(const std::string& executable, const std::vector<std::string>& arguments);

// Reads a whole game file (image and appended data) through the real reader and loader and
// prepares it without a window: the way tests, benchmarks and fuzz targets start a game of their
// own making. False when reading, loading or preparing fails.
bool LoadGameInProcess(std::vector<uint8_t> file);

// The application's title: the game file's name without its extension.
const std::string& ApplicationTitle();

}  // namespace qv::runner
