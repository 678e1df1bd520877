// F4 switches full screen on a real X display: the test runs itself again under Xvfb (xvfb-run)
// and skips when no X server can be started.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "graphics_test_support.h"

namespace qv::graphics {
namespace {

using namespace testing;

bool InChild() { return std::getenv("QV_XVFB_CHILD") != nullptr; }

// Pumps window events until `done` holds (the X server answers asynchronously); gives up after
// a few hundred rounds, which the assertions that follow then report.
template <class F>
void PumpUntil(F done) {
  for (int i = 0; i < 300 && !done(); ++i) {
    display().processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

TEST(FullScreen, F4SwitchesToADesktopSizedWindowAndBack) {
  if (!InChild()) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
    char self[4096] = {0};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    const std::string run = "QV_XVFB_CHILD=1 SDL_VIDEODRIVER=x11 xvfb-run -a -s '-screen 0 1280x1024x24' '" +
                            std::string(self) + "' --gtest_filter='FullScreen.*'";
    const std::string log = TempPath("fullscreen_child.log");
    const int status = std::system((run + " > '" + log + "' 2>&1").c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "no X server could be started";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "see " << log;
    return;
  }
  ResetGraphics();
  auto window = platform::GameWindow::Open(320, 240);
  if (!window || platform::GameWindow::driver() != "x11") std::exit(77);
  display().bindWindow(window.get());
  display().setRegionSize(320, 240, true);  // scale 1: the window takes the region's size
  display().setPosition(50, 60);
  ASSERT_TRUE(display().createDevice(320, 240, false));
  window->setVisible(true);
  PumpUntil([&] { return window->visible(); });
  const platform::DisplayMode desktop = window->desktopMode();
  ASSERT_EQ(desktop.width, 1280);
  ASSERT_EQ(desktop.bitsPerPixel, 32);  // a 24-bit X screen counts as 32

  window->pushKeyDown(platform::KeyCodeF4());
  int x = 0, y = 0, w = 0, h = 0;
  PumpUntil([&] {
    window->clientRect(x, y, w, h);
    return display().fullscreen && w == desktop.width && h == desktop.height;
  });
  EXPECT_TRUE(display().fullscreen);
  EXPECT_TRUE(window->fullscreen());
  EXPECT_EQ(w, desktop.width);
  EXPECT_EQ(h, desktop.height);
  EXPECT_EQ(window->currentMode().width, desktop.width);  // no display-mode switch

  window->pushKeyDown(platform::KeyCodeF4());
  PumpUntil([&] {
    window->clientRect(x, y, w, h);
    return !display().fullscreen && w == 320 && h == 240;
  });
  EXPECT_FALSE(display().fullscreen);
  EXPECT_FALSE(window->fullscreen());
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  ResetGraphics();
}

}  // namespace
}  // namespace qv::graphics
