#include "windows/message_window.h"

#include <algorithm>
#include <cctype>

#include "graphics/colour.h"
#include "graphics/font.h"
#include "graphics/text.h"
#include "windows/dialog_canvas.h"

namespace qv::windows {

namespace {

constexpr int kDefaultWidth = 348, kDefaultHeight = 129;
constexpr int kDefaultButtonWidth = 80, kDefaultButtonHeight = 25;
constexpr size_t kMaxInputLength = 32767;  // as much as a single-line edit box holds

uint32_t lerp(uint32_t a, uint32_t b, int t, int n) {
  auto ch = [&](int shift) {
    const int x = int((a >> shift) & 0xFF), y = int((b >> shift) & 0xFF);
    return uint32_t(x + (y - x) * t / std::max(1, n)) << shift;
  };
  return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

// The built-in background: a dark blue panel, lighter at the top, with a thin light edge.
data::TBitmap32 defaultBackground() {
  data::TBitmap32 b(kDefaultWidth, kDefaultHeight);
  for (int y = 0; y < b.height; ++y) std::fill(b.row(y), b.row(y) + b.width, lerp(0xFF3E5478, 0xFF162238, y, b.height - 1));
  for (int x = 0; x < b.width; ++x) b.setPixel(x, 0, 0xFF8CA4C8), b.setPixel(x, b.height - 1, 0xFF0C1424);
  for (int y = 0; y < b.height; ++y) b.setPixel(0, y, 0xFF8CA4C8), b.setPixel(b.width - 1, y, 0xFF0C1424);
  return b;
}

// The built-in buttons: rounded-looking bars, brighter under the mouse, sunk when pressed.
data::TBitmap32 defaultButton(uint32_t top, uint32_t bottom, uint32_t edge) {
  data::TBitmap32 b(kDefaultButtonWidth, kDefaultButtonHeight);
  for (int y = 0; y < b.height; ++y) std::fill(b.row(y), b.row(y) + b.width, lerp(top, bottom, y, b.height - 1));
  for (int x = 1; x < b.width - 1; ++x) b.setPixel(x, 0, edge), b.setPixel(x, b.height - 1, edge);
  for (int y = 1; y < b.height - 1; ++y) b.setPixel(0, y, edge), b.setPixel(b.width - 1, y, edge);
  return b;
}

MessageLook builtInLook() {
  MessageLook look;
  look.background = defaultBackground();
  look.buttonImages = {defaultButton(0xFF5C78A8, 0xFF2A3C60, 0xFFA0B4D8),
                       defaultButton(0xFF7894C4, 0xFF3A5080, 0xFFD0DCF0),
                       defaultButton(0xFF22324E, 0xFF4A6290, 0xFFA0B4D8)};
  return look;
}

}  // namespace

MessageLook& messageLook() {
  static MessageLook look = builtInLook();
  return look;
}

void ResetMessageLook() { messageLook() = builtInLook(); }

char Accelerator(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1];
    ++i;  // "&&" is a plain "&"
  }
  return 0;
}

std::string ShownCaption(const std::string& caption, int* underline) {
  std::string out;
  if (underline) *underline = -1;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] != '&' && underline && *underline < 0) *underline = int(out.size());
    }
    out += caption[i];
  }
  return out;
}

std::unique_ptr<graphics::CFont> OpenDialogFont(const DialogFont& f) {
  const bool bold = f.style == 1 || f.style == 3, italic = f.style == 2 || f.style == 3;
  return std::make_unique<graphics::CFont>(graphics::MakeTypefaceFont(f.name, std::clamp(f.size, 1, 200), bold, italic, 32, 255));
}

