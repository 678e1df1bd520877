// The highscore window: the table in a window of its own, 360 x 400, centred, on top, captioned
// with the caption setting (no caption bar with the border off). Ten rows 32 pixels apart from
// y 48: the rank ("1." to "10.", right-aligned in 33 pixels at x 8), the name (x 48, 209 wide) and
// the score (right-aligned in 73 pixels at x 264), each 25 high and centred in it, in the window's
// font and the other-entry colour; the row being entered in the new-entry colour with the typed
// name followed by "|". The closing hint stands at the bottom. Escape or Enter closes; while a name
// is entered Backspace removes its last character and characters from 32 up are added.
#pragma once

#include <memory>
#include <string>

#include "windows/highscore_table.h"
#include "windows/modal_dialog.h"

namespace qv::graphics {
struct CFont;
}

namespace qv::windows {

inline constexpr int kHighscoreWindowWidth = 360, kHighscoreWindowHeight = 400;

class HighscoreWindow final : public ModalDialog {
 public:
  // `place` is the rank whose name is entered, or 0.
  HighscoreWindow(const HighscoreTable& table, int place);
  ~HighscoreWindow() override;

  platform::DialogWindowSpec window() const override;
  data::TBitmap32 render() const override;
  bool handle(const platform::WindowEvent& e) override;
  std::vector<platform::WindowEvent> eventsFor(const ScriptedAnswer& a) const override;
  std::string describe() const override;

  const std::string& typedName() const { return typed_; }

 private:
  const HighscoreTable& table_;
  int place_;
  std::string typed_;
  std::unique_ptr<graphics::CFont> font_;
};

}  // namespace qv::windows
