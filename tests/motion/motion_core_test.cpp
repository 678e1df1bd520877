// The bounding box of an instance and the motion setters.
#include <gtest/gtest.h>

#include "graphics/sprite.h"
#include "world/bounding_box.h"
#include "world/motion_setters.h"
#include "world/instance.h"

namespace qv::motion {
namespace {

// Sprite 0: 10 x 8 pixels, box (2, 1)-(7, 6), origin (5, 4).
void makeSprite() {
  auto& list = graphics::sprites();
  list.clear();
  auto s = std::make_unique<graphics::CSprite>();
  s->frames.push_back(data::TBitmap32(10, 8, 0xFFFFFFFF));
  s->bbox = {2, 1, 7, 6};
  s->xOrigin = 5;
  s->yOrigin = 4;
  list.slots.push_back(std::move(s));
  list.names.push_back("spr");
}

TEST(BoundingBox, FollowsPositionScaleAndAngle) {
  makeSprite();
  struct Case {
    double x, y, xscale, yscale, angle;
    int left, top, right, bottom;
  } cases[] = {
      {100, 50, 1, 1, 0, 97, 47, 102, 52},
      {100, 50, 2, 1, 0, 94, 47, 105, 52},
      {100, 50, -1, 1, 0, 96, 47, 103, 52},   // mirrored: the ends swap
      {100.5, 50, 1, 1, 0, 98, 47, 102, 52},  // ties round to even
      {100, 50, 1, 1, 90, 97, 48, 102, 53},
      {0, 0, 1, 1, 45, -4, -4, 3, 4},
  };
  for (const Case& c : cases) {
    world::CInstance in;
    in.spriteIndex = 0;
    in.x = c.x;
    in.y = c.y;
    in.imageXscale = c.xscale;
    in.imageYscale = c.yscale;
    in.imageAngle = c.angle;
    ComputeBoundingBox(in);
    EXPECT_EQ(in.bboxLeft, c.left) << c.x << " " << c.xscale << " " << c.angle;
    EXPECT_EQ(in.bboxTop, c.top) << c.x << " " << c.xscale << " " << c.angle;
    EXPECT_EQ(in.bboxRight, c.right) << c.x << " " << c.xscale << " " << c.angle;
    EXPECT_EQ(in.bboxBottom, c.bottom) << c.x << " " << c.xscale << " " << c.angle;
  }
  world::CInstance none;
  none.spriteIndex = 3;
  ComputeBoundingBox(none);
  EXPECT_EQ(none.bboxLeft, world::kNoBox);
  EXPECT_EQ(none.bboxBottom, world::kNoBox);
  // The mask, when set, is the collision sprite.
  none.maskIndex = 0;
  ComputeBoundingBox(none);
  EXPECT_EQ(none.bboxLeft, -3);
}

TEST(BoundingBox, PositionSetterRecomputesOnlyOnChange) {
  makeSprite();
  world::CInstance in;
  in.spriteIndex = 0;
  ComputeBoundingBox(in);
  in.bboxLeft = 12345;  // a recomputation would overwrite this
  SetPosition(in, 0, 0);
  EXPECT_EQ(in.bboxLeft, 12345);
  SetPosition(in, 10, 0);
  EXPECT_EQ(in.bboxLeft, 7);
}

TEST(MotionSetters, KeepThePolarAndVectorFormsTogether) {
  world::CInstance in;
  SetSpeed(in, 4);
  EXPECT_EQ(in.hspeed, 4);
  EXPECT_EQ(in.vspeed, 0);
  SetDirection(in, 90);
  EXPECT_EQ(in.hspeed, 0);  // snapped: cos(90) * 4 is not exactly 0
  EXPECT_EQ(in.vspeed, -4);
  SetDirection(in, -90);
  EXPECT_EQ(in.direction, 270);
  EXPECT_EQ(in.vspeed, 4);
  SetHspeed(in, 3);
  EXPECT_EQ(in.speed, 5);
  EXPECT_DOUBLE_EQ(in.direction, 360 - 53.13010235415598);
  SetVspeed(in, 0);
  EXPECT_EQ(in.direction, 0);
  EXPECT_EQ(in.speed, 3);
  SetHspeed(in, 0);
  SetVspeed(in, -2);
  EXPECT_EQ(in.direction, 90);
  EXPECT_EQ(world::ReduceDirection(720.5), 0.5);
  EXPECT_EQ(world::ReduceDirection(-1e-20), 360);  // the formula taken literally
}

}  // namespace
}  // namespace qv::motion
