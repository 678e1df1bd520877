// Start-up messages: a message box with one OK button (UTF-8 text). The text always goes to stderr
// as one line too; the box is shown only when a display is available and the run is not headless.
#pragma once

#include <string>

namespace qv::platform {

void showMessageBox(const std::string& title, const std::string& text);

}  // namespace qv::platform
