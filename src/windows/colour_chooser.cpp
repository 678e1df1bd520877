#include "windows/colour_chooser.h"

#include <cctype>
#include <cstdio>
#include <optional>
#include <tuple>

#include "graphics/colour.h"
#include "graphics/font.h"
#include "windows/dialog_canvas.h"
#include "windows/message_window.h"

namespace qv::windows {

namespace {

constexpr int kWidth = 296, kHeight = 232;
constexpr int kSwatch = 28, kSwatchGap = 6, kColumns = 8, kRows = 6, kGridX = 14, kGridY = 14;
constexpr int kFieldX = 14, kFieldY = 222 - 25 - 8 - 24, kFieldW = 100, kFieldH = 24;
constexpr int kPreviewX = 124, kPreviewW = 40;
constexpr int kButtonY = 222 - 25, kButtonW = 56, kButtonH = 25, kOkX = 170, kCancelX = 230;
constexpr uint32_t kFace = 0xFFF0F0F0, kEdge = 0xFF8A8A8A, kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

// The swatches, as 0xRRGGBB: six rows from light to dark over eight hues, the last row greys.
constexpr int kPalette[kRows * kColumns] = {
    0xFF8080, 0xFFFF80, 0x80FF80, 0x00FF80, 0x80FFFF, 0x0080FF, 0xFF80C0, 0xFF80FF,
    0xFF0000, 0xFFFF00, 0x80FF00, 0x00FF40, 0x00FFFF, 0x0080C0, 0x8080C0, 0xFF00FF,
    0x804040, 0xFF8040, 0x00FF00, 0x008080, 0x004080, 0x8080FF, 0x800040, 0xFF0080,
    0x800000, 0xFF8000, 0x008000, 0x008040, 0x0000FF, 0x0000A0, 0x800080, 0x8000FF,
    0x400000, 0x804000, 0x004000, 0x004040, 0x000080, 0x000040, 0x400040, 0x400080,
    0x000000, 0x808000, 0x808040, 0x808080, 0x408080, 0xC0C0C0, 0x400040, 0xFFFFFF};

int32_t rgbToScript(int rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }
int scriptToRgb(int32_t c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

std::string fieldText(int32_t scriptColour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", scriptToRgb(scriptColour) & 0xFFFFFF);
  return text;
}

// The colour a field holds: "#" and six hexadecimal digits.
std::optional<int32_t> readField(const std::string& s) {
  if (s.size() != 7 || s[0] != '#') return std::nullopt;
  int rgb = 0;
  for (size_t i = 1; i < 7; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return std::nullopt;
    rgb = rgb * 16 + (std::isdigit(static_cast<unsigned char>(s[i])) ? s[i] - '0' : std::toupper(s[i]) - 'A' + 10);
  }
  return rgbToScript(rgb);
}

bool inside(int x, int y, int rx, int ry, int w, int h) { return x >= rx && x < rx + w && y >= ry && y < ry + h; }

int swatchAt(int x, int y) {
  for (int i = 0; i < kRows * kColumns; ++i) {
    const int sx = kGridX + (i % kColumns) * (kSwatch + kSwatchGap), sy = kGridY + (i / kColumns) * (kSwatch / 2 + kSwatchGap);
    if (inside(x, y, sx, sy, kSwatch, kSwatch / 2)) return i;
  }
  return -1;
}

}  // namespace

ColourChooser::ColourChooser(int32_t scriptColour)
    : font_(OpenDialogFont(DialogFont{"MS Sans Serif", 10, 0, 0})), field_(fieldText(scriptColour)),
      first_(scriptColour & 0xFFFFFF) {}

ColourChooser::~ColourChooser() = default;

platform::DialogWindowSpec ColourChooser::window() const {
  platform::DialogWindowSpec s;
  s.captionUtf8 = "Color";
  s.width = kWidth;
  s.height = kHeight;
  return s;
}

data::TBitmap32 ColourChooser::render() const {
  DialogCanvas canvas(kWidth, kHeight, kFace);
  for (int i = 0; i < kRows * kColumns; ++i) {
    const int sx = kGridX + (i % kColumns) * (kSwatch + kSwatchGap), sy = kGridY + (i / kColumns) * (kSwatch / 2 + kSwatchGap);
    canvas.fill(sx, sy, kSwatch, kSwatch / 2, 0xFF000000u | uint32_t(kPalette[i]));
    canvas.frame(sx, sy, kSwatch, kSwatch / 2, kEdge);
  }
  canvas.fill(kFieldX, kFieldY, kFieldW, kFieldH, kWhite);
  canvas.frame(kFieldX, kFieldY, kFieldW, kFieldH, kEdge);
  const ClipRect fieldClip{kFieldX + 1, kFieldY + 1, kFieldX + kFieldW - 1, kFieldY + kFieldH - 1};
  canvas.drawText(*font_, kFieldX + 4, kFieldY + (kFieldH - font_->height()) / 2, field_, kBlack, fieldClip);
  const int32_t shown = readField(field_).value_or(first_);
  canvas.fill(kPreviewX, kFieldY, kPreviewW, kFieldH, graphics::ScriptToDevice(shown, 1.0));
  canvas.frame(kPreviewX, kFieldY, kPreviewW, kFieldH, kEdge);
  for (const auto& [x, label, pressed] : {std::tuple{kOkX, "OK", pressedOk_}, std::tuple{kCancelX, "Cancel", pressedCancel_}}) {
    canvas.fill(x, kButtonY, kButtonW, kButtonH, pressed ? 0xFFCCCCCC : 0xFFE1E1E1);
    canvas.frame(x, kButtonY, kButtonW, kButtonH, kEdge);
    const std::string text = label;
    int w = 0;
    for (unsigned char ch : text) w += font_->advanceOf(ch);
    canvas.drawText(*font_, x + (kButtonW - w) / 2, kButtonY + (kButtonH - font_->height()) / 2, text, kBlack,
                    ClipRect{x, kButtonY, x + kButtonW, kButtonY + kButtonH});
  }
  return canvas.image();
}

bool ColourChooser::accept() {
  const std::optional<int32_t> c = readField(field_);
  if (!c) return false;  // a field that is no colour keeps the chooser open
  chosen_ = *c;
  return true;
}

bool ColourChooser::handle(const platform::WindowEvent& e) {
  using platform::WindowEvent;
  switch (e.kind) {
    case WindowEvent::Close:
    case WindowEvent::Quit: return true;
    case WindowEvent::KeyDown:
      if (e.vk == 27) return true;
      if (e.vk == 13) return accept();
      return false;
    case WindowEvent::Character:
      if (e.character == 8) {
        if (!field_.empty()) field_.pop_back();
      } else if (field_.size() < 7 && (e.character == '#' || std::isxdigit(e.character))) {
        field_ += char(std::toupper(e.character));
      }
      return false;
    case WindowEvent::MouseDown:
      pressedOk_ = inside(e.x, e.y, kOkX, kButtonY, kButtonW, kButtonH);
      pressedCancel_ = inside(e.x, e.y, kCancelX, kButtonY, kButtonW, kButtonH);
      return false;
    case WindowEvent::MouseUp: {
      const bool ok = pressedOk_ && inside(e.x, e.y, kOkX, kButtonY, kButtonW, kButtonH);
      const bool cancel = pressedCancel_ && inside(e.x, e.y, kCancelX, kButtonY, kButtonW, kButtonH);
      pressedOk_ = pressedCancel_ = false;
      if (cancel) return true;
      if (ok) return accept();
      if (const int i = swatchAt(e.x, e.y); i >= 0) field_ = fieldText(rgbToScript(kPalette[i]));
      return false;
    }
    default: return false;
  }
}

std::vector<platform::WindowEvent> ColourChooser::eventsFor(const ScriptedAnswer& a) const {
  if (a.kind != ScriptedAnswer::Colour) return CommonEvents(a);
  // Clears the field, types the colour and presses Enter.
  std::vector<platform::WindowEvent> out(field_.size(), CharacterEvent(8));
  for (const char c : fieldText(a.number)) out.push_back(CharacterEvent(static_cast<unsigned char>(c)));
  out.push_back(KeyEvent(13));
  return out;
}

std::string ColourChooser::describe() const { return "colour chooser " + fieldText(first_); }

}  // namespace qv::windows
