// The runner's own colour chooser, shown when the desktop has none: 48 colour swatches, a field
// with the colour as "#RRGGBB" that can be typed into, a preview, and OK and Cancel. A click on a
// swatch takes its colour; Enter or OK answers the colour in the field (when it reads as one),
// Escape, Cancel or the close button answer -1.
#pragma once

#include <memory>
#include <string>

#include "windows/modal_dialog.h"

namespace qv::graphics {
struct CFont;
}

namespace qv::windows {

class ColourChooser final : public ModalDialog {
 public:
  explicit ColourChooser(int32_t scriptColour);
  ~ColourChooser() override;

  platform::DialogWindowSpec window() const override;
  data::TBitmap32 render() const override;
  bool handle(const platform::WindowEvent& e) override;
  std::vector<platform::WindowEvent> eventsFor(const ScriptedAnswer& a) const override;
  std::string describe() const override;

  // The script colour (0xBBGGRR) chosen, or -1.
  int32_t chosen() const { return chosen_; }

 private:
  bool accept();

  std::unique_ptr<graphics::CFont> font_;
  std::string field_;  // "#RRGGBB" as typed
  int32_t first_ = 0, chosen_ = -1;
  bool pressedOk_ = false, pressedCancel_ = false;
};

}  // namespace qv::windows
