// Rich text as plain text: the game information is stored as a rich-text document; where it is
// shown as plain text, the words and line breaks are what remain (fonts, colours and pictures go).
#pragma once

#include <string>
#include <string_view>

namespace qv::windows {

// The text of a rich-text document in code page 1252, paragraphs and line breaks as "\n", tabs as
// "\t". Text that is not a rich-text document is returned unchanged.
std::string RichTextToPlain(std::string_view rtf);

}  // namespace qv::windows
