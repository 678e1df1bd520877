// DebuggerView: the debugger window's client area and its handling of the player's clicks and keys,
// over the debugger model (world/debugger). It draws in memory like the dialogs, so a test can
// compare its picture and feed it events without a window; the runner shows it in a window of its
// own beside the game's and keeps the game running meanwhile.
//
// From the top: the Run, Pause and Step buttons with the room, the fps, the step and the state; an
// entry line; the watches; the instances of the room (the first row is "global"); the variables of
// the chosen instance (or the globals); the messages, newest at the bottom.
//
// The entry line adds a watch in the chosen context when Enter is pressed; after a click on a
// variable it edits that variable instead (the text is an expression, computed in the same
// context). A right click on a watch removes it. Escape empties the line and ends an edit. The
// wheel scrolls the variables.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/bitmap32.h"
#include "platform/game_window.h"

namespace qv::graphics {
struct CFont;
}

namespace qv::windows {

class DebuggerView {
 public:
  static constexpr int kWidth = 420, kHeight = 640;
  DebuggerView();
  ~DebuggerView();

  data::TBitmap32 render() const;
  // One event of the window (client coordinates).
  void handle(const platform::WindowEvent& e);

  enum class Target { Run, Pause, Step, Context, Variable, Watch };
  // A place a click reaches, as the last render laid it out.
  struct HitArea {
    int x, y, w, h;
    Target target;
    int32_t number = 0;  // Context: the id; Watch: the position
    std::string name;    // Variable
  };
  const std::vector<HitArea>& areas() const { return areas_; }

  int32_t context() const { return context_; }
  const std::string& entry() const { return entry_; }
  const std::string& editing() const { return editing_; }
  const std::string& notice() const { return notice_; }

 private:
  void click(int x, int y, int button);
  void enter();

  std::unique_ptr<graphics::CFont> font_;
  int32_t context_;
  std::string entry_, editing_, notice_;
  int variableScroll_ = 0;  // first variable row shown
  mutable std::vector<HitArea> areas_;  // where render put what a click reaches
};

}  // namespace qv::windows
