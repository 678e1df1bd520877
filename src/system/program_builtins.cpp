// Other programs, the command line and the environment.
//
// No shell ever stands between a game and the host. execute_program starts `prog` itself with
// `arg` split into arguments by the Windows command-line rules, so ";", "|" or "$(...)" in a
// game's string stay characters. Which host program runs:
//   - a name with "\", "/" or a drive, or one naming a file in the current directory, goes
//     through the host path mapping; without either it is looked up on PATH, and a name ending in
//     ".exe" that PATH lacks is looked up again without it;
//   - a file the host can execute runs as it is; one that is not executable but holds a game of
//     our format runs with this runner; anything else reports "Cannot execute " + prog.
// execute_shell opens addresses ("scheme:...", "www....") and files that are not programs with
// xdg-open, and runs programs as execute_program does without waiting.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "code/errors.h"
#include "data/container.h"
#include "data/stream.h"
#include "platform/child_process.h"
#include "platform/code_page.h"
#include "platform/process.h"
#include "system/file_builtins.h"
#include "system/game_file_names.h"
#include "system/program_arguments.h"
#include "system/secure_mode.h"

namespace qv::system {

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;

std::vector<std::string>& parameters() {
  static std::vector<std::string> p;
  return p;
}
std::function<void()>& waitPump() {
  static std::function<void()> pump;
  return pump;
}

bool endsWithExe(const std::string& s) {
  if (s.size() < 4) return false;
  std::string tail = s.substr(s.size() - 4);
  for (char& ch : tail) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return tail == ".exe";
}

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool holdsGame(const std::string& path) {
  data::CStream bytes;
  return bytes.LoadFromFile(path) && data::FindGameData(bytes).has_value();
}

// Starts the program `prog` names with `arguments`; the process id or -1.
int startProgram(std::string prog, const std::vector<std::string>& arguments) {
  if (prog.size() >= 2 && prog.front() == '"' && prog.back() == '"') prog = prog.substr(1, prog.size() - 2);
  if (prog.empty() || prog.find('\0') != std::string::npos) return -1;
  const bool named = NameLeavesDirectory(prog);
  std::string path = GameFileHostPath(prog);
  if (named || isFile(path)) {
    if (path.find('/') == std::string::npos) path = "./" + path;  // never a PATH lookup for a local file
    if (!isFile(path)) return -1;
    if (::access(path.c_str(), X_OK) == 0) return platform::StartProgram(path, arguments);
    if (!holdsGame(path)) return -1;
    std::vector<std::string> runnerArguments{path};
    runnerArguments.insert(runnerArguments.end(), arguments.begin(), arguments.end());
    return platform::StartProgram(platform::executablePath(), runnerArguments,
                                  {std::string(kPlayArgumentVariable) + "=1"});
  }
  const std::string name = platform::Cp1252ToUtf8(prog);
  int pid = platform::StartProgram(name, arguments);
  if (pid < 0 && endsWithExe(name)) pid = platform::StartProgram(name.substr(0, name.size() - 4), arguments);
  return pid;
}

std::vector<std::string> hostArguments(const std::string& arg) {
  std::vector<std::string> out = SplitWindowsArguments(arg);
  for (std::string& a : out) a = platform::Cp1252ToUtf8(a);
  return out;
}

bool refused(const std::string& prog) {
  if (!SecureMode()) return false;
  code::ReportActionError("In Secure mode you cannot execute program " + prog);
  return true;
}

void execute_program(BuiltinCall& c) {
  const std::string& prog = c.string(0);
  if (refused(prog)) return;
  const int pid = startProgram(prog, hostArguments(c.string(1)));
  if (pid < 0) return code::ReportActionError("Cannot execute " + prog);
  if (!c.truth(2)) return;
  while (!platform::ProgramEnded(pid)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (waitPump()) waitPump()();
  }
}

bool isAddress(const std::string& s) {
  if (s.rfind("www.", 0) == 0) return true;
  const size_t colon = s.find(':');
  if (colon == std::string::npos || colon < 2) return false;  // "C:..." is a drive, not a scheme
  for (size_t i = 0; i < colon; ++i)
    if (!std::isalnum(static_cast<unsigned char>(s[i])) && s[i] != '+' && s[i] != '-' && s[i] != '.') return false;
  return true;
}

void execute_shell(BuiltinCall& c) {
  const std::string& prog = c.string(0);
  if (refused(prog)) return;
  bool started;
  if (isAddress(prog)) {
    started = OpenWithDesktop(prog);
  } else {
    const std::string path = GameFileHostPath(prog);
    if (!path.empty() && isFile(path) && ::access(path.c_str(), X_OK) != 0 && !holdsGame(path)) {
      started = OpenWithDesktop(prog);  // a document: its handler opens it
    } else {
      started = startProgram(prog, hostArguments(c.string(1))) >= 0;
    }
  }
  if (!started) code::ReportActionError("Cannot execute " + prog);
}

void parameter_count(BuiltinCall& c) {
  c.result = parameters().empty() ? 0.0 : static_cast<double>(parameters().size() - 1);
}

void parameter_string(BuiltinCall& c) {
  const int n = c.integer(0);
  c.result = n >= 0 && static_cast<size_t>(n) < parameters().size() ? parameters()[n] : std::string();
}

void environment_get_variable(BuiltinCall& c) {
  const std::string& name = c.string(0);
  if (name.empty() || name.find('\0') != std::string::npos || name.find('=') != std::string::npos) {
    c.result = std::string();
    return;
  }
  std::optional<std::string> v = platform::environmentVariable(platform::Cp1252ToUtf8(name).c_str());
  c.result = v ? platform::Utf8ToCp1252(*v) : std::string();
}

const BuiltinFunction kProgramFunctions[] = {
    {"execute_program", execute_program, 3},
    {"execute_shell", execute_shell, 2},
    {"parameter_count", parameter_count, 0},
    {"parameter_string", parameter_string, 1},
    {"environment_get_variable", environment_get_variable, 1},
};

}  // namespace

code::BuiltinFamily ProgramFunctions() { return kProgramFunctions; }

void SetProgramParameters(std::vector<std::string> p) { parameters() = std::move(p); }
void SetProgramWaitPump(std::function<void()> pump) { waitPump() = std::move(pump); }

bool OpenWithDesktop(const std::string& target) {
  std::string host = platform::Cp1252ToUtf8(target);
  if (!isAddress(target)) host = GameFileHostPath(target);
  if (host.empty()) return false;
  return platform::StartProgram("xdg-open", {host}) >= 0;
}

}  // namespace qv::system
