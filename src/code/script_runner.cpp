#include "code/script_runner.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "code/ccode.h"
#include "code/debug_output.h"
#include "code/errors.h"
#include "code/instance_world.h"
#include "code/interpreter.h"
#include "code/registry.h"

namespace qv::code {

namespace {

bool readFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

std::string scriptNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  return file.substr(0, file.find('.'));
}

}  // namespace

int RunScriptFiles(const std::string& programPath, const std::vector<std::string>& scriptPaths) {
  // No window is ever opened: errors go to stderr and take the automatic answer.
  setenv("QUORVANE_HEADLESS", "1", 0);
  SetDebugMessageSink([](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
  });
  for (const std::string& path : scriptPaths) {
    std::string text;
    if (!readFile(path, text)) {
      std::fprintf(stderr, "qvscript: cannot read %s\n", path.c_str());
      return 2;
    }
    AddScript(scriptNameOf(path), std::move(text));
  }
  std::string program;
  if (!readFile(programPath, program)) {
    std::fprintf(stderr, "qvscript: cannot read %s\n", programPath.c_str());
    return 2;
  }
  EnsureBuiltinsRegistered();
  if (!CompileScripts()) return 1;
  CCode code(program, false);
  if (!code.Compile()) {
    const std::string message = errorState().current;
    ClearRecordedError();
    HandleError(message, true);
    return 1;
  }
  // The blank instance is entry 0 of the instance list: id 100000, object 0.
  SimpleInstanceWorld world;
  world::CInstance& self = world.add(100000, 0);
  SetInstanceWorld(&world);
  RValue result;
  ExecuteAction(code, &self, &self, result);
  SetInstanceWorld(nullptr);
  std::fflush(stdout);
  return errorState().aborting ? 1 : 0;
}

}  // namespace qv::code
