// qvpack: turns game project folders into games and back (src/project/).
#include "game/families.h"
#include "project/packer.h"
#include "platform/leak_check_suppressions.h"

int main(int argc, char** argv) {
  // The packer checks every piece of code against the game's own functions.
  qv::game::UseGameFamilies();
  return qv::project::PackMain(argc, argv);
}
