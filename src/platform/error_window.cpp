#include "platform/error_window.h"

#include <SDL.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/code_page.h"

namespace qv::platform {

namespace {

constexpr int kTextX = 8, kTextY = 8, kTextW = 481, kTextH = 305;
constexpr int kButtonY = 328, kButtonW = 75, kButtonH = 25;
constexpr int kAbortX = 8, kIgnoreX = 96, kCopyX = 328, kClearX = 416;
constexpr int kFontPixels = 13;
constexpr int kLineHeight = 15;
constexpr int kVisibleLines = (kTextH - 4) / kLineHeight;
constexpr uint32_t kFace = 0xFFF0F0F0, kWhite = 0xFFFFFFFF,
                   kBorder = 0xFF7A7A7A, kButtonFace = 0xFFE1E1E1, kDefaultBorder = 0xFF0078D7;

// The monospaced face of the text box ("Courier New" through fontconfig's substitution).
class Font {
 public:
  Font() {
    if (FT_Init_FreeType(&library_) != 0) return;
    const std::string path = matchFile("Courier New");
    if (path.empty() || FT_New_Face(library_, path.c_str(), 0, &face_) != 0) face_ = nullptr;
    if (face_) FT_Set_Pixel_Sizes(face_, 0, kFontPixels);
  }
  ~Font() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Draws text with its baseline at y, clipped to the rectangle; returns the advance.
  int draw(std::vector<uint32_t>& px, int x, int y, const std::string& text, int clipX0, int clipY0,
           int clipX1, int clipY1) {
    if (!face_) return 0;
    const int start = x;
    for (unsigned char c : text) {
      // CP1252 bytes of the upper half are drawn as their Latin-1 code points.
      if (FT_Load_Char(face_, c, FT_LOAD_RENDER) != 0) continue;
      const FT_GlyphSlot g = face_->glyph;
      for (unsigned row = 0; row < g->bitmap.rows; ++row) {
        for (unsigned col = 0; col < g->bitmap.width; ++col) {
          const int px0 = x + g->bitmap_left + static_cast<int>(col);
          const int py0 = y - g->bitmap_top + static_cast<int>(row);
          if (px0 < clipX0 || px0 >= clipX1 || py0 < clipY0 || py0 >= clipY1) continue;
          const unsigned a = g->bitmap.buffer[row * static_cast<unsigned>(g->bitmap.pitch) + col];
          if (a == 0) continue;
          uint32_t& d = px[static_cast<size_t>(py0 * kErrorWindowWidth + px0)];
          auto blend = [a](uint32_t dst, int shift) {
            const unsigned v = (dst >> shift) & 0xFF;
            return ((v * (255 - a)) / 255) << shift;  // black text over the background
          };
          d = 0xFF000000u | blend(d, 16) | blend(d, 8) | blend(d, 0);
        }
      }
      x += static_cast<int>(g->advance.x >> 6);
    }
    return x - start;
  }

  int width(const std::string& text) {
    if (!face_) return 0;
    int w = 0;
    for (unsigned char c : text)
      if (FT_Load_Char(face_, c, FT_LOAD_DEFAULT) == 0) w += static_cast<int>(face_->glyph->advance.x >> 6);
    return w;
  }

