// The runner's process: temporary directory, game file, loading, the game, clean-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv::runner {

// Runs the whole process and returns its exit status: 0 when the game was read (and, once the
// later stages exist, played) to its end; 1 after a start-up failure, whose message was shown.
int RunnerMain(int argc, char** argv);

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
