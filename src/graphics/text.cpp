// Text layout, measures and drawing.
//
// Layout: '#' breaks a line unless a backslash stands before it (the backslash goes, the '#'
// stays); then CR LF and a lone LF become CR; the text splits at CR; each line wider than the wrap
// width is wrapped at words (a word runs to the next space or hyphen, which it keeps), and a word
// wider than the width stays whole on its own line.
#include "graphics/text.h"

#include <algorithm>
#include <cmath>

#include "code/rounding.h"
#include "graphics/colour.h"
#include "graphics/draw_state.h"
#include "graphics/sprite.h"
#include "graphics/texture_table.h"

namespace qv::graphics {

namespace {

// '#' and line feeds turned into CR.
std::string NormaliseBreaks(const std::string& text) {
  std::string hashes;
  hashes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '#') {
      if (i > 0 && text[i - 1] == '\\' && !hashes.empty() && hashes.back() == '\\')
        hashes.back() = '#';
      else
        hashes.push_back('\r');
    } else {
      hashes.push_back(ch);
    }
  }
  std::string out;
  out.reserve(hashes.size());
  for (size_t i = 0; i < hashes.size(); ++i) {
    const char ch = hashes[i];
    if (ch == '\r' && i + 1 < hashes.size() && hashes[i + 1] == '\n') {
      out.push_back('\r');
      ++i;
    } else {
      out.push_back(ch == '\n' ? '\r' : ch);
    }
  }
  return out;
}

// The word at `pos`: up to and including the next space or hyphen, or to the end.
size_t WordEnd(const std::string& line, size_t pos) {
  const size_t sep = line.find_first_of(" -", pos);
  return sep == std::string::npos ? line.size() : sep + 1;
}

void WrapLine(const CFont& f, const std::string& line, double w, std::vector<std::string>& out) {
  size_t pos = 0;
  while (pos < line.size()) {
    size_t end = WordEnd(line, pos);
    int64_t width = StringWidth(f, line.substr(pos, end - pos));
    while (double(width) < w && end < line.size()) {
      const size_t next = WordEnd(line, end);
      const int64_t wordWidth = StringWidth(f, line.substr(end, next - end));
      if (double(width + wordWidth) > w) break;
      width += wordWidth;
      end = next;
    }
    out.push_back(line.substr(pos, end - pos));
    pos = end;
  }
}

double LineDistance(const CFont& f, double sep) { return sep < 0 ? double(f.height()) : sep; }

// Each byte (red, green, blue) of two script colours mixed.
int32_t Merge(int32_t a, int32_t b, double t) { return int32_t(MergeColour(uint32_t(a), uint32_t(b), t) & 0xFFFFFF); }

}  // namespace

std::vector<std::string> LayoutText(const CFont& f, const std::string& text, double w) {
  const std::string all = NormaliseBreaks(text);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\r', start);
    if (end == std::string::npos) end = all.size();
    const std::string line = all.substr(start, end - start);
    if (w < 0 || line.empty())
      lines.push_back(line);
    else
      WrapLine(f, line, w, lines);
    start = end + 1;
  }
  return lines;
}

int64_t StringWidth(const CFont& f, const std::string& line) {
  int64_t w = 0;
  for (unsigned char ch : line) w += f.advanceOf(ch);
  return w;
}

int64_t TextWidth(const CFont& f, const std::string& text, double w) {
  int64_t widest = 1;
  for (const std::string& line : LayoutText(f, text, w)) widest = std::max(widest, StringWidth(f, line));
  return widest;
}

int64_t TextHeight(const CFont& f, const std::string& text, double sep, double w) {
  const size_t n = LayoutText(f, text, w).size();
  if (n == 0) return 1;
  const double h = f.height() + LineDistance(f, sep) * double(n - 1);
  return std::max<int64_t>(1, code::roundToInt64(h));
}

TextStyle CurrentTextStyle(double sep, double w) {
  TextStyle s;
  s.sep = sep;
  s.width = w;
  const int32_t col = drawState().scriptColour();
  s.colours = {col, col, col, col};
  s.alpha = drawState().alpha;
  return s;
}

