#include "windows/modeless_dialogs.h"

#include <array>
#include <chrono>
#include <cstdio>

#include "platform/code_page.h"
#include "platform/error_answer.h"
#include "platform/side_window.h"

namespace qv::windows {

namespace {

using Clock = std::chrono::steady_clock;

// A dialog that changes by itself (a video) is drawn again at most this often: the runner looks
// after these dialogs in its waits between steps, far more often than a picture changes.
constexpr auto kRedrawInterval = std::chrono::milliseconds(16);

struct OpenDialog {
  std::unique_ptr<ModalDialog> dialog;
  std::unique_ptr<platform::SideWindow> window;  // none headless
  Clock::time_point opened, drawn;

  void draw() {
    if (!window) return;
    window->present(dialog->render().pixels);
    drawn = Clock::now();
  }
};

std::array<std::unique_ptr<OpenDialog>, 2>& openDialogs() {
  static std::array<std::unique_ptr<OpenDialog>, 2> open;
  return open;
}

std::unique_ptr<OpenDialog>& slot(ModelessKind kind) { return openDialogs()[size_t(kind)]; }

// True when the dialog is done after its events and its time.
bool service(OpenDialog& d) {
  if (d.window) {
    bool changed = false;
    for (const platform::WindowEvent& e : d.window->takeEvents()) {
      if (d.dialog->handle(e)) return true;
      changed = true;
    }
    if (changed) d.draw();
  }
  if (!d.dialog->ticking()) return false;
  const Clock::time_point now = Clock::now();
  if (d.dialog->tick(std::chrono::duration_cast<std::chrono::milliseconds>(now - d.opened).count())) return true;
  if (now - d.drawn >= kRedrawInterval) d.draw();  // a video's next picture
  return false;
}

}  // namespace

void ShowModeless(ModelessKind kind, std::unique_ptr<ModalDialog> dialog) {
  auto d = std::make_unique<OpenDialog>();
  d->dialog = std::move(dialog);
  slot(kind).reset();  // its window goes before the new one opens
  if (!platform::HeadlessRun()) d->window = platform::SideWindow::Open(d->dialog->window());
  if (!d->window) {
    const std::string what = platform::Cp1252ToUtf8(d->dialog->describe());
    std::fprintf(stderr, "quorvane: %s shown beside the game (the game goes on)\n", what.c_str());
    std::fflush(stderr);
  }
  d->opened = Clock::now();
  d->draw();
  slot(kind) = std::move(d);
}

void ServiceModelessDialogs() {
  for (auto& d : openDialogs())
    if (d && service(*d)) d.reset();
}

bool ModelessDialogOpen(ModelessKind kind) { return slot(kind) != nullptr; }

void CloseModelessDialog(ModelessKind kind) { slot(kind).reset(); }

void CloseModelessDialogs() {
  for (auto& d : openDialogs()) d.reset();
}

}  // namespace qv::windows
