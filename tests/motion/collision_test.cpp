// Collision tests on hand-made masks: boxes at fractional positions, instance against instance
// under scale, mirroring and rotation, and the point, rectangle, ellipse and line tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/sprite.h"
#include "world/bounding_box.h"
#include "motion/collision.h"
#include "world/instance.h"

namespace qv::motion {
namespace {

enum SpriteIndex { kBoxSprite = 0, kBlock = 1, kDot = 2, kHollow = 3, kTwoFrames = 4 };

// A sprite of one or more frames drawn from rows of '#' (set) and '.' (clear); the mask is the
// drawing, the box its set pixels.
std::unique_ptr<graphics::CSprite> drawn(std::vector<std::vector<std::string>> frames, int ox, int oy) {
  auto s = std::make_unique<graphics::CSprite>();
  s->xOrigin = ox;
  s->yOrigin = oy;
  s->separateMasks = frames.size() > 1;
  graphics::Box box{1 << 20, 1 << 20, -1, -1};
  for (const auto& rows : frames) {
    const int w = int(rows[0].size()), h = int(rows.size());
    s->frames.push_back(data::TBitmap32(w, h, 0xFFFFFFFF));
    graphics::TMask m;
    m.width = w;
    m.height = h;
    m.bits.assign(size_t(w * h), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (rows[size_t(y)][size_t(x)] == '#') {
          m.setBit(x, y, true);
          box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
        }
    s->masks.push_back(m);
  }
  s->bbox = box;
  return s;
}

void makeSprites() {
  auto& list = graphics::sprites();
  list.clear();
  auto add = [&](std::unique_ptr<graphics::CSprite> s) {
    list.slots.push_back(std::move(s));
    list.names.push_back("spr" + std::to_string(list.count()));
  };
  // 10 x 8, box (2, 1)-(7, 6), origin (5, 4): the box rounding cases.
  auto box = std::make_unique<graphics::CSprite>();
  box->frames.push_back(data::TBitmap32(10, 8, 0xFFFFFFFF));
  box->bbox = {2, 1, 7, 6};
  box->xOrigin = 5;
  box->yOrigin = 4;
  add(std::move(box));
  add(drawn({{"####", "####", "####", "####"}}, 0, 0));
  add(drawn({{".....", ".....", "..#..", ".....", "....."}}, 2, 2));
  add(drawn({{"######", "#....#", "#....#", "#....#", "#....#", "######"}}, 0, 0));
  add(drawn({{"##", ".."}, {"..", "##"}}, 0, 0));  // frame 0 the top row, frame 1 the bottom row
}

world::CInstance placed(int sprite, double x, double y, double xscale = 1, double yscale = 1, double angle = 0) {
  world::CInstance in;
  in.spriteIndex = sprite;
  in.x = x;
  in.y = y;
  in.imageXscale = xscale;
  in.imageYscale = yscale;
  in.imageAngle = angle;
  ComputeBoundingBox(in);
  return in;
}

TEST(CollisionBoxes, RoundFractionalScaledAndRotatedPlacements) {
  makeSprites();
  struct Case {
    double x, y, xscale, yscale, angle;
    int left, top, right, bottom;
  } cases[] = {
      {100.4, 50.6, 2, 0.5, 0, 94, 49, 105, 51},
      {10.5, 20.5, -1, -2, 0, 6, 14, 14, 26},  // both ends swapped back; 13.5 and 26.5 round to even
      {100.3, 50.8, 1, 1, 90, 97, 49, 102, 54},
      {10.2, 20.7, 2, 1, 45, 4, 15, 15, 26},
      {7, 3, 0, 1, 0, 6, 0, 7, 5},  // a zero scale leaves a two-column box
  };
  for (const Case& c : cases) {
    const world::CInstance in = placed(kBoxSprite, c.x, c.y, c.xscale, c.yscale, c.angle);
    EXPECT_EQ((std::vector<int>{in.bboxLeft, in.bboxTop, in.bboxRight, in.bboxBottom}),
              (std::vector<int>{c.left, c.top, c.right, c.bottom}))
        << c.x << "," << c.y << " scale " << c.xscale << "," << c.yscale << " angle " << c.angle;
  }
}

TEST(CollisionBoxes, ChangeCountAdvancesOnlyWhenABoxChanges) {
  makeSprites();
  world::CInstance in = placed(kBlock, 0, 0);
  const uint64_t before = world::BoxVersion();
  SetPosition(in, 0.2, 0.3);  // rounds to the same box
  EXPECT_EQ(world::BoxVersion(), before);
  SetPosition(in, 1, 0);
  EXPECT_GT(world::BoxVersion(), before);
}

TEST(InstanceCollisions, FollowMasksUnderScaleMirrorAndRotation) {
  makeSprites();
  struct Case {
    const char* what;
    world::CInstance a, b;
    bool precise, expected;
  } cases[] = {
      {"boxes sharing an edge column", placed(kBlock, 0, 0), placed(kBlock, 3.4, 0), true, true},
      {"rounded one column further apart", placed(kBlock, 0, 0), placed(kBlock, 3.6, 0), true, false},
      {"dot in the hollow, precise", placed(kHollow, 0, 0), placed(kDot, 3, 3), true, false},
      {"dot in the hollow, by box", placed(kHollow, 0, 0), placed(kDot, 3, 3), false, true},
      {"dot on the hollow's wall", placed(kHollow, 0, 0), placed(kDot, 5, 3), true, true},
      {"dot at a fractional spot on the wall", placed(kHollow, 0.4, 0), placed(kDot, 5.4, 2.6), true, true},
      {"doubled width reaches column 7", placed(kBlock, 0, 0, 2), placed(kDot, 7, 1), true, true},
      {"doubled width ends before column 8", placed(kBlock, 0, 0, 2), placed(kDot, 8, 1), true, false},
      // Mirrored at x 10: the box is 5..10, the mask covers 7..10.
      {"mirrored box without mask pixel", placed(kBlock, 10, 0, -1), placed(kDot, 6, 1), true, false},
      {"mirrored mask pixel", placed(kBlock, 10, 0, -1), placed(kDot, 7, 1), true, true},
      // Rotated a quarter turn at (10, 10): box (10, 7)-(13, 10); the sampled mask covers row 10
      // from column 10 and rows 7 to 9 from column 11 (cos 90 is not exactly 0).
      {"quarter turn, corner left out", placed(kBlock, 10, 10, 1, 1, 90), placed(kDot, 10, 8), true, false},
      {"quarter turn, inside", placed(kBlock, 10.4, 10.4, 1, 1, 90), placed(kDot, 11, 8), true, true},
      {"quarter turn, bottom row", placed(kBlock, 10, 10, 1, 1, 90), placed(kDot, 10, 10), true, true},
      {"zero scale has no mask pixel", placed(kBlock, 5, 0, 0), placed(kDot, 5, 1), true, false},
      {"zero scale still has a box", placed(kBlock, 5, 0, 0), placed(kDot, 5, 1), false, true},
      {"missing sprite never collides precisely", placed(9, 0, 0), placed(kBlock, 0, 0), true, false},
  };
  for (Case& c : cases) {
    EXPECT_EQ(InstancesCollide(c.a, c.b, c.precise), c.expected) << c.what;
    EXPECT_EQ(InstancesCollide(c.b, c.a, c.precise), c.expected) << c.what << " (swapped)";
  }
}

TEST(InstanceCollisions, SameDestroyedAndFramesOfSeparateMasks) {
  makeSprites();
  world::CInstance a = placed(kBlock, 0, 0), b = placed(kBlock, 1, 1);
  EXPECT_FALSE(InstancesCollide(a, a, true));
  b.destroyed = true;
  EXPECT_FALSE(InstancesCollide(a, b, false));
  // Two frames with their own masks: the frame is floor(image_index) modulo the count.
  world::CInstance frames = placed(kTwoFrames, 0, 0), top = placed(kDot, 1, 0), bottom = placed(kDot, 1, 1);
  const struct {
    double imageIndex;
    bool topHit, bottomHit;
  } steps[] = {{0, true, false}, {1.7, false, true}, {2.2, true, false}, {-0.5, false, true}};
  for (const auto& s : steps) {
    frames.imageIndex = s.imageIndex;
    EXPECT_EQ(InstancesCollide(frames, top, true), s.topHit) << s.imageIndex;
    EXPECT_EQ(InstancesCollide(frames, bottom, true), s.bottomHit) << s.imageIndex;
  }
}

TEST(ShapeCollisions, PointRectangleEllipseAndLineAgainstAHollowSquare) {
  makeSprites();
  const world::CInstance hollow = placed(kHollow, 10, 10);  // walls at 10 and 15 on both axes
  enum Shape { Point, Rectangle, Ellipse, Line };
  struct Case {
    const char* what;
    Shape shape;
    double x1, y1, x2, y2;
    bool precise, expected;
  } cases[] = {
      {"point in the hole", Point, 12.4, 12.4, 0, 0, true, false},
      {"point in the hole, by box", Point, 12.4, 12.4, 0, 0, false, true},
      {"point rounding onto the wall", Point, 10.4, 12, 0, 0, true, true},
      {"point inside the box rounding past the mask", Point, 15.9, 12, 0, 0, true, false},
      {"point just past the box", Point, 16, 12, 0, 0, false, false},
      {"rectangle in the hole", Rectangle, 14, 14, 11, 11, true, false},
      {"rectangle reaching the wall", Rectangle, 11, 11, 15, 14, true, true},
      {"ellipse in the hole", Ellipse, 11, 11, 14, 14, true, false},
      {"circle touching the wall", Ellipse, 15.5, 15.5, 9.5, 9.5, true, true},
      {"flat ellipse is its rectangle", Ellipse, 9, 12, 20, 12.2, true, true},
      {"ellipse rejected by its corners", Ellipse, 0, 0, 10.6, 10.6, false, false},
      {"horizontal line", Line, 0, 12, 30, 12, true, true},
      {"vertical line in the hole", Line, 12, 11, 12, 14, true, false},
      {"vertical line crossing a wall", Line, 12, 0, 12, 30, true, true},
      {"diagonal in the hole", Line, 11, 11, 14, 14, true, false},
      {"diagonal clipped onto a wall", Line, 8, 9, 17, 18, true, true},
      {"steep line through the hole", Line, 12, 11, 13, 14, true, false},
      {"line above the box", Line, 0, 0, 30, 9.5, false, false},
  };
  for (const Case& c : cases) {
    bool got = false;
    switch (c.shape) {
      case Point: got = InstanceTouchesPoint(hollow, c.x1, c.y1, c.precise); break;
      case Rectangle: got = InstanceTouchesRectangle(hollow, c.x1, c.y1, c.x2, c.y2, c.precise); break;
      case Ellipse: got = InstanceTouchesEllipse(hollow, c.x1, c.y1, c.x2, c.y2, c.precise); break;
      case Line: got = InstanceTouchesLine(hollow, c.x1, c.y1, c.x2, c.y2, c.precise); break;
    }
    EXPECT_EQ(got, c.expected) << c.what;
  }
  world::CInstance gone = hollow;
  gone.destroyed = true;
  EXPECT_FALSE(InstanceTouchesPoint(gone, 10, 10, false));
  EXPECT_FALSE(InstanceTouchesLine(gone, 0, 12, 30, 12, false));
}

TEST(ShapeCollisions, RotatedInstancesAreSampledAtRealPointsAlongALine) {
  makeSprites();
  // The block doubled and turned an eighth at (20, 20): a diamond in the box (20, 15)-(30, 25).
  const world::CInstance diamond = placed(kBlock, 20, 20, 2, 2, 45);
  ASSERT_EQ((std::vector<int>{diamond.bboxLeft, diamond.bboxTop, diamond.bboxRight, diamond.bboxBottom}),
            (std::vector<int>{20, 15, 30, 25}));
  EXPECT_TRUE(InstanceTouchesLine(diamond, 20, 20, 30, 20, true));
  EXPECT_TRUE(InstanceTouchesLine(diamond, 20, 15, 30, 25, true));   // through the middle
  EXPECT_FALSE(InstanceTouchesLine(diamond, 20, 23, 22, 25, true));  // across the empty corner
  EXPECT_TRUE(InstanceTouchesLine(diamond, 20, 23, 22, 25, false));
  EXPECT_FALSE(InstanceTouchesLine(diamond, diamond.bboxLeft, diamond.bboxTop, diamond.bboxLeft + 1, diamond.bboxTop, true));
  EXPECT_TRUE(InstanceTouchesLine(diamond, diamond.bboxLeft, diamond.bboxTop, diamond.bboxLeft + 1, diamond.bboxTop, false));
}

}  // namespace
}  // namespace qv::motion
