#include "world/motion_setters.h"

#include <cmath>
#include <numbers>

#include "world/instance.h"

namespace qv::world {

namespace {
// Values this close to an integer are taken as that integer, so that whole speeds and the axis
// directions survive the trigonometry exactly.
constexpr double kSnap = 0.0001;

double snapped(double v) {
  const double r = std::nearbyint(v);
  return std::fabs(v - r) < kSnap ? r : v;
}
double radians(double degrees) { return std::numbers::pi * degrees / 180; }
}  // namespace

double ReduceDirection(double d) { return d - 360 * std::floor(d / 360); }

void VectorFromPolar(world::CInstance& in) {
  in.hspeed = snapped(std::cos(radians(in.direction)) * in.speed);
  in.vspeed = snapped(-std::sin(radians(in.direction)) * in.speed);
}

void PolarFromVector(world::CInstance& in) {
  double d;
  if (in.hspeed == 0) {
    d = in.vspeed > 0 ? 270 : in.vspeed < 0 ? 90 : 0;
  } else {
    const double a = std::atan2(in.vspeed, in.hspeed) * 180 / std::numbers::pi;
    d = a <= 0 ? -a : 360 - a;
  }
  in.direction = ReduceDirection(snapped(d));
  in.speed = snapped(std::sqrt(in.hspeed * in.hspeed + in.vspeed * in.vspeed));
}

void SetDirection(world::CInstance& in, double direction) {
  const double d = ReduceDirection(direction);
  if (in.direction == d) return;
  in.direction = d;
  VectorFromPolar(in);
}

void SetSpeed(world::CInstance& in, double speed) {
  if (in.speed == speed) return;
  in.speed = speed;
  VectorFromPolar(in);
}

void SetHspeed(world::CInstance& in, double hspeed) {
  if (in.hspeed == hspeed) return;
  in.hspeed = hspeed;
  PolarFromVector(in);
}

void SetVspeed(world::CInstance& in, double vspeed) {
  if (in.vspeed == vspeed) return;
  in.vspeed = vspeed;
  PolarFromVector(in);
}

}  // namespace qv::world
