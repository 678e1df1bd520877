// The desktop clipboard as game code sees it: text in code page 1252 (converted to and from
// UTF-8 here, at the platform boundary). When no video driver can start, the clipboard lives in
// the process, so the functions still behave consistently.
#pragma once

#include <string>
#include <string_view>

namespace qv::platform {

bool clipboardHasText();
std::string clipboardText();  // "" when the clipboard holds no text
void setClipboardText(std::string_view cp1252);

}  // namespace qv::platform
