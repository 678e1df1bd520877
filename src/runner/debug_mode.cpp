#include "runner/debug_mode.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "adapter/session.h"
#include "code/debug_output.h"
#include "data/code_sources.h"
#include "data/runner_state.h"
#include "graphics/display.h"
#include "platform/automation.h"
#include "platform/interrupt.h"
#include "platform/process.h"
#include "platform/side_window.h"
#include "runner/debugger_automation.h"
#include "windows/debugger_view.h"
#include "world/debugger.h"

namespace qv::runner {

namespace {

// The debugger window: the view and the window that shows it, drawn again at most every
// kRedrawMilliseconds (the paused loop looks at the events far more often) and after its events.
struct DebuggerWindow {
  std::unique_ptr<platform::SideWindow> window;
  windows::DebuggerView view;
  std::chrono::steady_clock::time_point drawn;
  int gameX = 0, gameY = 0, gameWidth = 0;  // where the game window was when last looked at
};
constexpr int kRedrawMilliseconds = 50;
constexpr int kGapToTheGame = 16;

std::shared_ptr<DebuggerWindow>& debuggerWindow() {
  static std::shared_ptr<DebuggerWindow> window;
  return window;
}

// Keeps the window to the right of the game window, which the game (or the desktop) may move.
void followTheGame(DebuggerWindow& d) {
  int x = 0, y = 0, w = 0, h = 0;
  if (platform::GameWindow* game = graphics::display().window()) game->clientRect(x, y, w, h);
  if (x == d.gameX && y == d.gameY && w == d.gameWidth) return;
  d.gameX = x;
  d.gameY = y;
  d.gameWidth = w;
  d.window->move(x + w + kGapToTheGame, y);
}

// Opens the window to the right of the game window; false when it cannot be opened.
bool openDebuggerWindow() {
  auto d = std::make_shared<DebuggerWindow>();
  d->window = platform::SideWindow::Open("Debugger", 0, 0, windows::DebuggerView::kWidth, windows::DebuggerView::kHeight);
  if (!d->window) return false;
  d->gameWidth = -1;
  followTheGame(*d);
  d->window->present(d->view.render().pixels);
  d->drawn = std::chrono::steady_clock::now();
  debuggerWindow() = std::move(d);
  return true;
}

// Handles the window's events and draws it when due. Closing it ends debugging: the game runs on.
void serviceDebuggerWindow() {
  std::shared_ptr<DebuggerWindow> d = debuggerWindow();
  if (!d) return;
  bool changed = false;
  for (const platform::WindowEvent& e : d->window->takeEvents()) {
    if (e.kind == platform::WindowEvent::Close) {
      world::debugger().run();
      debuggerWindow().reset();
      return;
    }
    d->view.handle(e);
    changed = true;
  }
  const auto now = std::chrono::steady_clock::now();
  if (!changed && now - d->drawn < std::chrono::milliseconds(kRedrawMilliseconds)) return;
  followTheGame(*d);
  d->window->present(d->view.render().pixels);
  d->drawn = now;
}

std::optional<data::CodeSources>& codeSources() {
  static std::optional<data::CodeSources> sources;
  return sources;
}

// QUORVANE_DAP_PORT: a port number (0: any free one, said on stderr); nothing for any other text.
std::optional<uint16_t> adapterPort() {
  const auto text = platform::environmentVariable("QUORVANE_DAP_PORT");
  if (!text) return std::nullopt;
  if (text->empty() || text->size() > 5 || text->find_first_not_of("0123456789") != std::string::npos ||
      std::stoi(*text) > 65535) {
    std::fprintf(stderr, "QUORVANE_DAP_PORT: not a port number: \"%s\"\n", text->c_str());
    return std::nullopt;
  }
  return static_cast<uint16_t>(std::stoi(*text));
}

// The debug adapter: listens, waits for the editor's configuration before the game's first code
// runs, then is serviced between steps and while the loop is paused.
void startAdapter(game::LoopOptions& loop) {
  const auto port = adapterPort();
  if (!port) return;
  adapter::Session& s = adapter::session();
  if (!s.Listen(*port, codeSources().value_or(data::CodeSources{}))) {
    std::fprintf(stderr, "quorvane: debug adapter: cannot listen on 127.0.0.1:%u\n", unsigned(*port));
    return;
  }
  if (!codeSources())
    std::fprintf(stderr, "quorvane: debug adapter: the game names no project files (build it with qvpack in debug mode); "
                         "breakpoints cannot be set\n");
  s.WaitForEditor([] { return platform::InterruptSignal() != 0; });
  loop.afterStep = [before = loop.afterStep](int64_t step) {
    if (before) before(step);
    adapter::session().AfterStep();
  };
  loop.pumpEvents = [before = loop.pumpEvents] {
    const bool open = !before || before();
    adapter::session().Service();
    return open;
  };
}

}  // namespace

void KeepCodeSources(const std::vector<uint8_t>& gameFile) { codeSources() = data::ReadCodeSources(gameFile); }

void SetUpDebugMode(game::LoopOptions& loop) {
  if (platform::environmentVariable("QUORVANE_DEBUG").value_or("") == "1") data::Runner().debug_mode = true;
  world::Debugger& d = world::debugger();
  d.reset();
  d.setEnabled(data::Runner().debug_mode);
  if (!d.enabled()) {
    if (platform::environmentVariable("QUORVANE_DAP_PORT"))
      std::fprintf(stderr, "quorvane: debug adapter: the game is not in debug mode (QUORVANE_DEBUG=1 forces it)\n");
    return;
  }
  const bool headless = platform::headlessMode();
  startAdapter(loop);
  code::SetDebugMessageSink([headless](const std::string& line) {
    world::debugger().addMessage(line);
    adapter::session().Output(line);
    if (!headless) return;
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
  });
  if (!headless) {
    if (!openDebuggerWindow()) {
      std::fprintf(stderr, "quorvane: the debugger window cannot be opened; the game runs without it\n");
      return;
    }
    loop.pumpEvents = [before = loop.pumpEvents] {
      const bool open = !before || before();
      serviceDebuggerWindow();
      return open;
    };
    return;
  }
  const auto text = platform::environmentVariable("QUORVANE_DEBUGGER");
  if (!text) return;
  std::string error;
  auto actions = ParseDebuggerActions(*text, &error);
  if (!actions) {
    std::fprintf(stderr, "QUORVANE_DEBUGGER: %s\n", error.c_str());
    return;
  }
  auto automation = std::make_shared<DebuggerAutomation>(std::move(*actions));
  loop.afterStep = [automation, before = loop.afterStep](int64_t step) {
    if (before) before(step);
    automation->afterStep(step);
  };
  loop.pumpEvents = [automation, before = loop.pumpEvents] {
    const bool open = !before || before();
    automation->whilePaused();
    return open;
  };
}

void EndDebugMode() {
  debuggerWindow().reset();
  adapter::session().Terminate();
}

}  // namespace qv::runner
