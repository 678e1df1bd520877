#include "particles/particle_system.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "code/rounding.h"
#include "graphics/colour.h"
#include "particles/action_system.h"
#include "particles/effects.h"
#include "particles/particle_type.h"
#include "particles/random_range.h"
#include "particles/shape_sprites.h"

namespace qv::particles {

std::vector<CParticleSystem>& systems() {
  static std::vector<CParticleSystem> list;
  return list;
}

CParticleSystem* ExistingSystem(int64_t ps) {
  auto& list = systems();
  if (ps < 0 || ps >= int64_t(list.size()) || !list[size_t(ps)].inUse) return nullptr;
  return &list[size_t(ps)];
}

int32_t CreateSystem() {
  MakeShapeSprites();
  return CreateObject(systems());
}

void DestroySystem(int64_t ps) {
  if (CParticleSystem* s = ExistingSystem(ps)) *s = CParticleSystem{};  // frees its particles
}

void ClearSystem(CParticleSystem& s) {
  s = CParticleSystem{};
  s.inUse = true;
}

ActionParticles& actionParticles() {
  static ActionParticles a;
  return a;
}

void ResetParticles() {
  actionParticles() = ActionParticles{};
  systems().clear();
  types().clear();
  ForgetEffects();
}

namespace {

int32_t ScriptColour(double c) { return code::roundToInt32(c); }

int32_t Merge(double a, double b, double amount) {
  return int32_t(graphics::MergeColour(uint32_t(ScriptColour(a)), uint32_t(ScriptColour(b)), amount) & 0xFFFFFF);
}

int RoundedChannel(double min, double max) { return int(code::roundToInt32(RandomInRange(min, max))); }

// The colour of a particle of age a and life L (random for the random kinds at the start).
int32_t ColourAt(const CParticleType& t, int32_t a, int32_t life, int32_t current) {
  const double* c = t.colour;
  if (a < 1 || life < 1) {
    switch (t.colourKind) {
      case 3: {
        const int r = RoundedChannel(c[0], c[1]), g = RoundedChannel(c[2], c[3]), b = RoundedChannel(c[4], c[5]);
        return graphics::MakeScriptColour(r, g, b);
      }
      case 4: {
        const int h = RoundedChannel(c[0], c[1]), s = RoundedChannel(c[2], c[3]), v = RoundedChannel(c[4], c[5]);
        int r = 0, g = 0, b = 0;
        graphics::HsvToRgb(h, s, v, r, g, b);
        return graphics::MakeScriptColour(r, g, b);
      }
      case 5: return Merge(c[0], c[1], Uniform());
      default: return ScriptColour(c[0]);
    }
  }
  if (t.colourKind == 1) return Merge(c[0], c[1], std::min(double(a) / life, 1.0));
  if (t.colourKind == 2) {
    const double u = std::min(2.0 * a / life, 2.0);
    return u >= 1 ? Merge(c[1], c[2], u - 1) : Merge(c[0], c[1], u);
  }
  return current;
}

// A new particle of type t at (x, y), drawing in the fixed order: speed, direction, angle, life,
// colour, size, start frame, wiggle seed.
CParticle MakeParticle(const CParticleType& t, int32_t index, double x, double y) {
  CParticle p;
  p.type = index;
  p.x = p.xprevious = x;
  p.y = p.yprevious = y;
  p.speed = RandomInRange(t.speedMin, t.speedMax);
  p.direction = RandomInRange(t.dirMin, t.dirMax);
  p.angle = RandomInRange(t.angMin, t.angMax);
  p.life = code::roundToInt32(RandomInRange(double(t.lifeMin), double(t.lifeMax)));
  p.colour = ColourAt(t, 0, p.life, 0);
  p.alpha = t.alpha1;
  p.size = RandomInRange(t.sizeMin, t.sizeMax);
  p.startFrame = t.randomFrame ? int32_t(RandomBelow(10000)) : 0;
  p.seed = int32_t(RandomBelow(100000));
  return p;
}

// How many particles a number asks for: n itself, or for negative n one with probability 1 / -n.
int64_t Count(int64_t n) {
  if (n >= 0) return n;
  if (n == code::kIndefiniteInteger) return 0;
  return RandomBelow(-n) == 0 ? 1 : 0;
}

// Room for n more particles, up to the limit; the number that may still be made.
int64_t Reserve(CParticleSystem& s, int64_t n) {
  const size_t have = s.particles.size();
  const size_t limit = ParticleLimit();
  const int64_t room = int64_t(limit - std::min(have, limit));
  n = std::min(n, room);
  if (n <= 0) return 0;
  if (have + size_t(n) > s.particles.capacity()) {
    try {
      s.particles.reserve(std::min(limit, std::max(have + size_t(n) + 100, s.particles.capacity() * 3 / 2)));
    } catch (const std::bad_alloc&) {
      return int64_t(s.particles.capacity() - have);
    }
  }
  return n;
}

}  // namespace

void CreateParticles(CParticleSystem& s, double x, double y, int32_t t, int64_t n) {
  const CParticleType* type = ExistingType(t);
  if (!type) return;
  n = Reserve(s, Count(n));
  for (int64_t i = 0; i < n; ++i) s.particles.push_back(MakeParticle(*type, t, x, y));
}

void CreateParticlesColour(CParticleSystem& s, double x, double y, int32_t t, int32_t colour, int64_t n) {
  const size_t first = s.particles.size();
  CreateParticles(s, x, y, t, n);
  for (size_t i = first; i < s.particles.size(); ++i) s.particles[i].colour = colour;
}

void Emit(CParticleSystem& s, const CEmitter& e, int32_t t, int64_t n) {
  const CParticleType* type = ExistingType(t);
  if (!type) return;
  n = Reserve(s, Count(n));
  const bool redraw = e.distribution == kInverseGaussian && e.shape != kRegionLine;
  for (int64_t i = 0; i < n; ++i) {
    double u = 0, v = 0;
    // The draw repeats while outside the shape; the inside holds most of the square, so a bound
    // on the tries only guards against a generator that never leaves the corners.
    for (int tries = 0; tries < 10000; ++tries) {
      u = RandomInRange(0, 1, e.distribution);
      v = RandomInRange(0, 1, e.distribution);
      if (redraw) {
        if (Uniform() < 0.5)
          u = Uniform();
        else
          v = Uniform();
      }
      if (e.shape == kRegionEllipse && (u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5) > 0.25) continue;
      if (e.shape == kRegionDiamond && std::fabs(u - 0.5) + std::fabs(v - 0.5) > 0.5) continue;
      break;
    }
    const double x = e.xmin + u * (e.xmax - e.xmin);
    const double y = e.ymin + (e.shape == kRegionLine ? u : v) * (e.ymax - e.ymin);
    s.particles.push_back(MakeParticle(*type, t, x, y));
  }
}

namespace {

constexpr double kRad = 3.14159265358979323846 / 180.0;

void ToVector(double speed, double direction, double& vx, double& vy) {
  vx = speed * std::cos(direction * kRad);
  vy = -speed * std::sin(direction * kRad);
}

void FromVector(double vx, double vy, double& speed, double& direction) {
  if (vx == 0) {
    direction = vy > 0 ? 270 : vy < 0 ? 90 : 0;
  } else {
    const double a = std::atan2(vy, vx) / kRad;
    direction = a > 0 ? 360 - a : -a;
  }
  direction = std::fmod(direction, 360.0);
  if (direction < 0) direction += 360;
  speed = std::sqrt(vx * vx + vy * vy);
}

// The closed rectangle, and for the ellipse and diamond shapes the figure inscribed in it; only
// proper rectangles (xmin < xmax, ymin < ymax) hold anything.
bool InRegion(double x, double y, double xmin, double xmax, double ymin, double ymax, int32_t shape) {
  if (!(xmin < xmax && ymin < ymax)) return false;
  if (x < xmin || x > xmax || y < ymin || y > ymax) return false;
  if (shape != kRegionEllipse && shape != kRegionDiamond) return true;
  const double dx = 2 * (x - (xmin + xmax) / 2) / (xmax - xmin), dy = 2 * (y - (ymin + ymax) / 2) / (ymax - ymin);
  return shape == kRegionEllipse ? dx * dx + dy * dy <= 1 : std::fabs(dx) + std::fabs(dy) <= 1;
}

int64_t Modulo(int64_t a, int64_t m) {
  const int64_t r = a % m;
  return r < 0 ? r + m : r;
}

void RemoveDead(CParticleSystem& s) {
  std::erase_if(s.particles, [](const CParticle& p) { return !p.alive; });
}

// 1. Ageing, deaths with their death particles, and step particles.
void LifeStage(CParticleSystem& s) {
  const size_t present = s.particles.size();
  for (size_t k = 0; k < present; ++k) {
    CParticle& p = s.particles[k];
    ++p.age;
    const CParticleType* t = TypeRecord(p.type);
    if (!t) continue;
    const double x = p.x, y = p.y;  // the list may grow (and move) below
    if (p.age >= p.life) {
      p.alive = false;
      CreateParticles(s, x, y, t->deathType, t->deathNumber);
    } else {
      CreateParticles(s, x, y, t->stepType, t->stepNumber);
    }
  }
  RemoveDead(s);
}

// 2. Speed, direction and angle increments, gravity, attractors, wiggles and the move.
void MotionStage(CParticleSystem& s) {
  const bool attractors = !s.attractors.empty();
  for (CParticle& p : s.particles) {
    const CParticleType* t = TypeRecord(p.type);
    if (!t) continue;
    p.xprevious = p.x;
    p.yprevious = p.y;
    p.speed = std::max(p.speed + t->speedIncr, 0.0);
    p.direction += t->dirIncr;
    p.angle += t->angIncr;
    double dx = 0, dy = 0;
    if (t->gravAmount != 0 || attractors) {
      double vx, vy;
      ToVector(p.speed, p.direction, vx, vy);
      if (t->gravAmount != 0) {
        double gx, gy;
        ToVector(t->gravAmount, t->gravDir, gx, gy);
        vx += gx;
        vy += gy;
      }
      for (const CAttractor& a : s.attractors) {
        if (!a.inUse) continue;
        const double d = std::hypot(a.x - p.x, a.y - p.y);
        if (!(d <= a.distance) || d == 0 || a.force == 0 || a.distance == 0) continue;
        double f = a.force / d;
        if (a.kind == 1) f *= (a.distance - d) / a.distance;
        if (a.kind == 2) f *= ((a.distance - d) / a.distance) * ((a.distance - d) / a.distance);
        const double px = f * (a.x - p.x), py = f * (a.y - p.y);
        if (a.additive) {
          vx += px;
          vy += py;
        } else {
          dx += px;
          dy += py;
        }
      }
      FromVector(vx, vy, p.speed, p.direction);
    }
    const double wd = TriangleWave(Modulo(int64_t(p.age) + 3 * int64_t(p.seed), 24), 6);
    const double ws = TriangleWave(Modulo(int64_t(p.age) + 4 * int64_t(p.seed), 20), 5);
    double mx, my;
    ToVector(p.speed + ws * t->speedWiggle, p.direction + wd * t->dirWiggle, mx, my);
    p.x += mx + dx;
    p.y += my + dy;
  }
}

// 3. Deflectors bounce the particles inside their rectangles back to where they came from.
void DeflectorStage(CParticleSystem& s) {
  for (const CDeflector& d : s.deflectors) {
    if (!d.inUse) continue;
    for (CParticle& p : s.particles) {
      if (!InRegion(p.x, p.y, d.xmin, d.xmax, d.ymin, d.ymax, kRegionRectangle)) continue;
      if (d.kind == 1) {
        p.direction = 180 - p.direction;
        if (p.direction < 0) p.direction += 360;
        p.x = p.xprevious - (p.x - p.xprevious);
      } else {
        p.direction = 360 - p.direction;
        p.y = p.yprevious - (p.y - p.yprevious);
      }
      p.speed = std::max(p.speed - d.friction, 0.0);
    }
  }
}

// 4. Changers turn particles of one type inside their region into another type. A changer into
// a type that does not exist does nothing: its particles would name no settings.
void ChangerStage(CParticleSystem& s) {
  for (const CChanger& c : s.changers) {
    if (!c.inUse) continue;
    const CParticleType* into = ExistingType(c.type2);
    if (!into) continue;
    for (CParticle& p : s.particles) {
      if (p.type != c.type1 || !InRegion(p.x, p.y, c.xmin, c.xmax, c.ymin, c.ymax, c.shape)) continue;
      const CParticle fresh = MakeParticle(*into, c.type2, p.x, p.y);
      p.type = c.type2;
      if (c.kind == 0) {
        p = fresh;
      } else if (c.kind == 1) {
        p.colour = fresh.colour;
        p.alpha = fresh.alpha;
        p.size = fresh.size;
        p.startFrame = fresh.startFrame;
        p.angle = fresh.angle;
      } else if (c.kind == 2) {
        p.speed = fresh.speed;
        p.direction = fresh.direction;
      }
    }
  }
}

// 5. Destroyers remove the particles inside their regions.
void DestroyerStage(CParticleSystem& s) {
  for (const CDestroyer& d : s.destroyers) {
    if (!d.inUse) continue;
    for (CParticle& p : s.particles)
      if (InRegion(p.x, p.y, d.xmin, d.xmax, d.ymin, d.ymax, d.shape)) p.alive = false;
  }
  RemoveDead(s);
}

// 6. Size, colour and alpha over the life.
void AppearanceStage(CParticleSystem& s) {
  for (CParticle& p : s.particles) {
    const CParticleType* t = TypeRecord(p.type);
    if (!t) continue;
    p.size = std::max(p.size + t->sizeIncr, 0.0);
    p.colour = ColourAt(*t, p.age, p.life, p.colour);
    const double u = p.life < 1 ? 1.0 : 2.0 * p.age / p.life;
    p.alpha = u >= 1 ? (u - 1) * t->alpha3 + (2 - u) * t->alpha2 : u * t->alpha2 + (1 - u) * t->alpha1;
  }
}

// 7. Streams. The list is read by index: emitting may not change it, but a stream may be long.
void StreamStage(CParticleSystem& s) {
  for (size_t i = 0; i < s.emitters.size(); ++i) {
    const CEmitter e = s.emitters[i];
    if (e.inUse && e.number != 0) Emit(s, e, e.type, e.number);
  }
}

}  // namespace

void UpdateSystem(CParticleSystem& s) {
  LifeStage(s);
  MotionStage(s);
  if (!s.deflectors.empty()) DeflectorStage(s);
  if (!s.changers.empty()) ChangerStage(s);
  if (!s.destroyers.empty()) DestroyerStage(s);
  AppearanceStage(s);
  StreamStage(s);
}

}  // namespace qv::particles
