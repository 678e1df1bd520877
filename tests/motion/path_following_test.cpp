// An instance following a path step by step: each end action, running backwards, orientation and
// scale, and the cases where a path cannot start or advance.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "motion/path.h"
#include "motion/path_following.h"
#include "world/instance.h"

namespace qv::motion {
namespace {

// Installs a straight open path as index 0 and returns it.
CPath& installPath(std::vector<RPathPoint> points, bool closed = false) {
  paths().clear();
  auto p = std::make_unique<CPath>();
  p->closed = closed;
  p->points = std::move(points);
  p->Recompute();
  paths().append(std::move(p), "path");
  return *paths().get(0);
}

struct Place {
  double x, position;
  bool ended;
};

// Runs `steps` path steps and records where the instance stands after each.
std::vector<Place> follow(world::CInstance& in, int steps) {
  std::vector<Place> out;
  for (int i = 0; i < steps; ++i) {
    const bool ended = PathStep(in);
    out.push_back({in.x, in.pathPosition, ended});
  }
  return out;
}

TEST(PathFollowing, EachEndActionAtTheFarEnd) {
  struct Case {
    int32_t action;
    std::vector<Place> want;
    int32_t indexAfter;
  } cases[] = {
      // 100 pixels at 30 per step: the end is passed in the fourth step, at 1.2.
      {kPathActionStop, {{30, 0.3, false}, {60, 0.6, false}, {90, 0.9, false}, {100, 1, true}, {100, 1, false}}, -1},
      {kPathActionRestart, {{30, 0.3, false}, {60, 0.6, false}, {90, 0.9, false}, {20, 0.2, true}, {50, 0.5, false}}, 0},
      // Continue: the path is laid again from its end, so the instance keeps going right.
      {kPathActionContinue, {{30, 0.3, false}, {60, 0.6, false}, {90, 0.9, false}, {120, 0.2, true}, {150, 0.5, false}}, 0},
      {kPathActionReverse, {{30, 0.3, false}, {60, 0.6, false}, {90, 0.9, false}, {80, 0.8, true}, {50, 0.5, false}}, 0},
      {7, {{30, 0.3, false}, {60, 0.6, false}, {90, 0.9, false}, {100, 1, true}, {100, 1, false}}, -1},  // as stop
  };
  for (const Case& c : cases) {
    installPath({{0, 0, 100}, {100, 0, 100}});
    world::CInstance in;
    in.x = 500;
    in.y = 7;
    PathStart(in, 0, 30, c.action, true);
    EXPECT_EQ(in.x, 0) << c.action;  // absolute: placed on the path's own start
    EXPECT_EQ(in.y, 0) << c.action;
    const std::vector<Place> got = follow(in, int(c.want.size()));
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].x, c.want[i].x, 1e-9) << "action " << c.action << " step " << i;
      EXPECT_NEAR(got[i].position, c.want[i].position, 1e-9) << "action " << c.action << " step " << i;
      EXPECT_EQ(got[i].ended, c.want[i].ended) << "action " << c.action << " step " << i;
    }
    EXPECT_EQ(in.pathIndex, c.indexAfter) << c.action;
    EXPECT_EQ(in.speed, 0);
  }
}

TEST(PathFollowing, RunningBackwardsEndsAtTheStartPoint) {
  installPath({{0, 0, 100}, {64, 0, 100}});
  // Stop: the position becomes 1, but the instance stays at the start point it reached.
  world::CInstance in;
  PathStart(in, 0, -24, kPathActionStop, true);
  EXPECT_EQ(in.x, 64);
  EXPECT_EQ(in.pathPosition, 1);
  const auto stop = follow(in, 3);
  EXPECT_EQ(stop[1].x, 16);
  EXPECT_TRUE(stop[2].ended);
  EXPECT_EQ(stop[2].x, 0);
  EXPECT_EQ(in.pathPosition, 1);
  EXPECT_EQ(in.pathIndex, -1);
  // Reverse, landing exactly on 0 (16 is a quarter of 64): the instance turns at the start.
  world::CInstance back;
  PathStart(back, 0, -16, kPathActionReverse, true);
  const auto turn = follow(back, 6);
  EXPECT_EQ(turn[3].x, 0);
  EXPECT_TRUE(turn[3].ended);
  EXPECT_EQ(back.pathSpeed, 16);
  EXPECT_EQ(turn[4].x, 16);
  EXPECT_EQ(turn[5].x, 32);
  // Continue backwards: the path is laid again one offset to the left.
  world::CInstance on;
  PathStart(on, 0, -16, kPathActionContinue, true);
  const auto cont = follow(on, 5);
  EXPECT_TRUE(cont[3].ended);
  EXPECT_EQ(cont[3].x, 0);
  EXPECT_EQ(on.pathXorigin, -64);
  EXPECT_EQ(cont[4].x, -16);
}

