// The library behind qvscript: compiles a program and runs it with a blank instance.
#pragma once

#include <string>
#include <vector>

namespace qv::code {

// Loads each script file (named after its file name up to the first dot), compiles the scripts and
// the program, and runs the program. show_debug_message lines go to stdout, error messages to
// stderr. Returns the process exit status: 1 after a compile error, a fatal error or a run-time
// error that stopped the program, 2 when a file cannot be read, else 0.
int RunScriptFiles(const std::string& programPath, const std::vector<std::string>& scriptPaths);

}  // namespace qv::code
