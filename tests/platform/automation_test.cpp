// The automation variables' own syntax: the steps of QUORVANE_SCREENSHOT_STEP and the file each
// frame goes to.
#include "platform/automation.h"

#include <gtest/gtest.h>

using namespace qv::platform;

TEST(ScreenshotSteps, OneStepOrAListOfThem) {
  struct Case {
    const char* text;
    std::vector<int64_t> steps;
  } cases[] = {{"1", {1}}, {"240", {240}}, {"1,3", {1, 3}}, {" 2 , 10,7 ", {2, 10, 7}}};
  for (const Case& c : cases) {
    std::string error;
    const auto steps = ParseScreenshotSteps(c.text, &error);
    ASSERT_TRUE(steps.has_value()) << c.text << ": " << error;
    EXPECT_EQ(*steps, c.steps) << c.text;
  }
  for (const char* wrong : {"", "0", "-2", "1,,2", "1;2", "x", "3,", "1.5"}) {
    std::string error;
    EXPECT_FALSE(ParseScreenshotSteps(wrong, &error).has_value()) << wrong;
    EXPECT_NE(error.find("is not a step number"), std::string::npos) << wrong;
  }
}

TEST(ScreenshotSteps, SeveralStepsPutTheStepInTheFileName) {
  EXPECT_EQ(ScreenshotFileName("shot.png", 12, false), "shot.png");
  EXPECT_EQ(ScreenshotFileName("shot.png", 12, true), "shot-12.png");
  EXPECT_EQ(ScreenshotFileName("out/frames/f.png", 3, true), "out/frames/f-3.png");
  EXPECT_EQ(ScreenshotFileName("frame", 5, true), "frame-5");
}
