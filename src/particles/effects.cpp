#include "particles/effects.h"

#include <array>

#include "code/rounding.h"
#include "particles/particle_system.h"
#include "particles/particle_type.h"
#include "particles/random_range.h"
#include "particles/shape_sprites.h"

namespace qv::particles {

namespace {

struct EffectState {
  int32_t below = -1, above = -1;
  bool typesMade = false;
  std::array<int32_t, 3> explosionA{}, explosionB{};
  std::array<std::array<int32_t, 3>, 9> kinds{};  // ring .. cloud, by size
  int32_t rain = -1, snow = -1;
  std::function<EffectRoom()> room;
};

EffectState& state() {
  static EffectState s;
  return s;
}

EffectRoom Room() { return state().room ? state().room() : EffectRoom{}; }

// The system at the slot remembered, made again (at its depth) when it no longer exists.
CParticleSystem& System(int32_t& slot, double depth) {
  if (!ExistingSystem(slot)) {
    slot = CreateSystem();
    systems()[size_t(slot)].depth = depth;
  }
  return systems()[size_t(slot)];
}

// The internal type at the slot; one destroyed by the game is made again.
CParticleType& Type(int32_t& slot) {
  if (!ExistingType(slot)) slot = CreateType();
  return types()[size_t(slot)];
}

void MakeTypes() {
  EffectState& s = state();
  if (s.typesMade) return;
  s.typesMade = true;
  for (int k = 0; k < 3; ++k) {
    s.explosionA[size_t(k)] = CreateType();
    s.explosionB[size_t(k)] = CreateType();
  }
  for (auto& kind : s.kinds)
    for (int32_t& t : kind) t = CreateType();
  s.rain = CreateType();
  s.snow = CreateType();
}

// Settings with all four values (or the named ones); the rest of each group is 0.
void Size(CParticleType& t, double min, double max, double incr = 0) {
  t.sizeMin = min, t.sizeMax = max, t.sizeIncr = incr, t.sizeWiggle = 0;
}
void Speed(CParticleType& t, double min, double max, double incr = 0) {
  t.speedMin = min, t.speedMax = max, t.speedIncr = incr, t.speedWiggle = 0;
}
void Direction(CParticleType& t, double min, double max, double wiggle = 0) {
  t.dirMin = min, t.dirMax = max, t.dirIncr = 0, t.dirWiggle = wiggle;
}
void Orientation(CParticleType& t, double min, double max, bool relative = false) {
  t.angMin = min, t.angMax = max, t.angIncr = 0, t.angWiggle = 0, t.angRelative = relative;
}
void Shape(CParticleType& t, int32_t shape) {
  t.shape = shape;
  t.sprite = -1;
}
void Alpha3(CParticleType& t, double a1, double a2, double a3) { t.alpha1 = a1, t.alpha2 = a2, t.alpha3 = a3; }

}  // namespace

void SetEffectRoom(std::function<EffectRoom()> query) { state().room = std::move(query); }

double EffectFactor(double roomSpeed, double fps) {
  if (!(roomSpeed > 30) || !(fps > 30)) return 1;
  return roomSpeed / fps >= 1.2 ? 30 / fps : 30 / roomSpeed;
}

void CreateEffect(bool below, int32_t kind, double x, double y, int32_t size, int32_t colour) {
  if (kind < kExplosion || kind > kSnow) return;
  EffectState& st = state();
  MakeShapeSprites();
  System(st.below, 100000);
  System(st.above, -100000);
  MakeTypes();
  CParticleSystem& ps = below ? systems()[size_t(st.below)] : systems()[size_t(st.above)];
  const int z = size == 0 ? 0 : size == 2 ? 2 : 1;
  auto pick = [z](double small, double medium, double large) { return z == 0 ? small : z == 2 ? large : medium; };
  const EffectRoom room = Room();
  const double f = EffectFactor(room.speed, room.fps);
  auto life = [f](double n) { return code::roundToInt32(n / f); };
  auto lifeRange = [&](CParticleType& t, double min, double max) {
    t.lifeMin = life(min);
    t.lifeMax = life(max);
  };

  switch (kind) {
    case kExplosion: {
      CParticleType& a = Type(st.explosionA[size_t(z)]);
      Shape(a, 10);
      Size(a, pick(0.1, 0.3, 0.4), pick(0.1, 0.3, 0.4), pick(0.05, 0.1, 0.2) * f);
      Orientation(a, 0, 360);
      Direction(a, 0, 360);
      Speed(a, pick(2, 4, 7) * f, pick(2, 4, 7) * f, pick(-0.1, -0.18, -0.2) * f);
      SetAlpha2(a, 0.6, 0);
      lifeRange(a, pick(10, 12, 15), pick(15, 17, 20));
      CParticleType& b = Type(st.explosionB[size_t(z)]);
      Shape(b, 10);
      Size(b, pick(0.1, 0.3, 0.4), pick(0.1, 0.3, 0.4), pick(0.1, 0.2, 0.4) * f);
      Orientation(b, 0, 360);
      SetAlpha2(b, 0.8, 0);
      lifeRange(b, pick(15, 17, 20), pick(15, 17, 20));
      CreateParticlesColour(ps, x, y, st.explosionA[size_t(z)], colour, 20);
      CreateParticlesColour(ps, x, y, st.explosionB[size_t(z)], 0, 1);
      return;
    }
    case kRing:
    case kEllipse: {
      int32_t& slot = st.kinds[size_t(kind - kRing)][size_t(z)];
      CParticleType& t = Type(slot);
      Shape(t, 6);
      SetAlpha2(t, 1, 0);
      const double grow = kind == kRing ? pick(0.15, 0.25, 0.4) : pick(0.2, 0.35, 0.6);
      Size(t, 0, 0, grow * f);
      lifeRange(t, pick(10, 13, 18), pick(12, 15, 20));
      if (kind == kEllipse) t.xscale = 1, t.yscale = 0.5;
      CreateParticlesColour(ps, x, y, slot, colour, 1);
      return;
    }
    case kFirework: {
      int32_t& slot = st.kinds[size_t(kind - kRing)][size_t(z)];
      CParticleType& t = Type(slot);
      Shape(t, 8);
      Size(t, 0.1, 0.2);
      Speed(t, 0.5 * f, pick(3, 6, 8) * f);
      Direction(t, 0, 360);
      SetAlpha2(t, 1, 0.4);
      lifeRange(t, pick(15, 20, 30), pick(25, 30, 40));
      t.gravAmount = pick(0.1, 0.15, 0.17) * f;
      t.gravDir = 270;
      CreateParticlesColour(ps, x, y, slot, colour, int64_t(pick(75, 150, 250)));
      return;
    }
    case kSmoke:
    case kSmokeUp: {
      int32_t& slot = st.kinds[size_t(kind - kRing)][size_t(z)];
      CParticleType& t = Type(slot);
      Shape(t, 10);
      Size(t, pick(0.2, 0.4, 0.4), pick(0.4, 0.7, 1.0), -0.01 * f);
      SetAlpha2(t, 0.4, 0);
      lifeRange(t, pick(25, 30, 50), pick(25, 30, 50));
      if (kind == kSmokeUp) {
        Speed(t, pick(3, 5, 6) * f, pick(4, 6, 7) * f);
        Direction(t, 90, 90);
      }
      const int n = int(pick(6, 11, 16));
      const int64_t d = int64_t(pick(5, 15, 30));
      for (int i = 0; i < n; ++i) {
        const double px = x - double(d) + RandomBelow(2 * d);
        const double py = y - double(d) + RandomBelow(2 * d);
        CreateParticlesColour(ps, px, py, slot, colour, 1);
      }
      return;
    }
    case kStar:
    case kSpark:
    case kFlare: {
      int32_t& slot = st.kinds[size_t(kind - kRing)][size_t(z)];
      CParticleType& t = Type(slot);
      Shape(t, kind == kStar ? 4 : kind == kSpark ? 9 : 8);
      Size(t, pick(0.4, 0.75, 1.2), pick(0.4, 0.75, 1.2), pick(-0.02, -0.03, -0.04) * f);
      Orientation(t, 0, 360);
      lifeRange(t, pick(20, 25, 30), pick(20, 25, 30));
      CreateParticlesColour(ps, x, y, slot, colour, 1);
      return;
    }
    case kCloud: {
      int32_t& slot = st.kinds[size_t(kind - kRing)][size_t(z)];
      CParticleType& t = Type(slot);
      Shape(t, 10);
      Size(t, pick(2, 4, 8), pick(2, 4, 8));
      t.xscale = 1, t.yscale = 0.5;
      Alpha3(t, 0, 0.3, 0);
      lifeRange(t, 100, 100);
      CreateParticlesColour(ps, x, y, slot, colour, 1);
      return;
    }
    case kRain: {
      CParticleType& t = Type(st.rain);
      Shape(t, 3);
      Size(t, 0.2, 0.3);
      Orientation(t, 0, 0, true);
      Speed(t, 7 * f, 7 * f);
      Direction(t, 260, 260);
      Alpha3(t, 0.4, 0.4, 0.4);
      lifeRange(t, 0.2 * room.height, 0.2 * room.height);
      const int n = int(pick(2, 5, 9));
      for (int i = 0; i < n; ++i) {
        const double px = 1.2 * room.width * Uniform();
        const double py = double(RandomBelow(20)) - 30;
        CreateParticlesColour(ps, px, py, st.rain, colour, 1);
      }
      return;
    }
    case kSnow: {
      CParticleType& t = Type(st.snow);
      Shape(t, 13);
      Size(t, 0.1, 0.25);
      Alpha3(t, 0.6, 0.6, 0.6);
      Orientation(t, 0, 360);
      Speed(t, 2.5 * f, 3 * f);
      Direction(t, 240, 300, 20);
      lifeRange(t, 0.5 * room.height, 0.5 * room.height);
      const int n = int(pick(1, 3, 7));
      for (int i = 0; i < n; ++i) {
        const double px = 1.2 * room.width * Uniform() - 60;
        const double py = double(RandomBelow(20)) - 30;
        CreateParticlesColour(ps, px, py, st.snow, colour, 1);
      }
      return;
    }
    default: return;
  }
}

void ClearEffects() {
  for (int32_t slot : {state().below, state().above})
    if (CParticleSystem* s = ExistingSystem(slot)) s->particles.clear();
}

void ForgetEffects() {
  auto room = std::move(state().room);
  state() = EffectState{};
  state().room = std::move(room);
}

int32_t EffectSystem(bool below) { return below ? state().below : state().above; }

}  // namespace qv::particles