 private:
  // A private configuration, destroyed after the match, so that nothing of fontconfig stays
  // allocated for the run.
  static std::string matchFile(const char* family) {
    std::string file;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    if (pattern) {
      FcConfigSubstitute(config, pattern, FcMatchPattern);
      FcDefaultSubstitute(pattern);
      FcResult result;
      FcPattern* match = FcFontMatch(config, pattern, &result);
      FcChar8* path = nullptr;
      if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
        file = reinterpret_cast<const char*>(path);
      if (match) FcPatternDestroy(match);
      FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return file;
  }

  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

Font& font() {
  static Font f;
  return f;
}

void fill(std::vector<uint32_t>& px, int x, int y, int w, int h, uint32_t colour) {
  for (int j = std::max(0, y); j < std::min(kErrorWindowHeight, y + h); ++j)
    for (int i = std::max(0, x); i < std::min(kErrorWindowWidth, x + w); ++i)
      px[static_cast<size_t>(j * kErrorWindowWidth + i)] = colour;
}

void frame(std::vector<uint32_t>& px, int x, int y, int w, int h, uint32_t colour) {
  fill(px, x, y, w, 1, colour);
  fill(px, x, y + h - 1, w, 1, colour);
  fill(px, x, y, 1, h, colour);
  fill(px, x + w - 1, y, 1, h, colour);
}

void button(std::vector<uint32_t>& px, int x, const char* label, bool isDefault) {
  fill(px, x, kButtonY, kButtonW, kButtonH, kButtonFace);
  frame(px, x, kButtonY, kButtonW, kButtonH, isDefault ? kDefaultBorder : kBorder);
  const std::string text(label);
  const int w = font().width(text);
  font().draw(px, x + (kButtonW - w) / 2, kButtonY + 17, text, x, kButtonY, x + kButtonW, kButtonY + kButtonH);
}

bool inside(int mx, int my, int x) { return mx >= x && mx < x + kButtonW && my >= kButtonY && my < kButtonY + kButtonH; }

int maxScroll(const std::vector<std::string>& lines) {
  return std::max(0, static_cast<int>(lines.size()) - kVisibleLines);
}

}  // namespace

std::vector<uint32_t> RenderErrorWindow(const std::vector<std::string>& lines, bool allowIgnore,
                                        int scrollLines) {
  std::vector<uint32_t> px(static_cast<size_t>(kErrorWindowWidth * kErrorWindowHeight), kFace);
  fill(px, kTextX, kTextY, kTextW, kTextH, kWhite);
  frame(px, kTextX, kTextY, kTextW, kTextH, kBorder);
  const int first = std::clamp(scrollLines, 0, maxScroll(lines));
  for (int k = 0; k < kVisibleLines && first + k < static_cast<int>(lines.size()); ++k) {
    const int baseline = kTextY + 2 + (k + 1) * kLineHeight - 4;
    font().draw(px, kTextX + 3, baseline, lines[static_cast<size_t>(first + k)], kTextX + 1, kTextY + 1,
                kTextX + kTextW - 1, kTextY + kTextH - 1);
  }
  button(px, kAbortX, "Abort", true);
  if (allowIgnore) button(px, kIgnoreX, "Ignore", false);
  button(px, kCopyX, "Copy", false);
  button(px, kClearX, "Clear", false);
  return px;
}

ErrorAnswer ShowErrorWindow(std::vector<std::string>& lines, const std::vector<std::string>& newLines,
                            bool allowIgnore) {
  if (HeadlessRun()) return HeadlessErrorAnswer(newLines, allowIgnore);
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    return HeadlessErrorAnswer(newLines, allowIgnore);
  SDL_Window* window = SDL_CreateWindow("Error Messages", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        kErrorWindowWidth, kErrorWindowHeight, SDL_WINDOW_ALWAYS_ON_TOP);
  if (!window) return HeadlessErrorAnswer(newLines, allowIgnore);
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                                      kErrorWindowWidth, kErrorWindowHeight)
                                  : nullptr;
  ErrorAnswer answer = ErrorAnswer::Abort;
  int scroll = maxScroll(lines);
  bool done = texture == nullptr;
  bool dirty = true;
  while (!done) {
    if (dirty) {
      const std::vector<uint32_t> px = RenderErrorWindow(lines, allowIgnore, scroll);
      SDL_UpdateTexture(texture, nullptr, px.data(), kErrorWindowWidth * 4);
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      SDL_RenderPresent(renderer);
      dirty = false;
    }
    SDL_Event e;
    if (!SDL_WaitEvent(&e)) break;
    switch (e.type) {
      case SDL_QUIT:
        done = true;  // the runner can always be stopped: closing means Abort
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) done = true;
        dirty = true;
        break;
      case SDL_KEYDOWN:
        if (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_ESCAPE) done = true;
        break;
      case SDL_MOUSEWHEEL:
        scroll = std::clamp(scroll - e.wheel.y * 3, 0, maxScroll(lines));
        dirty = true;
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT) break;
        if (inside(e.button.x, e.button.y, kAbortX)) {
          done = true;
        } else if (allowIgnore && inside(e.button.x, e.button.y, kIgnoreX)) {
          answer = ErrorAnswer::Ignore;
          done = true;
        } else if (inside(e.button.x, e.button.y, kCopyX)) {
          std::string text;
          for (const std::string& l : lines) text += Cp1252ToUtf8(l) + "\n";
          SDL_SetClipboardText(text.c_str());
        } else if (inside(e.button.x, e.button.y, kClearX)) {
          lines.clear();
          scroll = 0;
          dirty = true;
        }
        break;
      default:
        break;
    }
  }
  if (texture) SDL_DestroyTexture(texture);
  if (renderer) SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  return answer;
}

}  // namespace qv::platform
