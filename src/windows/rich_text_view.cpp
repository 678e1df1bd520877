#include "windows/rich_text_view.h"

#include <algorithm>

#include "graphics/colour.h"
#include "graphics/font.h"
#include "graphics/text.h"
#include "windows/message_window.h"

namespace qv::windows {

namespace {

constexpr int kTabStop = 48;
constexpr int kMaxLines = 100000;  // a text longer than this is cut: the view stays bounded

int widthOf(const graphics::CFont& f, std::string_view s) {
  int w = 0;
  for (const unsigned char c : s) w += f.advanceOf(c);
  return w;
}

}  // namespace

const graphics::CFont& RichTextView::font(const TextRun& run) {
  const int style = (run.bold ? 1 : 0) + (run.italic ? 2 : 0);
  auto& slot = fonts_[{run.font, run.size, style}];
  if (!slot) slot = OpenDialogFont(DialogFont{run.font, run.size, 0, style});
  return *slot;
}

RichTextView::RichTextView(const std::vector<RichParagraph>& paragraphs, int width) {
  width = std::max(1, width);
  int y = 0;
  for (const RichParagraph& p : paragraphs) {
    if (int(lines_.size()) >= kMaxLines) break;
    const size_t firstLine = lines_.size();
    Line line;
    int x = 0;
    int emptyHeight = 0;  // an empty paragraph is as high as the default font's line
    auto finish = [&] {
      if (line.height == 0) line.height = emptyHeight;
      line.y = y;
      y += line.height;
      lines_.push_back(std::move(line));
      line = Line{};
      x = 0;
    };
    auto place = [&](const TextRun& run, const graphics::CFont& f, std::string_view text, int w) {
      if (!text.empty()) {
        Piece piece{x, std::string(text), &f, graphics::ScriptToDevice(run.colour, 1.0), run.underline};
        line.pieces.push_back(std::move(piece));
      }
      x += w;
      line.height = std::max(line.height, f.height());
    };
    if (p.runs.empty()) emptyHeight = font(TextRun{}).height();
    for (const TextRun& run : p.runs) {
      const graphics::CFont& f = font(run);
      emptyHeight = std::max(emptyHeight, f.height());
      size_t i = 0;
      while (i < run.text.size()) {
        const char c = run.text[i];
        if (c == '\n') {
          finish();
          ++i;
          continue;
        }
        if (c == '\t') {
          x = (x / kTabStop + 1) * kTabStop;
          line.height = std::max(line.height, f.height());
          ++i;
          continue;
        }
        // A word with the blanks that follow it.
        size_t end = i;
        while (end < run.text.size() && run.text[end] != ' ' && run.text[end] != '\n' && run.text[end] != '\t') ++end;
        while (end < run.text.size() && run.text[end] == ' ') ++end;
        const std::string_view word(run.text.data() + i, end - i);
        std::string_view visible = word;
        while (!visible.empty() && visible.back() == ' ') visible.remove_suffix(1);
        if (x > 0 && x + widthOf(f, visible) > width) finish();
        place(run, f, word, widthOf(f, word));
        i = end;
      }
    }
    finish();
    // Alignment: the pieces of each line move right by the room left over (or half of it).
    if (p.alignment == 1 || p.alignment == 2) {
      for (size_t k = firstLine; k < lines_.size(); ++k) {
        Line& l = lines_[k];
        int right = 0;
        for (const Piece& piece : l.pieces) {
          std::string_view t = piece.text;
          while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
          right = std::max(right, piece.x + widthOf(*piece.font, t));
        }
        const int shift = std::max(0, width - right) / (p.alignment == 1 ? 2 : 1);
        for (Piece& piece : l.pieces) piece.x += shift;
      }
    }
  }
  height_ = y;
}

RichTextView::~RichTextView() = default;

void RichTextView::draw(DialogCanvas& canvas, const ClipRect& area, int scroll) const {
  // The first line that reaches into the area.
  auto first = std::lower_bound(lines_.begin(), lines_.end(), scroll,
                                [](const Line& l, int s) { return l.y + l.height <= s; });
  for (auto it = first; it != lines_.end(); ++it) {
    const int top = area.y0 + it->y - scroll;
    if (top >= area.y1) break;
    for (const Piece& piece : it->pieces) {
      // Pieces share the line's bottom.
      const int y = top + it->height - piece.font->height();
      canvas.drawText(*piece.font, area.x0 + piece.x, y, piece.text, piece.colour, area);
      if (piece.underline) {
        std::string_view t = piece.text;
        while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
        const int uy = y + piece.font->height() - std::max(1, piece.font->height() / 8);
        if (uy >= area.y0 && uy < area.y1) canvas.fill(area.x0 + piece.x, uy, widthOf(*piece.font, t), 1, piece.colour);
      }
    }
  }
}

}  // namespace qv::windows
