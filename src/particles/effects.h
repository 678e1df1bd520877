// The twelve predefined effects, built on two systems of the runner's own (one below the
// instances, one above) and 35 fixed types made on the first effect of the game.
#pragma once

#include <cstdint>
#include <functional>

namespace qv::particles {

enum EffectKind : int32_t {
  kExplosion, kRing, kEllipse, kFirework, kSmoke, kSmokeUp, kStar, kSpark, kFlare, kCloud, kRain, kSnow,
};

// What the effects need to know of the room: its speed and size, and the frames counted in the
// last second. The game layer fills this in; until then a 640 x 480 room at 30 steps a second.
struct EffectRoom {
  double speed = 30, fps = 30, width = 640, height = 480;
};
void SetEffectRoom(std::function<EffectRoom()> query);

// The frame-rate factor the effect speeds, growths and lives are scaled by.
double EffectFactor(double roomSpeed, double fps);

// below: the system at depth 100000, else the one at -100000. size 0 small, 2 large, else medium.
void CreateEffect(bool below, int32_t kind, double x, double y, int32_t size, int32_t colour);
// Removes the particles of both effect systems (effect_clear, and on every room change).
void ClearEffects();
// The effect systems and types are forgotten (a game start; the arrays were emptied).
void ForgetEffects();

// The systems' indices (-1 before the first effect); for tests.
int32_t EffectSystem(bool below);

}  // namespace qv::particles
