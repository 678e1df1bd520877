// The library behind qvscript: compiles a program and runs it as the code of one instance.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qv::code {

class CInstanceBase;

// Where the program runs. `enter` is called before anything compiles (the stage's resource names
// are names of the code) and gives the instance the program runs as (self and other), or nullptr
// when it cannot; `leave` is called at the end, whatever happened. Without a stage the
// program runs on a blank record in a plain instance list (the language alone, no world).
struct ScriptStage {
  std::function<CInstanceBase*()> enter;
  std::function<void()> leave;
};

// Loads each script file (named after its file name up to the first dot), compiles the scripts and
// the program, and runs the program. show_debug_message lines go to stdout, error messages to
// stderr. Returns the process exit status: 1 after a compile error, a fatal error or a run-time
// error that stopped the program, 2 when a file cannot be read, else 0.
int RunScriptFiles(const std::string& programPath, const std::vector<std::string>& scriptPaths,
                   const ScriptStage& stage = {});

}  // namespace qv::code
