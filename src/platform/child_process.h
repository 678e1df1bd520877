// Starting other programs directly, never through a shell: the arguments reach the program as
// they are, so ";", "|" or "$(...)" in them are only characters.
#pragma once

#include <string>
#include <vector>

namespace qv::platform {

// Starts `program` with `arguments` (argv[1] onwards; argv[0] is `program`) in the current
// directory. A program name without "/" is looked up on PATH. The process id, or -1 when the
// program cannot be started (missing, not executable, no process left).
// `extraEnvironment` entries ("NAME=value") are added to this process's environment for the child.
int StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& extraEnvironment = {});

// True once the child has ended (it is reaped then); true too for an id that is no child of ours.
bool ProgramEnded(int pid);

// Reaps the children started without waiting that have ended since, so none stays a zombie.
void ReapEndedPrograms();

}  // namespace qv::platform
