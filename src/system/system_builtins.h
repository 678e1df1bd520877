// The system functions of game code that need no compiler: process priority, the application
// title, the clipboard and the window handle.
#pragma once

#include <string>

#include "code/builtin.h"

namespace qv::system {

code::BuiltinFamily SystemFunctions();

// The application's title, set by set_application_title. Windows show it as their default caption
// (message boxes and the other dialogs without a caption of their own); empty until a game sets it.
const std::string& ApplicationTitle();

}  // namespace qv::system
