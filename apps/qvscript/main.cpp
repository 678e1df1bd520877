// qvscript FILE [SCRIPT...]: runs a program of the scripting language without a window, as the code
// of one instance in a room.
#include <cstdio>
#include <string>
#include <vector>

#include "code/script_runner.h"
#include "game/families.h"
#include "game/script_room.h"
#include "platform/leak_check_suppressions.h"

namespace {
constexpr const char* kUsage = "usage: qvscript FILE [SCRIPT...]\n";
constexpr const char* kHelp =
    "Runs FILE, a program of the games' scripting language, without a window. Each further file\n"
    "is a script the program can call by its name (the file name without its extension).\n"
    "The program runs as the code of the one instance (id 100001, at 0, 0) of object obj_program\n"
    "in room rm_program, with every built-in function and variable of a game.\n"
    "show_debug_message writes a line to stdout; errors go to stderr.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "Exit status: 0 the program ran to its end; 1 it did not compile or stopped at an error;\n"
    "2 bad usage or a file that cannot be read.\n";
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string first = argv[1];
  if (first == "--help") {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (first == "--version") {
    std::printf("qvscript %s\n", QV_VERSION);
    return 0;
  }
  if (first.size() > 1 && first[0] == '-' && first != "-") {
    std::fprintf(stderr, "qvscript: unknown option %s (try --help)\n", first.c_str());
    return 2;
  }
  // The game's own functions, on the game's instance records; no window is opened.
  qv::game::UseGameFamilies();
  std::vector<std::string> scripts(argv + 2, argv + argc);
  return qv::code::RunScriptFiles(argv[1], scripts, qv::game::ScriptRoomStage());
}