MessageWindow::MessageWindow(MessageRequest request) : request_(std::move(request)) {
  const MessageLook& look = messageLook();
  textFont_ = OpenDialogFont(look.textFont);
  buttonFont_ = OpenDialogFont(look.buttonFont);
  inputFont_ = OpenDialogFont(look.inputFont);
  request_.text += ' ';
  input_ = request_.inputText.substr(0, kMaxInputLength);
  selected_ = request_.input && !input_.empty();

  MessageLayout& l = layout_;
  const int backgroundWidth = look.background.empty() ? kDefaultWidth : look.background.width;
  l.width = std::clamp(look.width >= 0 ? look.width : backgroundWidth, 1, kMaxMessageWindowSide);
  l.textWidth = std::max(0, l.width - 48);
  l.textHeight = int(std::min<int64_t>(graphics::TextHeight(*textFont_, request_.text, -1, l.textWidth), kMaxMessageWindowSide));
  const data::TBitmap32& normal = look.buttonImages[0];
  l.buttonWidth = normal.empty() ? kDefaultButtonWidth : normal.width;
  l.buttonHeight = normal.empty() ? kDefaultButtonHeight : normal.height;
  l.inputHeight = request_.input ? inputFont_->height() + 8 : 0;
  const int automatic = l.textHeight + l.buttonHeight + 48 + (request_.input ? l.inputHeight + 16 : 0);
  l.height = std::clamp(look.height >= 0 ? look.height : automatic, 1, kMaxMessageWindowSide);
  l.buttonY = l.height - 16 - l.buttonHeight;
  l.buttonX = {24, (l.width - l.buttonWidth) / 2, l.width - l.buttonWidth - 24};
  l.inputWidth = std::max(0, l.width - 48);
  l.inputY = l.buttonY - 16 - l.inputHeight;
}

MessageWindow::~MessageWindow() = default;

platform::DialogWindowSpec MessageWindow::window() const {
  const MessageLook& look = messageLook();
  platform::DialogWindowSpec s;
  s.captionUtf8 = look.caption;
  s.x = look.x;
  s.y = look.y;
  s.width = layout_.width;
  s.height = layout_.height;
  s.captionBar = look.captionShown;
  s.opacity = look.alpha / 255.0;
  return s;
}

data::TBitmap32 MessageWindow::render() const {
  const MessageLook& look = messageLook();
  const MessageLayout& l = layout_;
  DialogCanvas canvas(l.width, l.height, 0xFF000000u);
  canvas.drawImage(look.background, 0, 0, l.width, l.height);

  const int lineHeight = std::max(1, textFont_->height());
  const ClipRect textClip{l.textX, l.textY, l.textX + l.textWidth, l.textY + l.textHeight};
  const uint32_t textColour = graphics::ScriptToDevice(look.textFont.colour, 1.0);
  int y = l.textY;
  for (const std::string& line : graphics::LayoutText(*textFont_, request_.text, l.textWidth)) {
    if (y >= textClip.y1) break;
    canvas.drawText(*textFont_, l.textX, y, line, textColour, textClip);
    y += lineHeight;
  }

  if (request_.input) {
    canvas.fill(l.inputX, l.inputY, l.inputWidth, l.inputHeight, graphics::ScriptToDevice(look.inputColour, 1.0));
    const ClipRect clip{l.inputX + 2, l.inputY, l.inputX + l.inputWidth - 2, l.inputY + l.inputHeight};
    // Long input scrolls left so its end (where typing happens) stays in view.
    const int textWidth = int(std::min<int64_t>(graphics::StringWidth(*inputFont_, input_), 1 << 20));
    const int x = l.inputX + 4 - std::max(0, textWidth - (l.inputWidth - 10));
    const int ty = l.inputY + (l.inputHeight - inputFont_->height()) / 2;
    if (selected_) canvas.fill(x, ty, textWidth, inputFont_->height(), 0xFF3373C4);
    canvas.drawText(*inputFont_, x, ty, input_, graphics::ScriptToDevice(look.inputFont.colour, 1.0), clip);
    if (!selected_) canvas.fill(x + textWidth + 1, ty, 1, inputFont_->height(), graphics::ScriptToDevice(look.inputFont.colour, 1.0));
  }

  for (int b = 0; b < 3; ++b) {
    const std::string& caption = request_.captions[size_t(b)];
    if (caption.empty()) continue;
    const bool over = hover_ == b + 1;
    const data::TBitmap32& image = look.buttonImages[size_t(over && pressed_ == b + 1 ? 2 : over ? 1 : 0)];
    const int bx = l.buttonX[size_t(b)];
    std::optional<uint32_t> key;
    if (look.buttonsKeyed && !image.empty()) key = image.pixel(0, image.height - 1);
    canvas.drawImage(image, bx, l.buttonY, l.buttonWidth, l.buttonHeight, key);
    int underline = -1;
    const std::string shown = ShownCaption(caption, &underline);
    const int32_t colour = over ? (look.mouseColour >= 0 ? look.mouseColour : look.buttonFont.colour) : look.buttonFont.colour;
    const uint32_t device = graphics::ScriptToDevice(colour, 1.0);
    const int w = int(std::min<int64_t>(graphics::StringWidth(*buttonFont_, shown), 1 << 20));
    const int tx = bx + (l.buttonWidth - w) / 2, ty = l.buttonY + (l.buttonHeight - buttonFont_->height()) / 2;
    const ClipRect clip{bx, l.buttonY, bx + l.buttonWidth, l.buttonY + l.buttonHeight};
    canvas.drawText(*buttonFont_, tx, ty, shown, device, clip);
    if (underline >= 0) {
      const int ux = tx + int(graphics::StringWidth(*buttonFont_, shown.substr(0, size_t(underline))));
      const int uw = buttonFont_->advanceOf(static_cast<unsigned char>(shown[size_t(underline)]));
      canvas.fill(ux, std::min(ty + buttonFont_->height() - 1, l.buttonY + l.buttonHeight - 2), uw, 1, device);
    }
  }
  return canvas.image();
}

