// Script files of extension packages: sections that each hold the code of one function. The text
// is split into lines at CR (LF characters are dropped); lines before the first line beginning with
// "#define" belong to no section; each "#define" line opens a section named by the rest of the line
// after its first 7 characters, trimmed, whose text is the following lines up to the next
// "#define" line, joined with CR LF.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::extensions {

// The sections in file order: (name, text).
std::vector<std::pair<std::string, std::string>> SplitScriptFile(std::string_view contents);

}  // namespace qv::extensions
