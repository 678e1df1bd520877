// move_contact*, move_outside*, move_bounce*, move_random and distance_to_object: the moves that
// depend on where other instances are.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "code/random.h"
#include "code/rounding.h"
#include "graphics/sprite.h"
#include "world/bounding_box.h"
#include "motion/collision_builtins.h"
#include "motion/collision_search.h"
#include "world/motion_setters.h"
#include "world/game_world.h"
#include "world/instance.h"
#include "world/room.h"

namespace qv::motion {

namespace {

using code::BuiltinCall;
using world::CInstance;

// Steps of the contact and outside moves when no positive distance is given.
constexpr int64_t kDefaultSteps = 1000;
// A larger distance is walked only this far: each step moves one pixel, so a distance beyond any
// room would keep the game in one call for ages.
constexpr int64_t kMostSteps = 1000000;

double radians(double degrees) { return std::numbers::pi * degrees / 180; }

// Free for the solid variants means no solid instance; for the others no instance at all.
bool freeAt(CInstance& self, double x, double y, bool solidOnly) {
  return solidOnly ? PlaceFree(self, x, y) : PlaceEmpty(self, x, y);
}

int64_t stepsFor(double maxdist) {
  return maxdist > 0 ? std::clamp<int64_t>(code::roundToInt64(maxdist), 0, kMostSteps) : kDefaultSteps;
}

// One pixel at a time along the direction while the next position is free.
void moveContact(CInstance& self, double direction, double maxdist, bool solidOnly) {
  const int64_t steps = stepsFor(maxdist);
  const double ux = std::cos(radians(direction)), uy = -std::sin(radians(direction));
  if (!freeAt(self, self.x, self.y, solidOnly)) return;
  for (int64_t k = 0; k < steps; ++k) {
    const double nx = self.x + ux, ny = self.y + uy;
    if (!freeAt(self, nx, ny, solidOnly)) return;
    world::SetPosition(self, nx, ny);
  }
}

// One pixel at a time along the direction until the position is free.
void moveOutside(CInstance& self, double direction, double maxdist, bool solidOnly) {
  const int64_t steps = stepsFor(maxdist);
  const double ux = std::cos(radians(direction)), uy = -std::sin(radians(direction));
  if (freeAt(self, self.x, self.y, solidOnly)) return;
  for (int64_t k = 0; k < steps; ++k) {
    world::SetPosition(self, self.x + ux, self.y + uy);
    if (freeAt(self, self.x, self.y, solidOnly)) return;
  }
}

void moveBounce(CInstance& self, bool advanced, bool solidOnly) {
  bool bounced = false;
  if (!freeAt(self, self.x, self.y, solidOnly)) {
    world::SetPosition(self, self.xprevious, self.yprevious);
    bounced = true;
  }
  const double x0 = self.x, y0 = self.y;
  if (advanced) {
    // Turn away from the direction both ways, ten degrees at a time, until the path is free; the
    // new direction lies between the two free angles, mirrored.
    const double base = 10 * std::nearbyint(self.direction / 10);
    const double speed = self.speed;
    double first = base, second = base;
    auto openAt = [&](double angle) {
      return freeAt(self, x0 + std::cos(radians(angle)) * speed, y0 - std::sin(radians(angle)) * speed, solidOnly);
    };
    for (int k = 0; k < 35; ++k) {
      first -= 10;
      if (openAt(first)) break;
      bounced = true;
    }
    for (int k = 0; k < 35; ++k) {
      second += 10;
      if (openAt(second)) break;
      bounced = true;
    }
    if (bounced) world::SetDirection(self, first + second + 180 - base);
    return;
  }
  const bool h = !freeAt(self, self.x + self.hspeed, self.y, solidOnly);
  const bool v = !freeAt(self, self.x, self.y + self.vspeed, solidOnly);
  const bool d = !freeAt(self, self.x + self.hspeed, self.y + self.vspeed, solidOnly);
  if ((h && v) || (!h && !v && d)) {
    world::SetHspeed(self, -self.hspeed);
    world::SetVspeed(self, -self.vspeed);
  } else if (h) {
    world::SetHspeed(self, -self.hspeed);
  } else if (v) {
    world::SetVspeed(self, -self.vspeed);
  }
}

void move_contact_solid(BuiltinCall& c) { if (world::Self(c)) moveContact(*world::Self(c), c.real(0), c.real(1), true); }
void move_contact_all(BuiltinCall& c) { if (world::Self(c)) moveContact(*world::Self(c), c.real(0), c.real(1), false); }
void move_outside_solid(BuiltinCall& c) { if (world::Self(c)) moveOutside(*world::Self(c), c.real(0), c.real(1), true); }
void move_outside_all(BuiltinCall& c) { if (world::Self(c)) moveOutside(*world::Self(c), c.real(0), c.real(1), false); }
void move_contact(BuiltinCall& c) {
  if (!world::Self(c)) return;
  if (PlaceFree(*world::Self(c), world::Self(c)->x, world::Self(c)->y)) moveContact(*world::Self(c), c.real(0), -1, true);
  else moveOutside(*world::Self(c), c.real(0), -1, true);
}
void move_bounce_solid(BuiltinCall& c) { if (world::Self(c)) moveBounce(*world::Self(c), c.truth(0), true); }
void move_bounce_all(BuiltinCall& c) { if (world::Self(c)) moveBounce(*world::Self(c), c.truth(0), false); }

// A random free position, snapped, with the whole box inside the room when there is one; up to 100
// tries, each drawing x and then y.
void moveRandom(CInstance& self, double hsnap, double vsnap) {
  const world::CRoom& room = world::CurrentRoom();
  int64_t lowX = 0, highX = room.width, lowY = 0, highY = room.height;
  if (graphics::sprites().exists(self.maskIndex >= 0 ? self.maskIndex : self.spriteIndex)) {
    lowX = code::roundToInt64(self.x - self.bboxLeft);
    highX = code::roundToInt64(room.width + self.x - self.bboxRight);
    lowY = code::roundToInt64(self.y - self.bboxTop);
    highY = code::roundToInt64(room.height + self.y - self.bboxBottom);
  }
  const int64_t hs = code::roundToInt64(hsnap), vs = code::roundToInt64(vsnap);
  // An empty range (a room smaller than the box) draws from nothing and stays at its low end.
  auto draw = [](int64_t low, int64_t high) {
    const int64_t range = std::clamp<int64_t>(high - low, 0, UINT32_MAX);
    return static_cast<double>(low + code::RandomInteger(static_cast<uint32_t>(range)));
  };
  for (int k = 0; k < 100; ++k) {
    double rx = draw(lowX, highX), ry = draw(lowY, highY);
    if (hs > 0) rx = std::floor(rx / static_cast<double>(hs)) * static_cast<double>(hs);
    if (vs > 0) ry = std::floor(ry / static_cast<double>(vs)) * static_cast<double>(vs);
    if (PlaceFree(self, rx, ry)) {
      world::SetPosition(self, rx, ry);
      return;
    }
  }
}

void move_random(BuiltinCall& c) { if (world::Self(c)) moveRandom(*world::Self(c), c.real(0), c.real(1)); }

// The smallest gap between the caller's box and the box of an instance of obj (edges as they are,
// without the one-pixel extension of the collision tests).
void distance_to_object(BuiltinCall& c) {
  double best = 1000000;
  if (world::Self(c)) {
    const CInstance& self = *world::Self(c);
    auto consider = [&](const CInstance* other) {
      if (!other || other == &self || other->destroyed) return;
      double dx = 0, dy = 0;
      if (self.bboxRight < other->bboxLeft) dx = double(other->bboxLeft) - self.bboxRight;
      else if (other->bboxRight < self.bboxLeft) dx = double(other->bboxRight) - self.bboxLeft;
      if (self.bboxBottom < other->bboxTop) dy = double(other->bboxTop) - self.bboxBottom;
      else if (other->bboxBottom < self.bboxTop) dy = double(other->bboxBottom) - self.bboxTop;
      best = std::min(best, std::sqrt(dx * dx + dy * dy));
    };
    const int32_t object = c.integer(0);
    world::CRoom& room = world::CurrentRoom();
    if (object == kOther) {
      consider(world::Other(c));
    } else if (object == kAll) {
      for (auto& in : room.instances) consider(in.get());
    } else if (object >= 0 && object < kFirstInstanceId) {
      for (const CInstance* in : room.InstancesOf(object)) consider(in);
    } else if (object >= kFirstInstanceId) {
      for (auto& in : room.instances)
        if (in->id == object) consider(in.get());
    }
  }
  c.result.setReal(best);
}

constexpr code::BuiltinFunction kContactFunctions[] = {
    {"move_contact_solid", move_contact_solid, 2},
    {"move_contact_all", move_contact_all, 2},
    {"move_outside_solid", move_outside_solid, 2},
    {"move_outside_all", move_outside_all, 2},
    {"move_contact", move_contact, 1},
    {"move_bounce_solid", move_bounce_solid, 1},
    {"move_bounce", move_bounce_solid, 1},
    {"move_bounce_all", move_bounce_all, 1},
    {"move_random", move_random, 2},
    {"distance_to_object", distance_to_object, 1},
};

}  // namespace

code::BuiltinFamily ContactFunctions() { return kContactFunctions; }

void MoveContact(CInstance& self, double direction, double maxdist, bool solidOnly) {
  moveContact(self, direction, maxdist, solidOnly);
}
void MoveBounce(CInstance& self, bool advanced, bool solidOnly) { moveBounce(self, advanced, solidOnly); }
void MoveRandom(CInstance& self, double hsnap, double vsnap) { moveRandom(self, hsnap, vsnap); }

}  // namespace qv::motion
