// Room transitions: the transition table and steps, the frame cycle of playing one (on the
// recording device), and the frames of every built-in kind on the real OpenGL device headless:
// the first and last frames against the two pictures, and the middle frames as one golden picture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "draw_test_support.h"
#include "code/registry.h"
#include "graphics/builtins.h"
#include "graphics/surface.h"
#include "graphics/transition.h"

namespace qv::graphics {
namespace {

using namespace drawtest;
using code::RValue;
using qv::testing::CallBuiltin;

RValue Trans(const char* fn, std::vector<RValue> args) { return CallBuiltin(TransitionBuiltins(), fn, std::move(args)); }

class Transitions : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDrawing();
    ResetTransitions();
    SetTransitionSteps(80);
  }
  void TearDown() override {
    ResetTransitions();
    SetTransitionSteps(80);
    ResetDrawing();
  }
};

TEST_F(Transitions, DefiningKindsAndTheirExistence) {
  code::EnsureBuiltinsRegistered();
  struct Case {
    double kind;
    const char* name;
    double defined;  // transition_define's result
    double exists;   // transition_exists afterwards
  };
  const Case cases[] = {
      {5, "draw_clear", 1, 1},          // a known function replaces built-in kind 5
      {22, "no_such_function", 0, 0},   // unknown: nothing stored
      {23, "draw_clear", 1, 1},
      {0, "draw_clear", 1, 0},          // out of range: accepted, nothing stored
      {1000000, "draw_clear", 1, 0},
      {-1, "draw_clear", 1, 0},
      {999999, "draw_clear", 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Trans("transition_define", {RValue(c.kind), RValue(c.name)}).real, c.defined) << c.kind;
    EXPECT_EQ(Trans("transition_exists", {RValue(c.kind)}).real, c.exists) << c.kind;
  }
  EXPECT_EQ(Trans("transition_exists", {RValue(21.0)}).real, 1);
  EXPECT_EQ(Trans("transition_exists", {RValue(22.0)}).real, 0);
  EXPECT_EQ(Trans("transition_exists", {RValue(24.0)}).real, 0) << "inside the grown table, never defined";
  EXPECT_EQ(Trans("transition_exists", {RValue(std::numeric_limits<double>::quiet_NaN())}).real, 0);
  EXPECT_EQ(Trans("transition_exists", {RValue(1e300)}).real, 0);
}

TEST_F(Transitions, StepsAreRoundedAndAtLeastOne) {
  const std::pair<double, int> cases[] = {{0, 1}, {-7, 1}, {2.5, 2}, {3.5, 4}, {0.2, 1}, {12, 12},
                                          {std::numeric_limits<double>::quiet_NaN(), 1}};
  for (auto [set, got] : cases) {
    SetTransitionSteps(set);
    EXPECT_EQ(TransitionSteps(), got) << set;
  }
}

TEST_F(Transitions, PlayingDrawsStepsPlusOneFramesAndFreesBothPictures) {
  auto* device = UseRecordingDevice();
  int roomDrawings = 0;
  SetTransitionSteps(3);
  PrepareTransition(20, [&] { ++roomDrawings; });
  EXPECT_EQ(roomDrawings, 1);
  ASSERT_TRUE(TransitionPrepared());
  const int newPicture = SurfaceTarget();
  EXPECT_GE(newPicture, 0) << "the entered room draws into the new picture";
  EXPECT_TRUE(SurfaceExists(0));
  PlayTransition(nullptr);
  EXPECT_EQ(device->presents, 4);
  EXPECT_EQ(SurfaceTarget(), -1);
  EXPECT_FALSE(SurfaceExists(0));
  EXPECT_FALSE(SurfaceExists(1));
  // Played once: entering a room that was not prepared shows one frame.
  PlayTransition(nullptr);
  EXPECT_EQ(device->presents, 5);

  // No transition: nothing is made, one frame is shown.
  PrepareTransition(0, [&] { ++roomDrawings; });
  EXPECT_EQ(roomDrawings, 1);
  EXPECT_FALSE(SurfaceExists(0));
  PlayTransition(nullptr);
  EXPECT_EQ(device->presents, 6);

  // Prepared and never played (the entered room asked for another): nothing is left behind.
  PrepareTransition(3, nullptr);
  CancelTransition();
  EXPECT_EQ(SurfaceTarget(), -1);
  EXPECT_FALSE(SurfaceExists(0));
}

TEST_F(Transitions, PicturesThatCannotBeMadeMeanNoTransition) {
  display().useDevice(std::make_unique<platform::RecordingDevice>(1024, 768, 256));  // 640 x 480 is too big
  auto* device = static_cast<platform::RecordingDevice*>(display().device());
  int roomDrawings = 0;
  PrepareTransition(1, [&] { ++roomDrawings; });
  EXPECT_EQ(roomDrawings, 0);
  EXPECT_FALSE(TransitionPrepared());
  EXPECT_EQ(SurfaceTarget(), -1);
  PlayTransition(nullptr);
  EXPECT_EQ(device->presents, 1);
}

// --- the kinds on the real device ----------------------------------------------------------------

constexpr int kW = 48, kH = 32;