void DrawText(CFont& f, double x, double y, const std::string& text, const TextStyle& style) {
  if (!f.isSpriteFont() && f.texture < 0 && !f.alpha.empty() && textures().device()) CreateFontTexture(f);
  const CSprite* sprite = f.isSpriteFont() ? sprites().get(f.sprite) : nullptr;
  if (f.isSpriteFont() && !sprite) return;
  const std::vector<std::string> lines = LayoutText(f, text, style.width);
  const double n = double(lines.size());
  const TextState& ts = textState();

  const double xs = style.transformed ? style.xscale : 1.0, ys = style.transformed ? style.yscale : 1.0;
  const double angle = style.transformed ? style.angle : 0.0;
  const double rad = angle * 3.14159265358979323846 / 180.0;
  const double s = style.transformed ? std::sin(rad) : 0.0, c = style.transformed ? std::cos(rad) : 1.0;
  double d = LineDistance(f, style.sep);
  // Plain text aligns with whole-number division, transformed text with rounding.
  if (!style.transformed) d = code::roundToInt32(d);
  const double stepX = s * ys * d, stepY = c * ys * d;
  double sx = x, sy = y;
  if (!style.transformed) {
    const int64_t block = int64_t(n * d);
    if (ts.valign == 1) sy -= double(block / 2);
    if (ts.valign == 2) sy -= double(block);
  } else {
    if (ts.valign == 1) {
      sx -= code::roundToInt32(n * stepX / 2);
      sy -= code::roundToInt32(n * stepY / 2);
    } else if (ts.valign == 2) {
      sx -= code::roundToInt32(n * stepX);
      sy -= code::roundToInt32(n * stepY);
    }
  }

  for (const std::string& line : lines) {
    const int64_t lw = StringWidth(f, line);
    double h = 0;
    if (!style.transformed) {
      if (ts.halign == 1) h = -double(lw / 2);
      if (ts.halign == 2) h = -double(lw);
    } else {
      if (ts.halign == 1) h = -code::roundToInt32(xs * double(lw) / 2);
      if (ts.halign == 2) h = -code::roundToInt32(xs * double(lw));
    }
    double penX = sx + c * h, penY = sy - s * h;
    int64_t p = 0;  // pen offset from the line's start, unscaled
    for (unsigned char ch : line) {
      const int32_t a = f.advanceOf(ch);
      if (f.inRange(ch)) {
        // A line whose width is not positive has no gradient to spread (and no width to divide by).
        const double t0 = lw > 0 ? double(p) / double(lw) : 0.0, t1 = lw > 0 ? double(p + a) / double(lw) : 0.0;
        const auto& k = style.colours;
        const std::array<uint32_t, 4> corners = {
            ScriptToDevice(Merge(k[0], k[1], t0), style.alpha), ScriptToDevice(Merge(k[0], k[1], t1), style.alpha),
            ScriptToDevice(Merge(k[3], k[2], t1), style.alpha), ScriptToDevice(Merge(k[3], k[2], t0), style.alpha)};
        const double off = double(f.offset[ch]) * xs;
        const double gx = penX + c * off, gy = penY - s * off;
        if (sprite) {
          const int frame = sprite->frameIndex(ch - f.first);
          if (frame >= 0) {
            const data::TBitmap32& img = sprite->frames[size_t(frame)];
            const double left = -xs * sprite->xOrigin - 0.5, top = -ys * sprite->yOrigin - 0.5;
            DrawTexturedQuad(sprite->frameTexture(frame), 0, 0, img.width, img.height, gx, gy, left, top,
                             left + xs * img.width, top + ys * img.height, angle, corners);
          }
        } else {
          const double gw = f.glyphWidth[ch], gh = f.glyphHeight[ch];
          DrawTexturedQuad(f.texture, f.glyphX[ch], f.glyphY[ch], gw, gh, gx, gy, -0.5, -0.5, xs * gw - 0.5,
                           ys * gh - 0.5, angle, corners);
        }
      }
      p += a;
      penX += double(a) * xs * c;
      penY -= double(a) * xs * s;
    }
    sx += stepX;
    sy += stepY;
  }
}

}  // namespace qv::graphics
