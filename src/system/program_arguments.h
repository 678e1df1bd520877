// A Windows command line's arguments as a program there receives them: blanks and tabs separate
// arguments outside double quotes; 2n backslashes before a quote give n backslashes and the quote
// opens or closes quoting, 2n+1 give n backslashes and a literal quote; "" inside quotes is a
// literal quote; other backslashes are ordinary characters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv::system {

std::vector<std::string> SplitWindowsArguments(std::string_view line);

}  // namespace qv::system
