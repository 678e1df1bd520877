#include "platform/loading_window_view.h"

#include <SDL.h>
#include <SDL_shape.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace qv::platform {

namespace {

// Each successful start is matched by one stop: the subsystem counts its users.
bool startVideo() { return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0; }
void stopVideo() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

SDL_Surface* surfaceOf(const PixelImage& img) {
  if (!img.valid()) return nullptr;
  return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(img.pixels), img.width, img.height, 32,
                                            img.width * 4, SDL_PIXELFORMAT_ARGB8888);
}

// Bars when the game gives no bar pictures: dark empty bar, light full bar.
constexpr SDL_Color kEmptyBarColour{64, 64, 64, 255};
constexpr SDL_Color kFullBarColour{0, 120, 215, 255};

// The label's font: the system's sans-serif face at the size of a dialog's default text.
constexpr int kLabelPixelSize = 11;

class LabelFont {
 public:
  ~LabelFont() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  // Draws `text` in black into `out` (width x height, 0xAARRGGBB, transparent elsewhere).
  void render(const std::string& text, int width, int height, std::vector<uint32_t>& out) {
    out.assign(size_t(width) * size_t(height), 0);
    if (!load()) return;
    int ascender = int(face_->size->metrics.ascender >> 6), descender = int(face_->size->metrics.descender >> 6);
    int baseline = (height - (ascender - descender)) / 2 + ascender;
    int pen = 0;
    for (size_t i = 0; i < text.size();) {
      char32_t cp = decode(text, i);
      if (FT_Load_Char(face_, cp, FT_LOAD_RENDER) != 0) continue;
      const FT_GlyphSlot g = face_->glyph;
      for (unsigned row = 0; row < g->bitmap.rows; ++row) {
        int y = baseline - g->bitmap_top + int(row);
        if (y < 0 || y >= height) continue;
        for (unsigned col = 0; col < g->bitmap.width; ++col) {
          int x = pen + g->bitmap_left + int(col);
          if (x < 0 || x >= width) continue;
          uint32_t coverage = g->bitmap.buffer[row * unsigned(g->bitmap.pitch) + col];
          uint32_t& px = out[size_t(y) * size_t(width) + size_t(x)];
          px = std::max(px >> 24, coverage) << 24;  // black, with the glyph's coverage as alpha
        }
      }
      pen += int(g->advance.x >> 6);
      if (pen >= width) break;
    }
  }

 private:
  bool load() {
    if (tried_) return face_ != nullptr;
    tried_ = true;
    if (FT_Init_FreeType(&library_) != 0) return false;
    std::string file = fontFile();
    if (file.empty() || FT_New_Face(library_, file.c_str(), 0, &face_) != 0) {
      face_ = nullptr;
      return false;
    }
    FT_Set_Pixel_Sizes(face_, 0, kLabelPixelSize);
    return true;
  }
  static std::string fontFile() {
    std::string result;
    FcConfig* config = FcConfigGetCurrent();
    FcPattern* pattern = config ? FcPatternCreate() : nullptr;
    if (!pattern) return result;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult res = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &res);
    FcPatternDestroy(pattern);
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
      result = reinterpret_cast<const char*>(path);
    if (match) FcPatternDestroy(match);
    return result;
  }
  // One code point from UTF-8; a malformed byte stands for itself.
  static char32_t decode(const std::string& s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    bool wellFormed = extra > 0 && i + extra < s.size();
    for (size_t k = 1; wellFormed && k <= extra; ++k) wellFormed = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    if (!wellFormed) {
      ++i;
      return c;
    }
    char32_t cp = c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += extra + 1;
    return cp;
  }
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  bool tried_ = false;
};

LabelFont& labelFont() {
  static LabelFont font;
  return font;
}

}  // namespace

std::optional<std::pair<int, int>> desktopSize() {
  if (!startVideo()) return std::nullopt;
  SDL_DisplayMode mode;
  const bool known = SDL_GetDesktopDisplayMode(0, &mode) == 0;
  stopVideo();
  if (!known) return std::nullopt;
  return std::pair{mode.w, mode.h};
}

struct LoadingWindowView::Impl {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* picture = nullptr;
  SDL_Texture* emptyBar = nullptr;
  SDL_Texture* fullBar = nullptr;
  SDL_Cursor* cursor = nullptr;
  bool video = false;  // this view holds a start of the video subsystem

  SDL_Texture* texture(const PixelImage& img) {
    SDL_Surface* s = surfaceOf(img);
    if (!s) return nullptr;
    SDL_Texture* t = SDL_CreateTextureFromSurface(renderer, s);
    SDL_FreeSurface(s);
    return t;
  }

  void release() {
    for (SDL_Texture** t : {&picture, &emptyBar, &fullBar}) {
      if (*t) SDL_DestroyTexture(*t);
      *t = nullptr;
    }
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    if (cursor) SDL_FreeCursor(cursor);
    renderer = nullptr;
    window = nullptr;
    cursor = nullptr;
    if (video) stopVideo();
    video = false;
  }

