#include "motion/path_following.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "world/bounding_box.h"
#include "world/motion_setters.h"
#include "motion/path.h"
#include "world/instance.h"

namespace qv::motion {

namespace {

// The path if the instance can follow it: it exists and has a length.
const CPath* followable(int32_t index) {
  const CPath* path = paths().get(index);
  return path && path->length() > 0 ? path : nullptr;
}

// (dx, dy) turned counter-clockwise on the screen by `a` radians and scaled.
void turn(double a, double scale, double dx, double dy, double& rx, double& ry) {
  rx = (std::cos(a) * dx + std::sin(a) * dy) * scale;
  ry = (std::cos(a) * dy - std::sin(a) * dx) * scale;
}

// Applies the end action after the position has passed an end. `atStart` tells which end: the
// position came down to 0 or below (running backwards), rather than up to 1 or beyond.
void applyEndAction(world::CInstance& in, const CPath& path, bool atStart) {
  double& pos = in.pathPosition;
  switch (in.pathEndaction) {
    case kPathActionRestart:
      pos += atStart ? 1 : -1;
      break;
    case kPathActionContinue: {
      // The path is laid again from where it ended: the origin moves by the path's own offset.
      const RPathPoint first = PathPoint(path, 0), last = PathPoint(path, 1);
      double rx, ry;
      turn(in.pathOrientation * std::numbers::pi / 180, in.pathScale, last.x - first.x, last.y - first.y, rx, ry);
      if (atStart) {
        in.pathXorigin -= rx;
        in.pathYorigin -= ry;
        pos += 1;
      } else {
        in.pathXorigin += rx;
        in.pathYorigin += ry;
        pos -= 1;
      }
      break;
    }
    case kPathActionReverse:
      if (atStart) {
        pos = -pos;
        in.pathSpeed = std::fabs(in.pathSpeed);
      } else {
        pos = 2 - pos;
        in.pathSpeed = -std::fabs(in.pathSpeed);
      }
      break;
    default:  // stop, and any unknown action
      pos = 1;
      in.pathIndex = -1;
      break;
  }
}

}  // namespace

void PathStart(world::CInstance& in, int32_t path, double speed, int32_t endAction, bool absolute) {
  in.pathIndex = path;
  if (path < 0) return;
  const CPath* p = followable(path);
  if (!p) {
    in.pathIndex = -1;
    return;
  }
  in.pathSpeed = speed;
  in.pathPosition = in.pathPositionprevious = speed < 0 ? 1 : 0;
  in.pathScale = 1;
  in.pathOrientation = 0;
  in.pathEndaction = endAction;
  // The origin is where the path's first point lies: at the instance for a relative path, at the
  // path's own first point for an absolute one (so that a path run backwards from its end still
  // lies where it was drawn).
  in.pathXorigin = in.x;
  in.pathYorigin = in.y;
  if (absolute) {
    const RPathPoint first = PathPoint(*p, 0), start = PathPoint(*p, in.pathPosition);
    world::SetPosition(in, start.x, start.y);
    in.pathXorigin = first.x;
    in.pathYorigin = first.y;
  }
}

void PathEnd(world::CInstance& in) {
  in.pathIndex = -1;
  in.pathSpeed = 0;
  in.pathScale = 1;
  in.pathOrientation = 0;
  in.pathEndaction = kPathActionStop;
}

bool PathStep(world::CInstance& in) {
  const CPath* path = followable(in.pathIndex);
  if (!path || in.pathSpeed == 0) return false;
  // The speed factor of the point where the instance stands sets this step's advance. A scale of
  // 0, or a factor that makes the advance no number, leaves the instance where it is.
  const double factor = PathPoint(*path, in.pathPosition).speed;
  const double perScale = 100 * in.pathScale;
  if (perScale == 0) return false;
  const double advance = in.pathSpeed * (factor / perScale) / path->length();
  if (!std::isfinite(advance)) return false;
  in.pathPosition += advance;  // unclamped: the end actions need how far the end was passed

  // Where the instance stands at the end of the step. The stop action sets the position to 1
  // whichever end was reached; an instance running backwards still stops at the start point.
  double place = in.pathPosition;
  bool ended = false;
  if (in.pathPosition >= 1 || in.pathPosition <= 0) {
    ended = true;
    applyEndAction(in, *path, in.pathPosition <= 0);
    if (in.pathIndex >= 0) place = in.pathPosition;
  }

  const RPathPoint first = PathPoint(*path, 0), here = PathPoint(*path, place);
  double rx, ry;
  turn(in.pathOrientation * std::numbers::pi / 180, in.pathScale, here.x - first.x, here.y - first.y, rx, ry);
  const double tx = in.pathXorigin + rx, ty = in.pathYorigin + ry;
  // The speed vector points along the move (which turns the direction), then the speed is 0 so
  // that the movement stage adds nothing to the path's own move.
  world::SetHspeed(in, tx - in.x);
  world::SetVspeed(in, ty - in.y);
  world::SetSpeed(in, 0);
  world::SetPosition(in, tx, ty);
  return ended;
}

void SetPathPosition(world::CInstance& in, double position) { in.pathPosition = std::clamp(position, 0.0, 1.0); }

void SetPathPositionPrevious(world::CInstance& in, double position) {
  in.pathPositionprevious = std::clamp(position, 0.0, 1.0);
}

}  // namespace qv::motion
