#include "platform/child_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

extern char** environ;

namespace qv::platform {

namespace {
std::set<int>& started() {
  static std::set<int> pids;
  return pids;
}
}  // namespace

int StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& extraEnvironment) {
  ReapEndedPrograms();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& e : extraEnvironment) env.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; *e; ++e) env.push_back(*e);
  env.push_back(nullptr);
  pid_t pid = -1;
  // posix_spawnp searches PATH only for names without "/", as a shell would not be asked to.
  int rc = program.find('/') == std::string::npos
               ? posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), env.data())
               : posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), env.data());
  if (rc != 0) return -1;
  // glibc reports a program that cannot be executed through the child's exit status 127.
  int status = 0;
  if (waitpid(pid, &status, WNOHANG) == pid) {
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return -1;
    return pid;  // ended already
  }
  started().insert(pid);
  return pid;
}

bool ProgramEnded(int pid) {
  int status = 0;
  pid_t r;
  do r = waitpid(pid, &status, WNOHANG);
  while (r < 0 && errno == EINTR);
  if (r == 0) return false;
  started().erase(pid);
  return true;
}

void ReapEndedPrograms() {
  for (auto it = started().begin(); it != started().end();) {
    int status = 0;
    pid_t r = waitpid(*it, &status, WNOHANG);
    if (r == 0) ++it;
    else it = started().erase(it);
  }
}

}  // namespace qv::platform
