// Code page 1252, the single-byte text of the games, and UTF-8, the text of the host (file names,
// window captions, the clipboard, JSON). Every byte of the code page has a code point (the five
// bytes it leaves undefined keep their own, as Windows does), so the way to UTF-8 is exact.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv::platform {

std::string Cp1252ToUtf8(std::string_view text);

// Characters outside the code page, and broken UTF-8 sequences, become "?".
std::string Utf8ToCp1252(std::string_view text);

// Characters outside the code page, and broken UTF-8 sequences, are left out (typed text: a
// character the game cannot hold is dropped rather than turned into something else).
std::string Utf8ToCp1252Dropping(std::string_view text);

// Nothing when a character is outside the code page or the text is not well-formed UTF-8.
std::optional<std::string> Utf8ToCp1252Exact(std::string_view text);

}  // namespace qv::platform
