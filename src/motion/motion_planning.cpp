#include "motion/motion_planning.h"

#include <cmath>
#include <numbers>

#include "code/math_builtins.h"
#include "motion/collision_search.h"
#include "motion/path.h"
#include "world/bounding_box.h"
#include "world/instance.h"
#include "world/motion_setters.h"

namespace qv::motion {
namespace {

// Directions between points are point_direction's (code::PointDirection): 270 straight down, 90
// straight up, 0 for no offset.
constexpr double kRadiansPerDegree = std::numbers::pi / 180;
// A path search gives up after this many steps: a step size far smaller than the distance would
// otherwise hold the game for ever.
constexpr int kMaxPathSteps = 1000000;

// The position and direction a path search puts back when it is done.
struct Saved {
  explicit Saved(world::CInstance& in) : self(in), x(in.x), y(in.y), direction(in.direction) {}
  ~Saved() {
    world::SetPosition(self, x, y);
    world::SetDirection(self, direction);
  }
  world::CInstance& self;
  double x, y, direction;
};

void StartPath(CPath& path, double x, double y) {
  path.points.clear();
  path.kind = kPathStraight;
  path.closed = false;
  path.points.push_back({x, y, 100});
}

void AddPoint(CPath& path, double x, double y) {
  path.points.push_back({x, y, 100});
  path.Recompute();
}

// Moves `stepSize` along direction `a` when both the look-ahead point and the step's end are free
// and the turn from the current direction is small enough.
bool TryDirection(world::CInstance& self, double a, double stepSize, const Blocking& blocking) {
  const PotentialSettings& p = potentialSettings();
  double turn = std::fabs(world::ReduceDirection(a) - world::ReduceDirection(self.direction));
  if (turn > 180) turn = 360 - turn;
  if (turn > p.maxRotation) return false;
  const double dx = std::cos(a * kRadiansPerDegree), dy = -std::sin(a * kRadiansPerDegree);
  const double far = stepSize * p.ahead;
  if (!FreeAt(self, self.x + far * dx, self.y + far * dy, blocking)) return false;
  if (!FreeAt(self, self.x + stepSize * dx, self.y + stepSize * dy, blocking)) return false;
  world::SetDirection(self, a);
  world::SetPosition(self, self.x + stepSize * dx, self.y + stepSize * dy);
  return true;
}

}  // namespace

PotentialSettings& potentialSettings() {
  static PotentialSettings s;
  return s;
}

void SetPotentialSettings(double maxRotation, double rotationStep, double ahead, bool onSpot) {
  PotentialSettings& p = potentialSettings();
  // NaN counts as below 1 too.
  p.maxRotation = maxRotation >= 1 ? maxRotation : 1;
  p.rotationStep = rotationStep >= 1 ? rotationStep : 1;
  p.ahead = ahead >= 1 ? ahead : 1;
  p.onSpot = onSpot;
}

bool FreeAt(world::CInstance& self, double x, double y, const Blocking& blocking) {
  switch (blocking.kind) {
    case Blocking::Solid: return PlaceFree(self, x, y);
    case Blocking::Any: return PlaceEmpty(self, x, y);
    case Blocking::Object: return PlaceCollision(self, x, y, blocking.object, false) == nullptr;
  }
  return false;
}

bool LinearStep(world::CInstance& self, double xg, double yg, double stepSize, const Blocking& blocking) {
  if (self.x == xg && self.y == yg) return true;
  const double d = std::hypot(xg - self.x, yg - self.y);
  const bool reached = d <= stepSize;
  const double x = reached ? xg : self.x + stepSize * (xg - self.x) / d;
  const double y = reached ? yg : self.y + stepSize * (yg - self.y) / d;
  if (FreeAt(self, x, y, blocking)) {
    world::SetDirection(self, code::PointDirection(self.x, self.y, x, y));
    world::SetPosition(self, x, y);
  }
  return reached;
}

bool PotentialStep(world::CInstance& self, double xg, double yg, double stepSize, const Blocking& blocking) {
  if (self.x == xg && self.y == yg) return true;
  if (std::hypot(xg - self.x, yg - self.y) > stepSize) {
    const PotentialSettings& p = potentialSettings();
    const double g = code::PointDirection(self.x, self.y, xg, yg);
    for (double t = 0; t < 180; t += p.rotationStep) {
      if (TryDirection(self, g - t, stepSize, blocking) || TryDirection(self, g + t, stepSize, blocking)) return false;
    }
    if (p.onSpot) world::SetDirection(self, self.direction + p.maxRotation);
    return false;
  }
  if (FreeAt(self, xg, yg, blocking)) {
    world::SetDirection(self, code::PointDirection(self.x, self.y, xg, yg));
    world::SetPosition(self, xg, yg);
  }
  return true;
}

bool LinearPath(world::CInstance& self, CPath& path, double xg, double yg, double stepSize, const Blocking& blocking) {
  if (!(stepSize > 0)) return false;
  Saved saved(self);
  StartPath(path, self.x, self.y);
  bool found = false;
  for (int steps = 0; steps < kMaxPathSteps; ++steps) {
    const double x = self.x, y = self.y;
    if (LinearStep(self, xg, yg, stepSize, blocking)) {
      found = true;
      break;
    }
    if (self.x == x && self.y == y) break;
    path.points.push_back({self.x, self.y, 100});
  }
  if (found) path.points.push_back({xg, yg, 100});
  path.Recompute();
  return found;
}

bool PotentialPath(world::CInstance& self, CPath& path, double xg, double yg, double stepSize, double factor,
                   const Blocking& blocking) {
  if (!(factor >= 1) || !(stepSize > 0)) return false;
  const double limit = std::hypot(xg - self.x, yg - self.y) * factor;
  Saved saved(self);
  StartPath(path, self.x, self.y);
  path.Recompute();
  bool found = false;
  // An instance shut in turns on the spot without the path ever growing: once it has turned all
  // the way round (or, not turning, has stood still once) without moving, the search fails.
  const PotentialSettings& p = potentialSettings();
  const int stillLimit = p.onSpot ? int(std::ceil(360 / p.maxRotation)) + 1 : 1;
  int still = 0;
  for (int steps = 0; steps < kMaxPathSteps && path.length() <= limit && still < stillLimit; ++steps) {
    const double x = self.x, y = self.y;
    if (PotentialStep(self, xg, yg, stepSize, blocking)) {
      found = true;
      break;
    }
    still = self.x == x && self.y == y ? still + 1 : 0;
    AddPoint(path, self.x, self.y);
  }
  if (found) AddPoint(path, xg, yg);
  return found;
}

}  // namespace qv::motion
