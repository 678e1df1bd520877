// The screen-saver setting reaches the real video subsystem (offscreen driver), before it starts
// and while it runs.
#include "platform/screen_saver.h"

#include <gtest/gtest.h>

#include "platform/loading_window_view.h"

using namespace qv::platform;

TEST(ScreenSaver, AllowedOrRefusedBeforeAndWhileVideoRuns) {
  setScreenSaverAllowed(true);  // the video subsystem's own default is to refuse
  EXPECT_TRUE(screenSaverAllowed());
  ASSERT_TRUE(desktopSize().has_value());  // starts the video subsystem
  EXPECT_TRUE(screenSaverAllowed());       // the choice made before applied at start
  for (bool allowed : {false, true, false}) {
    setScreenSaverAllowed(allowed);
    EXPECT_EQ(screenSaverAllowed(), allowed);
  }
}
