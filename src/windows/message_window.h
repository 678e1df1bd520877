// The message window: one window of its own for messages, questions and text input, whose look
// the game can change (`message_*`). It holds a background image stretched over the client area, a
// word-wrapped text, an input box shown only for text input, and three image buttons numbered 1
// (left), 2 (middle) and 3 (right), each with a normal, a mouse-over and a pressed image and a
// caption; the character after "&" in a caption is its accelerator.
//
// Layout, every time it is shown: the width is the set width or the background's; the text sits at
// (24, 16), 48 narrower than the window, with a blank appended; the height is the set height or
// text + button + 48 (+ input box + 16 when shown); buttons 1 at x 24, 2 centred, 3 at width -
// button - 24, their bottoms 16 above the bottom edge; the input box at x 24, 48 narrower than the
// window, its bottom 16 above the buttons' tops; the window at the set position or centred.
//
// Keys: Escape closes with 0; Enter (or Space without the input box) chooses the first visible
// button; without the input box a typed character, or Alt with it, chooses the first button whose
// accelerator it is (case ignored); a click chooses a button. The close button acts as Escape.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "data/bitmap32.h"
#include "windows/modal_dialog.h"

namespace qv::graphics {
struct CFont;
}

namespace qv::windows {

// A font of the window as the game sets it: style 0 none, 1 bold, 2 italic, 3 both.
struct DialogFont {
  std::string name = "MS Sans Serif";
  int size = 10;
  int32_t colour = 0xFFFFFF;  // script colour
  int style = 0;
};

// The look, kept for the whole run.
struct MessageLook {
  data::TBitmap32 background;       // stretched over the client area
  std::array<data::TBitmap32, 3> buttonImages;  // normal, mouse over, pressed
  bool buttonsKeyed = false;        // images from a sprite: their bottom-left colour is transparent
  DialogFont textFont, buttonFont, inputFont;
  int32_t mouseColour = -1;  // caption colour under the mouse; -1: the button font's colour
  int32_t inputColour = 0x3C3C3C;
  int alpha = 255;
  int x = -1, y = -1, width = -1, height = -1;  // -1: centred or automatic
  bool captionShown = false;
  std::string caption;
};
MessageLook& messageLook();
// Back to the built-in look (tests).
void ResetMessageLook();

// What one showing asks for: the text (already a string), the three captions ("" hides a button)
// and, for text input, the box's first text (shown fully selected).
struct MessageRequest {
  std::string text;
  std::array<std::string, 3> captions;
  bool input = false;
  std::string inputText;
};

struct MessageLayout {
  int width = 0, height = 0;
  int textX = 24, textY = 16, textWidth = 0, textHeight = 0;
  int buttonWidth = 0, buttonHeight = 0, buttonY = 0;
  std::array<int, 3> buttonX{};
  int inputX = 24, inputY = 0, inputWidth = 0, inputHeight = 0;
};

// The largest client area the window takes, so a text of any length gives a window that fits
// memory and screen; what does not fit is cut off.
inline constexpr int kMaxMessageWindowSide = 2048;

class MessageWindow final : public ModalDialog {
 public:
  explicit MessageWindow(MessageRequest request);
  ~MessageWindow() override;

  platform::DialogWindowSpec window() const override;
  data::TBitmap32 render() const override;
  bool handle(const platform::WindowEvent& e) override;
  std::vector<platform::WindowEvent> eventsFor(const ScriptedAnswer& a) const override;
  std::string describe() const override;

  const MessageLayout& layout() const { return layout_; }
  // The button chosen (1 to 3), 0 for Escape or the close button.
  int result() const { return result_; }
  const std::string& inputText() const { return input_; }

 private:
  int buttonAt(int x, int y) const;
  int firstVisibleButton() const;
  bool choose(int button);

  MessageRequest request_;
  MessageLayout layout_;
  std::unique_ptr<graphics::CFont> textFont_, buttonFont_, inputFont_;
  std::string input_;
  bool selected_ = false;  // the input's text is selected: typing replaces it
  int hover_ = 0, pressed_ = 0, result_ = 0;
};

// The character after "&" in a caption (0 when none; "&&" is a plain "&").
char Accelerator(const std::string& caption);
// The caption as shown: "&" marks removed, "&&" as "&"; `underline` gets the index of the
// accelerator in the shown text, or -1.
std::string ShownCaption(const std::string& caption, int* underline);

// Opens a typeface font of the window (code page 1252 characters 32 to 255).
std::unique_ptr<graphics::CFont> OpenDialogFont(const DialogFont& f);

}  // namespace qv::windows
