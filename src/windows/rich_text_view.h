// RichTextView: rich text laid out in a width and drawn on a dialog canvas, scrolled: the view of
// the game information window and of text splash screens. Words wrap at blanks (a word wider than
// the view is cut at the edge), "\n" breaks a line, tabs go to the next multiple of 48 pixels;
// pieces of one line sit on a common bottom line; centred and right-aligned paragraphs are placed
// so. Each font, size and style is opened once for the view.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "windows/dialog_canvas.h"
#include "windows/rich_text.h"

namespace qv::graphics {
struct CFont;
}

namespace qv::windows {

class RichTextView {
 public:
  RichTextView(const std::vector<RichParagraph>& paragraphs, int width);
  ~RichTextView();

  // Height of the whole text in pixels.
  int height() const { return height_; }
  // Draws the text with its top `scroll` pixels above `area`'s top, clipped to the area.
  void draw(DialogCanvas& canvas, const ClipRect& area, int scroll) const;

 private:
  struct Piece {
    int x = 0;
    std::string text;
    const graphics::CFont* font = nullptr;
    uint32_t colour = 0;  // device colour
    bool underline = false;
  };
  struct Line {
    int y = 0, height = 0;
    std::vector<Piece> pieces;
  };
  const graphics::CFont& font(const TextRun& run);

  std::map<std::tuple<std::string, int, int>, std::unique_ptr<graphics::CFont>> fonts_;
  std::vector<Line> lines_;
  int height_ = 0;
};

}  // namespace qv::windows