  void draw(const LoadingWindowFrame& f) {
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    if (picture) {
      SDL_Rect dst{0, 0, f.picture.width, f.picture.height};
      SDL_RenderCopy(renderer, picture, nullptr, &dst);
    }
    if (f.barVisible) {
      SDL_Rect empty{f.barLeft, f.barTop, f.emptyBarWidth, f.barHeight};
      if (emptyBar) {
        SDL_RenderCopy(renderer, emptyBar, nullptr, &empty);
      } else {
        SDL_SetRenderDrawColor(renderer, kEmptyBarColour.r, kEmptyBarColour.g, kEmptyBarColour.b, 255);
        SDL_RenderFillRect(renderer, &empty);
      }
      SDL_Rect full{f.barLeft, f.barTop, f.fullBarWidth, f.barHeight};
      if (fullBar && f.stretchFullBar) {
        SDL_RenderCopy(renderer, fullBar, nullptr, &full);
      } else if (fullBar) {  // natural size, cut to the bar's current width and height
        SDL_Rect src{0, 0, std::min(f.fullBarWidth, f.fullBar.width), std::min(f.barHeight, f.fullBar.height)};
        SDL_Rect dst{f.barLeft, f.barTop, src.w, src.h};
        SDL_RenderCopy(renderer, fullBar, &src, &dst);
      } else {
        SDL_SetRenderDrawColor(renderer, kFullBarColour.r, kFullBarColour.g, kFullBarColour.b, 255);
        SDL_RenderFillRect(renderer, &full);
      }
    }
    if (f.labelVisible && !f.labelText.empty() && f.labelWidth > 0 && f.labelHeight > 0) {
      std::vector<uint32_t> text;
      labelFont().render(f.labelText, f.labelWidth, f.labelHeight, text);
      SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(text.data(), f.labelWidth, f.labelHeight, 32,
                                                          f.labelWidth * 4, SDL_PIXELFORMAT_ARGB8888);
      if (s) {
        SDL_Texture* t = SDL_CreateTextureFromSurface(renderer, s);
        SDL_FreeSurface(s);
        if (t) {
          SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
          SDL_Rect dst{f.labelLeft, f.labelTop, f.labelWidth, f.labelHeight};
          SDL_RenderCopy(renderer, t, nullptr, &dst);
          SDL_DestroyTexture(t);
        }
      }
    }
    SDL_RenderPresent(renderer);
  }
};

LoadingWindowView::LoadingWindowView() : impl_(std::make_unique<Impl>()) {}
LoadingWindowView::~LoadingWindowView() { close(); }

bool LoadingWindowView::open(const LoadingWindowFrame& f) {
  close();
  if (f.width <= 0 || f.height <= 0 || !startVideo()) return false;
  Impl& d = *impl_;
  d.video = true;
  const Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR;
  // Transparency in a colour needs a shaped window, which only some video drivers offer; elsewhere
  // the window stays opaque.
  if (f.transparent && f.picture.valid())
    d.window = SDL_CreateShapedWindow("", unsigned(f.left), unsigned(f.top), unsigned(f.width), unsigned(f.height), flags);
  if (d.window) {
    SDL_Surface* shape = surfaceOf(f.picture);
    SDL_WindowShapeMode mode;
    mode.mode = ShapeModeColorKey;
    mode.parameters.colorKey = SDL_Color{Uint8(f.transparentColour >> 16), Uint8(f.transparentColour >> 8),
                                         Uint8(f.transparentColour), 255};
    if (!shape || f.picture.width != f.width || f.picture.height != f.height ||
        SDL_SetWindowShape(d.window, shape, &mode) != 0) {
      SDL_DestroyWindow(d.window);
      d.window = nullptr;
    }
    if (shape) SDL_FreeSurface(shape);
  }
  if (!d.window) d.window = SDL_CreateWindow("", f.left, f.top, f.width, f.height, flags | SDL_WINDOW_HIDDEN);
  if (!d.window) {
    d.release();
    return false;
  }
  // A plain software framebuffer: the loading window needs no OpenGL context of its own (which
  // would also load the GL driver before the game's device exists).
  const char* previous = SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
  const std::string saved = previous ? previous : "";
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  d.renderer = SDL_CreateRenderer(d.window, -1, SDL_RENDERER_SOFTWARE);
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, previous ? saved.c_str() : nullptr);
  if (!d.renderer) {
    d.release();
    return false;
  }
  d.picture = d.texture(f.picture);
  d.emptyBar = d.texture(f.emptyBar);
  d.fullBar = d.texture(f.fullBar);
  if (f.alpha < 255) SDL_SetWindowOpacity(d.window, float(f.alpha) / 255.0f);  // ignored where unsupported
  d.cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
  if (d.cursor) SDL_SetCursor(d.cursor);
  SDL_ShowWindow(d.window);
  update(f);
  return true;
}

void LoadingWindowView::update(const LoadingWindowFrame& f) {
  if (!impl_->renderer) return;
  impl_->draw(f);
  SDL_PumpEvents();
  // Input has no receiver while loading; window events stay for the system to handle.
  SDL_FlushEvents(SDL_KEYDOWN, SDL_MULTIGESTURE);
}

void LoadingWindowView::close() {
  if (impl_) impl_->release();
}

bool LoadingWindowView::isOpen() const { return impl_->window != nullptr; }

std::vector<uint32_t> LoadingWindowView::readPixels() const {
  if (!impl_->renderer) return {};
  int w = 0, h = 0;
  if (SDL_GetRendererOutputSize(impl_->renderer, &w, &h) != 0 || w <= 0 || h <= 0) return {};
  std::vector<uint32_t> out(size_t(w) * size_t(h));
  if (SDL_RenderReadPixels(impl_->renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, out.data(), w * 4) != 0) return {};
  return out;
}

}  // namespace qv::platform
