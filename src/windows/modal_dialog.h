// ModalDialog: what every one of the runner's own dialogs is (the message window, the highscore
// table, the pop-up menu, the choosers): a client area it draws, the events it handles, and how a
// scripted answer becomes the events a player would cause. RunModal shows it in a window of its own
// and waits; headless, or whenever answers are queued, it feeds the next scripted answer through the
// same handling instead, so automated runs never wait for a person.
#pragma once

#include <string>
#include <vector>

#include "data/bitmap32.h"
#include "platform/dialog_window.h"
#include "platform/game_window.h"
#include "windows/scripted_answers.h"

namespace qv::windows {

class ModalDialog {
 public:
  virtual ~ModalDialog() = default;
  // Size, position, caption bar and opacity of the window.
  virtual platform::DialogWindowSpec window() const = 0;
  // The client area as it looks now.
  virtual data::TBitmap32 render() const = 0;
  // One event; true when the dialog is done.
  virtual bool handle(const platform::WindowEvent& e) = 0;
  // The events a player would cause to give this answer.
  virtual std::vector<platform::WindowEvent> eventsFor(const ScriptedAnswer& a) const = 0;
  // One line for stderr saying what is asked ("message \"Hello\"", "menu \"New|Open\"").
  virtual std::string describe() const = 0;
  // Dialogs that change by themselves (a timer, a video): `tick` gets the milliseconds since the
  // dialog opened and returns true when the dialog is done; `ticking` says whether it wants them.
  virtual bool ticking() const { return false; }
  virtual bool tick(int64_t /*elapsedMs*/) { return false; }
  // True when the dialog ends by itself after a while (a timer, a video that does not loop): left
  // unanswered headless, it runs to that end at once instead of being closed with Escape.
  virtual bool endsByItself() const { return false; }
};

// Shows the dialog and returns once it is done.
void RunModal(ModalDialog& dialog);

// Event makers for eventsFor.
platform::WindowEvent KeyEvent(int vk, bool alt = false);
platform::WindowEvent CharacterEvent(unsigned char c);
// A click (move, press and release of the left button) at a point of the client area.
std::vector<platform::WindowEvent> ClickEvents(int x, int y);
// The events shared by every dialog: Escape, Enter, Space, the close button, typed keys.
// Empty for the answers a dialog has to turn into events itself.
std::vector<platform::WindowEvent> CommonEvents(const ScriptedAnswer& a);

}  // namespace qv::windows
