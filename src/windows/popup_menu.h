// The pop-up menu of `show_menu` and `show_menu_pos`: the items of a text separated by "|", "-"
// standing for a separator line; the other items are numbered from 0 in order. The arrow keys move
// the highlight over the items (separators are skipped), Enter or a click chooses, Escape, the
// close button or a click elsewhere (the menu losing the focus) dismisses it.
//
// A menu taller than kMaxMenuHeight scrolls: the highlight stays in view, the wheel scrolls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "windows/modal_dialog.h"

namespace qv::graphics {
struct CFont;
}

namespace qv::windows {

inline constexpr int kMaxMenuHeight = 600;

struct MenuItem {
  std::string text;
  bool separator = false;
  int number = -1;  // -1 for separators
};
std::vector<MenuItem> ParseMenuItems(const std::string& text);

class PopupMenu final : public ModalDialog {
 public:
  // At screen position x, y.
  PopupMenu(const std::string& text, int x, int y);
  ~PopupMenu() override;

  platform::DialogWindowSpec window() const override;
  data::TBitmap32 render() const override;
  bool handle(const platform::WindowEvent& e) override;
  std::vector<platform::WindowEvent> eventsFor(const ScriptedAnswer& a) const override;
  std::string describe() const override;

  // The number of the chosen item, or -1 when dismissed.
  int chosen() const { return chosen_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int rowTop(size_t index) const;
  int rowHeight(size_t index) const;
  int itemAt(int y) const;
  void moveHighlight(int direction);
  void keepInView();

  std::string text_;
  std::vector<MenuItem> items_;
  std::unique_ptr<graphics::CFont> font_;
  std::vector<int> tops_;  // top of each row in the whole (unscrolled) list
  int total_ = 0;          // height of the whole list
  int x_ = 0, y_ = 0, width_ = 0, height_ = 0, scroll_ = 0;
  int highlight_ = -1;  // index into items_, -1 none
  int chosen_ = -1;
};

}  // namespace qv::windows
