#include "windows/modal_dialog.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "graphics/bitmap_ops.h"
#include "platform/code_page.h"
#include "platform/error_answer.h"

namespace qv::windows {

namespace {

// Feeds the answer's events; a dialog they leave open is closed with Escape and then with its
// close button, so a wrong answer can never leave the game waiting.
void answer(ModalDialog& dialog, const ScriptedAnswer& a) {
  for (const platform::WindowEvent& e : dialog.eventsFor(a))
    if (dialog.handle(e)) return;
  if (dialog.handle(KeyEvent(27))) return;
  platform::WindowEvent close;
  close.kind = platform::WindowEvent::Close;
  dialog.handle(close);
}

// QUORVANE_DIALOG_SHOTS: a folder that gets each answered dialog's picture as it opened
// ("dialog-1.png", "dialog-2.png", ...), so automated runs can check what a player would see.
void keepPicture(const ModalDialog& dialog) {
  static int count = 0;
  const char* folder = std::getenv("QUORVANE_DIALOG_SHOTS");
  if (!folder || !*folder) return;
  graphics::SavePng(dialog.render(), std::string(folder) + "/dialog-" + std::to_string(++count) + ".png");
}

}  // namespace

void RunModal(ModalDialog& dialog) {
  if (!ScriptedAnswersWaiting() && !platform::HeadlessRun()) {
    data::TBitmap32 shown;
    const bool opened = platform::RunDialogWindow(
        dialog.window(),
        [&]() -> const std::vector<uint32_t>& {
          shown = dialog.render();
          return shown.pixels;
        },
        [&](const platform::WindowEvent& e) { return dialog.handle(e); },
        dialog.ticking() ? platform::DialogTick([&](int64_t ms) { return dialog.tick(ms); }) : platform::DialogTick());
    if (opened) return;
  }
  keepPicture(dialog);
  const std::optional<ScriptedAnswer> next = NextScriptedAnswer();
  const std::string what = platform::Cp1252ToUtf8(dialog.describe());
  if (next) {
    std::fprintf(stderr, "quorvane: %s answered %s\n", what.c_str(), DescribeAnswer(*next).c_str());
  } else if (dialog.endsByItself()) {
    std::fprintf(stderr, "quorvane: %s ran to its end (no answer queued)\n", what.c_str());
    std::fflush(stderr);
    // Its time passes at once: a timer runs out, a video reaches its end.
    if (!dialog.tick(int64_t{1} << 40)) answer(dialog, ScriptedAnswer{});
    return;
  } else {
    std::fprintf(stderr, "quorvane: %s closed with escape (no answer queued)\n", what.c_str());
  }
  std::fflush(stderr);
  answer(dialog, next.value_or(ScriptedAnswer{}));
}

platform::WindowEvent KeyEvent(int vk, bool alt) {
  platform::WindowEvent e;
  e.kind = platform::WindowEvent::KeyDown;
  e.vk = vk;
  e.alt = alt;
  return e;
}

platform::WindowEvent CharacterEvent(unsigned char c) {
  platform::WindowEvent e;
  e.kind = platform::WindowEvent::Character;
  e.character = c;
  return e;
}

std::vector<platform::WindowEvent> ClickEvents(int x, int y) {
  std::vector<platform::WindowEvent> out(3);
  out[0].kind = platform::WindowEvent::MouseMove;
  out[1].kind = platform::WindowEvent::MouseDown;
  out[2].kind = platform::WindowEvent::MouseUp;
  for (platform::WindowEvent& e : out) {
    e.x = x;
    e.y = y;
    if (e.kind != platform::WindowEvent::MouseMove) e.button = 1;
  }
  return out;
}

std::vector<platform::WindowEvent> CommonEvents(const ScriptedAnswer& a) {
  switch (a.kind) {
    case ScriptedAnswer::Escape: return {KeyEvent(27)};
    case ScriptedAnswer::Enter: return {KeyEvent(13)};
    case ScriptedAnswer::Space: return {KeyEvent(32), CharacterEvent(' ')};
    case ScriptedAnswer::Close: {
      platform::WindowEvent close;
      close.kind = platform::WindowEvent::Close;
      return {close};
    }
    case ScriptedAnswer::Key: return {CharacterEvent(static_cast<unsigned char>(a.text[0]))};
    case ScriptedAnswer::AltKey:
      return {KeyEvent(std::toupper(static_cast<unsigned char>(a.text[0])), true)};
    case ScriptedAnswer::Text: {
      std::vector<platform::WindowEvent> out;
      for (const char c : a.text) out.push_back(CharacterEvent(static_cast<unsigned char>(c)));
      out.push_back(KeyEvent(13));
      return out;
    }
    default: return {};
  }
}

}  // namespace qv::windows
