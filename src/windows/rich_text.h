// Rich text: the game information, the texts of splash screens and `load_info` files are rich-text
// documents (or plain text). The reader keeps what a reader of them sees: paragraphs with their
// alignment, and runs of text with their font, size, bold, italic, underline and colour; pictures,
// tables of contents and other destinations it does not know are skipped.
//
// The reader takes documents from anywhere: group nesting costs no recursion, numbers are clamped,
// font and colour numbers that name nothing fall back to the defaults.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::windows {

struct TextRun {
  std::string text;  // code page 1252; "\n" a line break inside the paragraph, "\t" a tab
  std::string font;  // family name
  int size = 12;     // points
  bool bold = false, italic = false, underline = false;
  int32_t colour = 0;  // script colour (0xBBGGRR)
};

struct RichParagraph {
  int alignment = 0;  // 0 left, 1 centre, 2 right (justified paragraphs are shown left-aligned)
  std::vector<TextRun> runs;
};

// The style text starts with: the font, size and colour a plain-text file is shown in.
struct RichDefaults {
  std::string font = "Arial";
  int size = 12;
  int32_t colour = 0;
};

// A document that does not start with "{\rtf" is plain text: one paragraph a line (CR LF, LF or
// CR), in the defaults.
std::vector<RichParagraph> ReadRichText(std::string_view text, const RichDefaults& defaults = {});

// The text of a document in code page 1252, paragraphs and line breaks as "\n", tabs as "\t".
// Text that is not a rich-text document is returned unchanged.
std::string RichTextToPlain(std::string_view rtf);

}  // namespace qv::windows
