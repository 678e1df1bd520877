// Particle systems: containers of particles with a depth and a position, and the emitters,
// attractors, destroyers, deflectors and changers that act on their particles.
//
// Systems live in one growable array addressed by index; the objects of a system in arrays inside
// it. Each slot has an in-use flag; creation takes the first free slot or appends one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv::particles {

struct CParticle {
  bool alive = true;
  int32_t type = 0;
  int32_t age = 0, life = 0;
  double x = 0, y = 0, xprevious = 0, yprevious = 0;  // relative to the system position
  double speed = 0, direction = 0, angle = 0;
  int32_t colour = 0;  // script colour 0x00BBGGRR
  double alpha = 1, size = 1;
  int32_t startFrame = 0, seed = 0;
};

// Region shapes of emitters, destroyers and changers.
enum RegionShape : int32_t { kRegionRectangle = 0, kRegionEllipse = 1, kRegionDiamond = 2, kRegionLine = 3 };

struct CEmitter {
  bool inUse = false;
  int32_t number = 0;  // stream number
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  int32_t distribution = 0, shape = 0, type = 0;
};
struct CAttractor {
  bool inUse = false;
  double x = 0, y = 0, force = 0, distance = 0;
  int32_t kind = 0;
  bool additive = false;
};
struct CDestroyer {
  bool inUse = false;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  int32_t shape = 0;
};
struct CDeflector {
  bool inUse = false;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  int32_t kind = 0;
  double friction = 0;
};
struct CChanger {
  bool inUse = false;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  int32_t shape = 0, type1 = 0, type2 = 0, kind = 0;
};

struct CParticleSystem {
  bool inUse = false;
  std::vector<CParticle> particles;
  std::vector<CEmitter> emitters;
  std::vector<CAttractor> attractors;
  std::vector<CDestroyer> destroyers;
  std::vector<CDeflector> deflectors;
  std::vector<CChanger> changers;
  bool oldToNew = true;
  double depth = 0, x = 0, y = 0;
  bool automaticUpdate = true, automaticDraw = true;
};

// A system holds at most this many particles: creation stops there, so a count a script gives
// (1e9, or a step number that multiplies every step) cannot exhaust memory.
inline constexpr size_t kMaxParticles = 1000000;
// The limit in force: kMaxParticles, or a lower one set by the fuzz target, where a million
// particles take seconds a step in the unoptimized sanitizer build.
inline size_t g_particleLimit = kMaxParticles;
inline size_t ParticleLimit() { return g_particleLimit; }
inline void SetParticleLimit(size_t limit) { g_particleLimit = limit < kMaxParticles ? limit : kMaxParticles; }

std::vector<CParticleSystem>& systems();
CParticleSystem* ExistingSystem(int64_t ps);
// A system with the defaults in the first free slot (the shape sprites are made the first time).
int32_t CreateSystem();
void DestroySystem(int64_t ps);
// Back to the defaults: no particles, no objects.
void ClearSystem(CParticleSystem& s);

// The object at index ind of a system's array when it exists and is in use, else nullptr.
template <class T>
T* ExistingObject(std::vector<T>& list, int64_t ind) {
  if (ind < 0 || ind >= int64_t(list.size()) || !list[size_t(ind)].inUse) return nullptr;
  return &list[size_t(ind)];
}
// A new object with the defaults in the first free slot of the list; its index.
template <class T>
int32_t CreateObject(std::vector<T>& list) {
  for (size_t i = 0; i < list.size(); ++i)
    if (!list[i].inUse) {
      list[i] = T{};
      list[i].inUse = true;
      return int32_t(i);
    }
  list.push_back(T{});
  list.back().inUse = true;
  return int32_t(list.size() - 1);
}

// Creates n particles of type t at (x, y) (relative to the system); a negative n makes one
// particle with probability 1 / -n. Nothing for a type that does not exist.
void CreateParticles(CParticleSystem& s, double x, double y, int32_t t, int64_t n);
// As above, then every new particle takes the colour.
void CreateParticlesColour(CParticleSystem& s, double x, double y, int32_t t, int32_t colour, int64_t n);
// Emits n particles of type t in the emitter's region.
void Emit(CParticleSystem& s, const CEmitter& e, int32_t t, int64_t n);
// One update of the seven stages.
void UpdateSystem(CParticleSystem& s);

// Every system, type and effect forgotten (a game start).
void ResetParticles();

}  // namespace qv::particles
