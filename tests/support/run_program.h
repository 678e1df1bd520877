// Runs a real program of ours as a child process with a watchdog: the child is killed when it has
// not ended by its deadline (the test then fails on `timedOut`, not on a measured time), and may
// be given an address-space limit, so that a test can show that a program stays within its memory
// bounds. Standard output and error go to files in the working folder and are read back whole.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/whole_file.h"

namespace qv::testing {

struct ProgramLimits {
  int deadlineSeconds = 120;  // generous: only a program that never ends reaches it
  size_t addressSpaceBytes = 0;  // 0: no limit
};

// A signal sent once, as soon as the program's standard output holds `whenOut`.
struct SignalWhen {
  std::string whenOut;
  int signal = SIGTERM;
};

struct ProgramRun {
  int status = -1;  // the exit status, or 128 + the signal that ended it
  bool timedOut = false;
  std::string out, err;
};

// The address-space limit cannot be applied under AddressSanitizer, which reserves terabytes of
// shadow memory up front.
inline bool AddressSpaceLimitsWork() {
#if defined(QV_SANITIZED)
  return false;
#else
  return true;
#endif
}

// A program started by StartProgram and not yet waited for.
struct StartedProgram {
  pid_t pid = -1;
  std::string outPath, errPath;
  std::chrono::steady_clock::time_point deadline;
  SignalWhen signal;
};

// Starts argv[0] with its arguments in `dir`, with `env` ("NAME=value") added to this process's
// environment; FinishProgram waits for it. Several may run at once (each needs its own `dir`).
inline StartedProgram StartProgram(const std::vector<std::string>& argv, const std::filesystem::path& dir,
                                   const std::vector<std::string>& env = {}, ProgramLimits limits = {},
                                   const SignalWhen& signal = {}) {
  StartedProgram p;
  p.outPath = (dir / "program_out.txt").string();
  p.errPath = (dir / "program_err.txt").string();
  p.signal = signal;
  p.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.deadlineSeconds);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  p.pid = fork();
  if (p.pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    const int out = open(p.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(p.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    if (limits.addressSpaceBytes > 0) {
      const rlimit cap{limits.addressSpaceBytes, limits.addressSpaceBytes};
      if (setrlimit(RLIMIT_AS, &cap) != 0) _exit(126);
    }
    execv(args[0], args.data());
    _exit(127);
  }
  return p;
}

inline ProgramRun FinishProgram(const StartedProgram& p) {
  ProgramRun run;
  if (p.pid < 0) return run;
  int raw = 0;
  bool signalled = false;
  for (;;) {
    const pid_t done = waitpid(p.pid, &raw, WNOHANG);
    if (done == p.pid) break;
    if (!p.signal.whenOut.empty() && !signalled && ReadWholeFile(p.outPath).find(p.signal.whenOut) != std::string::npos) {
      kill(p.pid, p.signal.signal);
      signalled = true;
    }
    if (std::chrono::steady_clock::now() >= p.deadline) {
      run.timedOut = true;
      kill(p.pid, SIGKILL);
      waitpid(p.pid, &raw, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.out = ReadWholeFile(p.outPath);
  run.err = ReadWholeFile(p.errPath);
  return run;
}

// Runs argv[0] with its arguments in `dir` and waits for it (see StartProgram).
inline ProgramRun RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& dir,
                             const std::vector<std::string>& env = {}, ProgramLimits limits = {},
                             const SignalWhen& signal = {}) {
  return FinishProgram(StartProgram(argv, dir, env, limits, signal));
}

}  // namespace qv::testing
