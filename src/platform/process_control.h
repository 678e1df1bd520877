// What the runner asks of the operating system for its own process: priority, working directory,
// the per-user data folder.
#pragma once

#include <string>

namespace qv::platform {

// Best effort: level 1 lowers the nice value by 5, level 2 by 10; other levels change nothing.
// Raising priority usually needs privileges; a refusal is silent.
void raisePriority(int level);

// The process's nice value (for tests of raisePriority).
int niceValue();

bool changeDirectory(const std::string& path);
bool directoryWritable(const std::string& path);

// $XDG_DATA_HOME/quorvane, else ~/.local/share/quorvane (not created here).
std::string userDataDirectory();

}  // namespace qv::platform
