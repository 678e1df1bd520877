// qvscript FILE [SCRIPT...]: runs a program of the scripting language without a window.
#include <cstdio>
#include <string>
#include <vector>

#include "code/families.h"
#include "code/script_runner.h"
#include "datastructures/builtins.h"
#include "platform/leak_check_suppressions.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qvscript FILE [SCRIPT...]\n");
    return 2;
  }
  // The language's own families and the data structures: nothing that needs a window or sound.
  std::vector<qv::code::BuiltinFamily> families = qv::code::CoreFamilies();
  families.push_back(qv::datastructures::DataStructureFunctions());
  qv::code::SetBuiltinFamilies(std::move(families));
  std::vector<std::string> scripts(argv + 2, argv + argc);
  return qv::code::RunScriptFiles(argv[1], scripts);
}
