// Priority levels as nice values, measured in a child process so the test runner keeps its own.
#include "platform/process_control.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qv::platform;

namespace {

// How much the nice value fell in a child that asked for `level` (0 when the system refused).
int niceDrop(int level) {
  pid_t child = fork();
  if (child == 0) {
    int before = niceValue();
    raisePriority(level);
    _exit(before - niceValue());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ProcessControl, PriorityLevelsLowerTheNiceValueOrChangeNothing) {
  const bool privileged = geteuid() == 0;
  struct Case {
    int level, drop;
  } cases[] = {{0, 0}, {1, 5}, {2, 10}, {3, 0}, {-1, 0}};
  for (const Case& c : cases) {
    int drop = niceDrop(c.level);
    if (privileged || c.drop == 0) {
      EXPECT_EQ(drop, c.drop) << c.level;
    } else {
      EXPECT_TRUE(drop == 0 || drop == c.drop) << c.level << " " << drop;  // refused silently
    }
  }
}

TEST(ProcessControl, UserDataDirectoryFollowsXdg) {
  const char* oldXdg = getenv("XDG_DATA_HOME");
  const char* oldHome = getenv("HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";
  const bool hadXdg = oldXdg != nullptr, hadHome = oldHome != nullptr;
  setenv("XDG_DATA_HOME", "/data/home", 1);
  EXPECT_EQ(userDataDirectory(), "/data/home/quorvane");
  setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored, as the convention says
  setenv("HOME", "/home/player", 1);
  EXPECT_EQ(userDataDirectory(), "/home/player/.local/share/quorvane");
  hadXdg ? setenv("XDG_DATA_HOME", savedXdg.c_str(), 1) : unsetenv("XDG_DATA_HOME");
  hadHome ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
}