TEST(PathFollowing, OrientationScaleAndSpeedFactorShapeTheMove) {
  installPath({{0, 0, 50}, {100, 0, 50}});
  world::CInstance in;
  in.x = 10;
  in.y = 20;
  PathStart(in, 0, 30, kPathActionStop, false);  // relative: the path starts where the instance is
  EXPECT_EQ(in.pathXorigin, 10);
  in.pathOrientation = 90;
  in.pathScale = 2;
  ASSERT_FALSE(PathStep(in));
  // Half speed from the points and half again from the scale: 7.5 path pixels, drawn twice as
  // long and turned a quarter counter-clockwise, so 15 pixels upwards.
  EXPECT_NEAR(in.pathPosition, 0.075, 1e-12);
  EXPECT_NEAR(in.x, 10, 1e-9);
  EXPECT_NEAR(in.y, 5, 1e-9);
  EXPECT_EQ(in.direction, 90);
  EXPECT_EQ(in.speed, 0);
  EXPECT_EQ(in.hspeed, 0);
  // path_start sets the scale and orientation back.
  PathStart(in, 0, 30, kPathActionStop, false);
  EXPECT_EQ(in.pathScale, 1);
  EXPECT_EQ(in.pathOrientation, 0);
}

TEST(PathFollowing, PathsThatCannotStartOrAdvance) {
  installPath({{5, 5, 100}});  // one point: no length
  world::CInstance in;
  in.pathIndex = 3;
  PathStart(in, 0, 10, kPathActionStop, true);
  EXPECT_EQ(in.pathIndex, -1);
  EXPECT_EQ(in.x, 0);
  PathStart(in, 9, 10, kPathActionStop, true);  // no such path
  EXPECT_EQ(in.pathIndex, -1);

  installPath({{0, 0, 0}, {100, 0, 100}});
  world::CInstance stuck;
  PathStart(stuck, 0, 10, kPathActionStop, true);
  stuck.pathScale = 0;  // would divide 0 by 0
  EXPECT_FALSE(PathStep(stuck));
  EXPECT_EQ(stuck.pathPosition, 0);
  EXPECT_EQ(stuck.x, 0);
  stuck.pathScale = 1;
  stuck.pathSpeed = 0;
  EXPECT_FALSE(PathStep(stuck));
  // path_start with a negative index only ends the path.
  PathStart(stuck, -1, 10, kPathActionStop, true);
  EXPECT_EQ(stuck.pathIndex, -1);
  stuck.pathSpeed = 10;
  EXPECT_FALSE(PathStep(stuck));
  // A deleted path is no longer followed.
  PathStart(stuck, 0, 10, kPathActionStop, true);
  paths().slots[0].reset();
  EXPECT_FALSE(PathStep(stuck));
  PathEnd(stuck);
  EXPECT_EQ(stuck.pathIndex, -1);
  EXPECT_EQ(stuck.pathSpeed, 0);
}

TEST(PathFollowing, PositionSettersClamp) {
  world::CInstance in;
  SetPathPosition(in, 1.5);
  EXPECT_EQ(in.pathPosition, 1);
  SetPathPosition(in, -0.5);
  EXPECT_EQ(in.pathPosition, 0);
  SetPathPositionPrevious(in, 0.25);
  EXPECT_EQ(in.pathPositionprevious, 0.25);
  SetPathPositionPrevious(in, 3);
  EXPECT_EQ(in.pathPositionprevious, 1);
}

}  // namespace
}  // namespace qv::motion
