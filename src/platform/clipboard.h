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

// Conversions used at every text boundary of the clipboard. Characters outside code page 1252
// become "?".
std::string cp1252ToUtf8(std::string_view text);
std::string utf8ToCp1252(std::string_view text);

}  // namespace qv::platform
