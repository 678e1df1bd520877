// qvscript: runs a program of the scripting language without a window.
#include <cstdio>

int main() {
  std::fprintf(stderr, "qvscript: the interpreter is not built yet\n");
  return 1;
}
