#include "windows/debugger_view.h"

#include <algorithm>
#include <cstdio>

#include "graphics/font.h"
#include "graphics/text.h"
#include "windows/dialog_canvas.h"
#include "windows/message_window.h"
#include "world/debugger.h"

namespace qv::windows {

namespace {

constexpr uint32_t kFace = 0xFFF2F2F2, kEdge = 0xFF8A8A8A, kText = 0xFF000000, kHeader = 0xFFDCE4EE,
                   kError = 0xFFB00020, kChosen = 0xFFC8DAF2, kButton = 0xFFE2E2E2, kEntry = 0xFFFFFFFF,
                   kQuiet = 0xFF606060;
constexpr int kMargin = 6, kButtonWidth = 60, kButtonHeight = 22;
constexpr int kVk_Return = 13, kVk_Escape = 27, kVk_Back = 8;
// Rows each list shows; the messages take what is left.
constexpr int kWatchRows = 5, kInstanceRows = 6, kVariableRows = 9;

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string contextName(int32_t context) {
  return context == world::kGlobalContext ? "global" : "instance " + std::to_string(context);
}

}  // namespace

DebuggerView::DebuggerView() : font_(OpenDialogFont(DialogFont{"MS Sans Serif", 10, 0, 0})), context_(world::kGlobalContext) {}
DebuggerView::~DebuggerView() = default;

data::TBitmap32 DebuggerView::render() const {
  const world::Debugger& d = world::debugger();
  const graphics::CFont& f = *font_;
  const int row = f.height() + 3;
  DialogCanvas canvas(kWidth, kHeight, kFace);
  canvas.frame(0, 0, kWidth, kHeight, kEdge);
  const ClipRect all{1, 1, kWidth - 1, kHeight - 1};
  areas_.clear();
  auto text = [&](int x, int y, const std::string& s, uint32_t colour) { canvas.drawText(f, x, y, s, colour, all); };

  // Buttons and the state line.
  int y = kMargin;
  const char* labels[] = {"Run", "Pause", "Step"};
  const Target targets[] = {Target::Run, Target::Pause, Target::Step};
  for (int i = 0; i < 3; ++i) {
    const int x = kMargin + i * (kButtonWidth + 4);
    const bool lit = (i == 0 && !d.paused()) || (i == 1 && d.paused());
    canvas.fill(x, y, kButtonWidth, kButtonHeight, lit ? kChosen : kButton);
    canvas.frame(x, y, kButtonWidth, kButtonHeight, kEdge);
    const int w = int(graphics::StringWidth(f, labels[i]));
    text(x + (kButtonWidth - w) / 2, y + (kButtonHeight - f.height()) / 2, labels[i], kText);
    areas_.push_back({x, y, kButtonWidth, kButtonHeight, targets[i], 0, {}});
  }
  const int stateX = kMargin + 3 * (kButtonWidth + 4) + 6;
  text(stateX, y, d.paused() ? "paused" : "running", d.paused() ? kError : kText);
  text(stateX, y + row - 2, d.roomName() + "   fps " + std::to_string(d.fps()) + "   step " + std::to_string(d.step()),
       kQuiet);
  y += kButtonHeight + kMargin + 2;

  // The entry line: a new watch, or the new value of the variable being edited.
  const std::string label = editing_.empty() ? "watch (" + contextName(context_) + "):" : editing_ + " =";
  text(kMargin, y + 2, label, kText);
  const int boxX = kMargin + int(graphics::StringWidth(f, label)) + 6;
  canvas.fill(boxX, y, kWidth - kMargin - boxX, row + 2, kEntry);
  canvas.frame(boxX, y, kWidth - kMargin - boxX, row + 2, kEdge);
  canvas.drawText(f, boxX + 3, y + 2, entry_ + "|", kText, ClipRect{boxX + 1, y, kWidth - kMargin - 1, y + row + 2});
  y += row + 4;
  if (!notice_.empty()) text(kMargin, y, notice_, kError);
  y += row;

  auto header = [&](const std::string& title) {
    canvas.fill(1, y, kWidth - 2, row, kHeader);
    text(kMargin, y + 1, title, kText);
    y += row + 1;
  };

  header("Watches");
  const auto& watches = d.watches();
  for (int i = 0; i < kWatchRows; ++i) {
    if (size_t(i) < watches.size()) {
      const world::DebugWatch& w = watches[size_t(i)];
      const std::string where = w.context == world::kGlobalContext ? "" : "  [" + std::to_string(w.context) + "]";
      text(kMargin, y, w.expression + where + (w.failed ? "  !  " : " = ") + w.value, w.failed ? kError : kText);
      areas_.push_back({1, y, kWidth - 2, row, Target::Watch, i, {}});
    }
    y += row;
  }

  header("Instances");
  std::vector<std::pair<int32_t, std::string>> contexts{{world::kGlobalContext, "global"}};
  for (const world::DebugInstance& in : d.instances())
    contexts.push_back({in.id, std::to_string(in.id) + "  " + in.object + "  (" + number(in.x) + ", " + number(in.y) + ")"});
  for (int i = 0; i < kInstanceRows && size_t(i) < contexts.size(); ++i) {
    const int top = y + i * row;
    if (contexts[size_t(i)].first == context_) canvas.fill(1, top, kWidth - 2, row, kChosen);
    text(kMargin, top, contexts[size_t(i)].second, kText);
    areas_.push_back({1, top, kWidth - 2, row, Target::Context, contexts[size_t(i)].first, {}});
  }
  y += kInstanceRows * row;

  header("Variables of " + contextName(context_));
  const auto variables = context_ == world::kGlobalContext ? d.globals() : d.instanceVariables(context_);
  const int scroll = std::clamp(variableScroll_, 0, std::max(0, int(variables.size()) - kVariableRows));
  for (int i = 0; i < kVariableRows && size_t(i + scroll) < variables.size(); ++i) {
    const world::DebugVariable& v = variables[size_t(i + scroll)];
    const int top = y + i * row;
    if (v.name == editing_) canvas.fill(1, top, kWidth - 2, row, kChosen);
    text(kMargin, top, v.name, v.builtin ? kQuiet : kText);
    text(kMargin + 130, top, v.value, kText);
    areas_.push_back({1, top, kWidth - 2, row, Target::Variable, 0, v.name});
  }
  y += kVariableRows * row;

  header("Messages");
  const auto& messages = d.messages();
  const int fits = std::max(0, (kHeight - 2 - y) / row);
  const size_t first = messages.size() > size_t(fits) ? messages.size() - size_t(fits) : 0;
  for (size_t i = first; i < messages.size(); ++i, y += row) text(kMargin, y, messages[i], kText);
  return canvas.image();
}

void DebuggerView::handle(const platform::WindowEvent& e) {
  switch (e.kind) {
    case platform::WindowEvent::MouseDown:
      click(e.x, e.y, e.button);
      break;
    case platform::WindowEvent::Wheel:
      variableScroll_ = std::max(0, variableScroll_ - 3 * e.wheel);
      break;
    case platform::WindowEvent::KeyDown:
      if (e.vk == kVk_Return) enter();
      if (e.vk == kVk_Escape) {
        entry_.clear();
        editing_.clear();
        notice_.clear();
      }
      break;
    case platform::WindowEvent::Character:
      if (e.character == kVk_Back) {
        if (!entry_.empty()) entry_.pop_back();
      } else if (e.character >= 32 && entry_.size() < 1000) {
        entry_ += char(e.character);
      }
      break;
    default:
      break;
  }
}

void DebuggerView::click(int x, int y, int button) {
  world::Debugger& d = world::debugger();
  for (const HitArea& a : areas_) {
    if (x < a.x || y < a.y || x >= a.x + a.w || y >= a.y + a.h) continue;
    switch (a.target) {
      case Target::Run: d.run(); break;
      case Target::Pause: d.pause(); break;
      case Target::Step: d.stepOnce(); break;
      case Target::Context:
        context_ = a.number;
        variableScroll_ = 0;
        editing_.clear();
        break;
      case Target::Variable:
        editing_ = a.name;
        entry_.clear();
        notice_.clear();
        break;
      case Target::Watch:
        if (button == 2) d.removeWatch(size_t(a.number));
        break;
    }
    return;
  }
}

void DebuggerView::enter() {
  world::Debugger& d = world::debugger();
  if (entry_.empty()) return;
  if (editing_.empty()) {
    d.addWatch(entry_, context_);
    notice_.clear();
  } else {
    notice_ = d.setVariable(context_, editing_, entry_);
    if (notice_.empty()) editing_.clear();
  }
  entry_.clear();
}

}  // namespace qv::windows
