// The pop-up menu and the colour, file and folder choosers as the game calls them (`show_menu`,
// `get_color`, `get_open_filename`, ...). The choosers are the desktop's own where it has one
// (see platform/desktop_chooser.h) and the runner's own otherwise; headless, and whenever scripted
// answers are queued, always the runner's own, so they can be answered. Every one clears the
// keyboard and mouse state afterwards. File and folder names come back in the game's form ("\"
// separators), absolute.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "code/builtin.h"

namespace qv::windows {

// The (description, patterns) pairs of a filter "Text|*.txt|All|*.*"; a description without
// patterns at the end is left out.
std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string& filter);

code::BuiltinFamily ChooserFunctions();

}  // namespace qv::windows
