// The game information window: the game's rich-text page in a window of its own with the settings
// the game data carries (caption, position, size, border), or over the main window when the game
// asks for that. The page's background is the colour the settings carry (light yellow unless the
// game chose another); text without a style of its own is black 12-point Arial (16 pixels).
// Escape or the close button closes it; the wheel, the arrow keys, Page Up, Page Down, Home and
// End scroll it, and a bar at the right edge shows where the view is.
#pragma once

#include <memory>

#include "windows/game_information.h"
#include "windows/modal_dialog.h"

namespace qv::windows {

class RichTextView;

class InformationWindow final : public ModalDialog {
 public:
  explicit InformationWindow(const GameInformation& info);
  ~InformationWindow() override;

  platform::DialogWindowSpec window() const override;
  data::TBitmap32 render() const override;
  bool handle(const platform::WindowEvent& e) override;
  std::vector<platform::WindowEvent> eventsFor(const ScriptedAnswer& a) const override;
  std::string describe() const override;

  int scroll() const { return scroll_; }
  // True when it covers the main window's client area rather than a window of its own.
  bool inMainWindow() const { return inMainWindow_; }
  int maxScroll() const;

 private:
  void scrollBy(int pixels);

  GameInformation info_;
  int x_ = -1, y_ = -1, width_ = 0, height_ = 0;
  std::unique_ptr<RichTextView> view_;
  int scroll_ = 0;
  bool inMainWindow_ = false;
};

}  // namespace qv::windows
