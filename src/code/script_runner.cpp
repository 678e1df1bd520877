#include "code/script_runner.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
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

// Host text files end lines with LF; game code carries CR LF, which the error messages split at.
std::string withWindowsLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::string scriptNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  return file.substr(0, file.find('.'));
}

}  // namespace

int RunScriptFiles(const std::string& programPath, const std::vector<std::string>& scriptPaths,
                   const ScriptStage& stage) {
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
    AddScript(scriptNameOf(path), withWindowsLineEnds(text));
  }
  std::string program;
  if (!readFile(programPath, program)) {
    std::fprintf(stderr, "qvscript: cannot read %s\n", programPath.c_str());
    return 2;
  }
  EnsureBuiltinsRegistered();
  // The stage is entered before anything compiles: its resources (objects, rooms) are names the
  // compiler resolves. Without a stage the blank instance is entry 0 of a plain instance list: id
  // 100000, object 0.
  SimpleInstanceWorld world;
  CInstanceBase* self = nullptr;
  if (stage.enter) {
    self = stage.enter();
  } else {
    self = &world.add(100000, 0);
    SetInstanceWorld(&world);
  }
  const auto leave = [&stage] {
    if (!stage.enter) SetInstanceWorld(nullptr);
    else if (stage.leave) stage.leave();
  };
  if (!self || !CompileScripts()) {
    leave();
    return 1;
  }
  CCode code(withWindowsLineEnds(program), false);
  if (!code.Compile()) {
    const std::string message = errorState().current;
    ClearRecordedError();
    HandleError(message, true);
    leave();
    return 1;
  }
  RValue result;
  // An exception ends the running step in the runner (a ds_*_read of broken text, for one); here
  // the program is the step, so it ends the program, with the reason on stderr.
  bool ended = false;
  try {
    // A run-time error stops the program (after the error window's answer): a failure, whatever
    // the answer was.
    ended = !ExecuteAction(code, self, self, result);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qvscript: the program ended with an exception: %s\n", e.what());
    ended = true;
  }
  leave();
  std::fflush(stdout);
  return errorState().aborting || ended ? 1 : 0;
}

}  // namespace qv::code
