// quorvane: plays the game appended to its own executable, or the game file named by its first argument.
#include "runner/runner_main.h"
#include "platform/leak_check_suppressions.h"

int main(int argc, char** argv) { return qv::runner::RunnerMain(argc, argv); }
