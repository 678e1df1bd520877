#include "windows/popup_menu.h"

#include <algorithm>

#include "graphics/font.h"
#include "graphics/text.h"
#include "windows/dialog_canvas.h"
#include "windows/message_window.h"

namespace qv::windows {

namespace {

constexpr int kItemPadding = 6, kSeparatorHeight = 7, kTextLeft = 20;
constexpr int kMinWidth = 100, kMaxWidth = 800;
constexpr uint32_t kFace = 0xFFF2F2F2, kEdge = 0xFF8A8A8A, kText = 0xFF000000, kHighlight = 0xFF3373C4,
                   kHighlightText = 0xFFFFFFFF, kSeparator = 0xFFC8C8C8;

}  // namespace

std::vector<MenuItem> ParseMenuItems(const std::string& text) {
  std::vector<MenuItem> items;
  int number = 0;
  size_t start = 0;
  while (true) {
    const size_t bar = text.find('|', start);
    MenuItem item;
    item.text = text.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
    item.separator = item.text == "-";
    if (!item.separator) item.number = number++;
    items.push_back(std::move(item));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return items;
}

PopupMenu::PopupMenu(const std::string& text, int x, int y)
    : text_(text), items_(ParseMenuItems(text)), font_(OpenDialogFont(DialogFont{"MS Sans Serif", 10, 0, 0})), x_(x), y_(y) {
  int widest = 0;
  for (const MenuItem& item : items_) {
    tops_.push_back(total_);
    total_ += item.separator ? kSeparatorHeight : font_->height() + kItemPadding;
    if (!item.separator) widest = std::max<int>(widest, int(std::min<int64_t>(graphics::StringWidth(*font_, item.text), kMaxWidth)));
  }
  width_ = std::clamp(widest + 2 * kTextLeft, kMinWidth, kMaxWidth);
  height_ = std::clamp(total_ + 4, 1, kMaxMenuHeight);
}

PopupMenu::~PopupMenu() = default;

platform::DialogWindowSpec PopupMenu::window() const {
  platform::DialogWindowSpec s;
  s.x = std::max(0, x_);
  s.y = std::max(0, y_);
  s.width = width_;
  s.height = height_;
  s.captionBar = false;
  return s;
}

int PopupMenu::rowTop(size_t index) const { return 2 + tops_[index] - scroll_; }
int PopupMenu::rowHeight(size_t index) const {
  return items_[index].separator ? kSeparatorHeight : font_->height() + kItemPadding;
}

data::TBitmap32 PopupMenu::render() const {
  DialogCanvas canvas(width_, height_, kFace);
  canvas.frame(0, 0, width_, height_, kEdge);
  const ClipRect clip{1, 1, width_ - 1, height_ - 1};
  // Only the rows in view are drawn, so a menu of any length costs the same.
  const auto first = std::upper_bound(tops_.begin(), tops_.end(), scroll_) - tops_.begin();
  for (size_t i = size_t(std::max<std::ptrdiff_t>(0, first - 1)); i < items_.size(); ++i) {
    const int top = rowTop(i);
    if (top >= height_) break;
    if (items_[i].separator) {
      canvas.fill(4, top + kSeparatorHeight / 2, width_ - 8, 1, kSeparator);
      continue;
    }
    const bool lit = int(i) == highlight_;
    if (lit) canvas.fill(2, std::max(top, 1), width_ - 4, std::min(rowHeight(i), height_ - 1 - top), kHighlight);
    canvas.drawText(*font_, kTextLeft, top + kItemPadding / 2, items_[i].text, lit ? kHighlightText : kText, clip);
  }
  return canvas.image();
}

int PopupMenu::itemAt(int y) const {
  const int listY = y - 2 + scroll_;
  if (y < 1 || y >= height_ - 1 || listY < 0 || listY >= total_) return -1;
  const auto it = std::upper_bound(tops_.begin(), tops_.end(), listY);
  const size_t i = size_t(it - tops_.begin()) - 1;
  return items_[i].separator ? -1 : int(i);
}

void PopupMenu::moveHighlight(int direction) {
  const int n = int(items_.size());
  int i = highlight_;
  for (int tries = 0; tries < n; ++tries) {
    i = i < 0 ? (direction > 0 ? 0 : n - 1) : (i + direction + n) % n;
    if (!items_[size_t(i)].separator) {
      highlight_ = i;
      keepInView();
      return;
    }
  }
}

void PopupMenu::keepInView() {
  if (highlight_ < 0) return;
  const int top = tops_[size_t(highlight_)], bottom = top + rowHeight(size_t(highlight_));
  const int visible = height_ - 4;
  if (top < scroll_) scroll_ = top;
  if (bottom > scroll_ + visible) scroll_ = bottom - visible;
}

bool PopupMenu::handle(const platform::WindowEvent& e) {
  using platform::WindowEvent;
  switch (e.kind) {
    case WindowEvent::Close:
    case WindowEvent::Quit:
    case WindowEvent::FocusLost: return true;
    case WindowEvent::KeyDown:
      if (e.vk == 27) return true;
      if (e.vk == 38) moveHighlight(-1);
      if (e.vk == 40) moveHighlight(1);
      if (e.vk == 13 && highlight_ >= 0) {
        chosen_ = items_[size_t(highlight_)].number;
        return true;
      }
      return false;
    case WindowEvent::MouseMove: {
      const int i = itemAt(e.y);
      if (i >= 0 && e.x >= 0 && e.x < width_) highlight_ = i;
      return false;
    }
    case WindowEvent::MouseUp: {
      const int i = itemAt(e.y);
      if (e.button != 1 || i < 0 || e.x < 0 || e.x >= width_) return false;
      chosen_ = items_[size_t(i)].number;
      return true;
    }
    case WindowEvent::Wheel:
      scroll_ = std::clamp(scroll_ - e.wheel * 3 * (font_->height() + kItemPadding), 0, std::max(0, total_ - (height_ - 4)));
      return false;
    default: return false;
  }
}

std::vector<platform::WindowEvent> PopupMenu::eventsFor(const ScriptedAnswer& a) const {
  if (a.kind != ScriptedAnswer::Menu) return CommonEvents(a);
  // Item N is reached with the arrow keys from the top, as a player would by keyboard.
  std::vector<platform::WindowEvent> out;
  for (const MenuItem& item : items_) {
    if (item.separator) continue;
    out.push_back(KeyEvent(40));
    if (item.number == a.number) {
      out.push_back(KeyEvent(13));
      return out;
    }
  }
  return {};  // no such item: the menu is dismissed
}

std::string PopupMenu::describe() const {
  return "menu \"" + (text_.size() > 200 ? text_.substr(0, 200) + "..." : text_) + "\"";
}

}  // namespace qv::windows
