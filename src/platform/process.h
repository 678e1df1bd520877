// The running process: its executable, environment and priority.
#pragma once

#include <optional>
#include <string>

namespace qv::platform {

// Full host path of the running executable.
std::string executablePath();

// The value of an environment variable, or nothing when unset.
std::optional<std::string> environmentVariable(const char* name);

}  // namespace qv::platform
