// qvscript FILE [SCRIPT...]: runs a program of the scripting language without a window.
#include <cstdio>
#include <string>
#include <vector>

#include "code/script_runner.h"
#include "platform/leak_check_suppressions.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qvscript FILE [SCRIPT...]\n");
    return 2;
  }
  std::vector<std::string> scripts(argv + 2, argv + argc);
  return qv::code::RunScriptFiles(argv[1], scripts);
}
