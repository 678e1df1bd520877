// qvpack: turns game project folders into games and back (src/runner/project/).
#include "runner/project/packer.h"
#include "platform/leak_check_suppressions.h"

int main(int argc, char** argv) { return qv::runner::project::PackMain(argc, argv); }
