// The runner's process: temporary directory, game file, loading, the game, clean-up.
#pragma once

namespace qv::runner {

// Runs the whole process and returns its exit status (0 when the game ran and ended).
int RunnerMain(int argc, char** argv);

}  // namespace qv::runner