int MessageWindow::buttonAt(int x, int y) const {
  if (y < layout_.buttonY || y >= layout_.buttonY + layout_.buttonHeight) return 0;
  for (int b = 0; b < 3; ++b)
    if (!request_.captions[size_t(b)].empty() && x >= layout_.buttonX[size_t(b)] &&
        x < layout_.buttonX[size_t(b)] + layout_.buttonWidth)
      return b + 1;
  return 0;
}

int MessageWindow::firstVisibleButton() const {
  for (int b = 0; b < 3; ++b)
    if (!request_.captions[size_t(b)].empty()) return b + 1;
  return 0;
}

bool MessageWindow::choose(int button) {
  result_ = button;
  return true;
}

bool MessageWindow::handle(const platform::WindowEvent& e) {
  using platform::WindowEvent;
  auto acceleratorButton = [&](int c) {
    for (int b = 0; b < 3; ++b) {
      const char a = Accelerator(request_.captions[size_t(b)]);
      if (a != 0 && std::toupper(static_cast<unsigned char>(a)) == std::toupper(c)) return b + 1;
    }
    return 0;
  };
  switch (e.kind) {
    case WindowEvent::Close:
    case WindowEvent::Quit: return choose(0);
    case WindowEvent::KeyDown:
      if (e.vk == 27) return choose(0);
      if (e.vk == 13 || (e.vk == 32 && !request_.input)) return choose(firstVisibleButton());
      if (e.alt && !request_.input) {
        if (const int b = acceleratorButton(e.vk)) return choose(b);
      }
      return false;
    case WindowEvent::Character: {
      const auto c = static_cast<unsigned char>(e.character);
      if (!request_.input) {
        if (c == ' ') return false;  // Space is its key, handled above
        if (const int b = acceleratorButton(c)) return choose(b);
        return false;
      }
      if (c == 8) {
        if (selected_) input_.clear();
        else if (!input_.empty()) input_.pop_back();
      } else if (c >= 32) {
        if (selected_) input_.clear();
        if (input_.size() < kMaxInputLength) input_ += char(c);
      }
      selected_ = false;
      return false;
    }
    case WindowEvent::MouseMove:
      hover_ = buttonAt(e.x, e.y);
      return false;
    case WindowEvent::MouseDown:
      hover_ = buttonAt(e.x, e.y);
      if (e.button == 1) pressed_ = hover_;
      return false;
    case WindowEvent::MouseUp: {
      if (e.button != 1) return false;
      const int b = buttonAt(e.x, e.y);
      const bool chosen = b != 0 && b == pressed_;
      pressed_ = 0;
      return chosen ? choose(b) : false;
    }
    default: return false;
  }
}

std::vector<platform::WindowEvent> MessageWindow::eventsFor(const ScriptedAnswer& a) const {
  if (a.kind == ScriptedAnswer::Button) {
    const size_t b = size_t(a.number - 1);
    if (request_.captions[b].empty()) return {};  // a hidden button cannot be clicked
    return ClickEvents(layout_.buttonX[b] + layout_.buttonWidth / 2, layout_.buttonY + layout_.buttonHeight / 2);
  }
  return CommonEvents(a);
}

std::string MessageWindow::describe() const {
  std::string text = request_.text.substr(0, request_.text.size() - 1);  // without the blank appended
  if (text.size() > 200) text = text.substr(0, 200) + "...";
  return (request_.input ? "input \"" : "message \"") + text + "\"";
}

}  // namespace qv::windows