class GLTransitions : public GLDrawing {
 protected:
  void SetUp() override {
    GLDrawing::SetUp();
    if (IsSkipped()) return;
    // The old picture: red and dark red bands with a black corner mark; the new one: blue to
    // yellow columns with a white corner mark. Both are easy to tell apart at any pixel.
    oldPicture = SurfaceCreate(kW, kH);
    newPicture = SurfaceCreate(kW, kH);
    ASSERT_TRUE(SurfaceSetTarget(oldPicture));
    for (int y = 0; y < kH; y += 4)
      DrawRectangle(0, y, kW - 1, y + 1, {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000}, false),
          DrawRectangle(0, y + 2, kW - 1, y + 3, {0xFF800000, 0xFF800000, 0xFF800000, 0xFF800000}, false);
    DrawRectangle(0, 0, 5, 5, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000}, false);
    ASSERT_TRUE(SurfaceSetTarget(newPicture));
    DrawRectangle(0, 0, kW - 1, kH - 1, {0xFF0000FF, 0xFFFFFF00, 0xFFFFFF00, 0xFF0000FF}, false);
    DrawRectangle(kW - 6, kH - 6, kW - 1, kH - 1, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}, false);
    SurfaceResetTarget();
  }
  data::TBitmap32 Frame(int kind, double f, int steps) {
    return Render(kW, kH, [&] { DrawTransitionFrame(kind, f, oldPicture, newPicture, kW, kH, steps); });
  }
  data::TBitmap32 Picture(int id) {
    auto p = CaptureSurface(id, 0, 0, kW, kH);
    return p ? *p : data::TBitmap32();
  }
  int oldPicture = -1, newPicture = -1;
};

TEST_F(GLTransitions, FirstFramesShowTheOldPictureAndLastFramesTheNew) {
  const data::TBitmap32 o = Picture(oldPicture), n = Picture(newPicture);
  for (int kind = 1; kind <= kBuiltinTransitionKinds; ++kind) {
    const data::TBitmap32 last = Frame(kind, 1.0, 8);
    // After a whole turn (18, 19) the corners sit within a pixel of where they began.
    EXPECT_LE(MaxDifference(last, n), kind == 18 || kind == 19 ? 255 : 2) << "kind " << kind << " at f = 1";
    EXPECT_EQ(last.pixel(kW / 2, kH / 2), n.pixel(kW / 2, kH / 2)) << "kind " << kind << " at f = 1";
    const data::TBitmap32 first = Frame(kind, 0.0, 8);
    if (kind == 10 || kind == 12) {
      // Stripe 0 of the new picture is already there: columns 0 to 5 (48 / 8 wide) or rows 0 to
      // 3 (32 / 8 high).
      const int x = kind == 10 ? 5 : kW / 2, y = kind == 10 ? kH / 2 : 3;
      EXPECT_EQ(first.pixel(x, y), n.pixel(x, y)) << "kind " << kind << " shows stripe 0 at f = 0";
      EXPECT_EQ(first.pixel(kW - 3, kH - 3), o.pixel(kW - 3, kH - 3)) << "kind " << kind;
    } else if (kind == 11 || kind == 13) {
      // Stripe `half` comes first; with 8 steps it starts at 2 x 4 x size / 8, just past the
      // edge, so the first frame is the old picture; with 7 steps stripe 3 starts at
      // round(6 x 48 / 7) = 41 (or round(6 x 32 / 7) = 27) and is 7 (or 5) wide.
      EXPECT_LE(MaxDifference(first, o), 2) << "kind " << kind << " with 8 steps";
      const data::TBitmap32 odd = Frame(kind, 0.0, 7);
      const int x = kind == 11 ? 41 : kW / 2, y = kind == 11 ? kH / 2 : 27;
      EXPECT_EQ(odd.pixel(x, y), n.pixel(x, y)) << "kind " << kind << " with 7 steps";
      EXPECT_EQ(odd.pixel(kind == 11 ? 40 : x, kind == 11 ? y : 26), o.pixel(kind == 11 ? 40 : x, kind == 11 ? y : 26));
    } else {
      EXPECT_LE(MaxDifference(first, o), 2) << "kind " << kind << " at f = 0";
    }
  }
}

TEST_F(GLTransitions, EveryKindHalfwayThrough) {
  // The middle frame (f = 0.5, 8 steps) of kinds 1 to 21 in a table of 7 columns and 3 rows.
  data::TBitmap32 table(7 * (kW + 2), 3 * (kH + 2));
  for (int kind = 1; kind <= kBuiltinTransitionKinds; ++kind) {
    const data::TBitmap32 frame = Frame(kind, 0.5, 8);
    const int ox = ((kind - 1) % 7) * (kW + 2), oy = ((kind - 1) / 7) * (kH + 2);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) table.setPixel(ox + x, oy + y, frame.pixel(x, y));
  }
  // Row 1: create from left, right, top, bottom, centre (half of the new picture over the old),
  // shift from left and right (the new picture half slid in). Row 2: shift from top and bottom;
  // interlaced from left, right, top, bottom (every second stripe of the new picture, the create
  // effect not yet begun); push from left. Row 3: push from right, top, bottom (both pictures
  // moved by half); rotate both ways (the new picture at half size turned by sqrt(0.5) of a turn);
  // blend (half alpha); fade (black: the old picture at alpha 0).
  ExpectGolden("transition_kinds_halfway", table);
  // Create from left at f = 0.5: the left 24 columns are new, the rest old.
  const data::TBitmap32 o = Picture(oldPicture), n = Picture(newPicture);
  EXPECT_EQ(table.pixel(23, 10), n.pixel(23, 10));
  EXPECT_EQ(table.pixel(24, 10), o.pixel(24, 10));
  // Fade at f = 0.5: the old picture at alpha 0 over black.
  const data::TBitmap32 fade = Frame(21, 0.5, 8);
  EXPECT_EQ(fade.pixel(20, 20), 0xFF000000u);
}

}  // namespace
}  // namespace qv::graphics
