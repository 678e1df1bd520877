// The command line as the game sees it: entry 0 is the game file (the runner itself when the game
// is appended to it), the rest are the arguments that follow it. The runner takes no options.
#pragma once

#include <string>
#include <vector>

namespace qv::runner {

void SetGameParameters(std::vector<std::string> parameters);
const std::vector<std::string>& GameParameters();

}  // namespace qv::runner
