// qvpack: turns game project folders into games and back.
#include <cstdio>

int main() {
  std::fprintf(stderr, "qvpack: not built yet\n");
  return 1;
}
