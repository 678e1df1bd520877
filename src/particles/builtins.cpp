// Every function ignores indices of types, systems and objects that do not exist (returning 0);
// creation functions return the new index. Counts are capped by the system's particle limit.
#include "particles/builtins.h"

#include <algorithm>
#include <cstdint>

#include "code/rounding.h"
#include "particles/effects.h"
#include "particles/particle_drawing.h"
#include "particles/particle_system.h"
#include "particles/particle_type.h"

namespace qv::particles {

namespace {

using code::BuiltinCall;

// An integer argument saturated to 32 bits; NaN and the infinities give the smallest integer,
// which names nothing.
int32_t Int(const BuiltinCall& c, int i) {
  const int64_t v = code::roundToInt64(c.real(i));
  return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
// A count; NaN and values beyond 64 bits count as none.
int64_t Count(const BuiltinCall& c, int i) {
  const int64_t v = code::roundToInt64(c.real(i));
  return v == code::kIndefiniteInteger ? 0 : v;
}

CParticleType* T(const BuiltinCall& c) { return ExistingType(Int(c, 0)); }
CParticleSystem* S(const BuiltinCall& c) { return ExistingSystem(Int(c, 0)); }

// --- types ---------------------------------------------------------------------------------------

void part_type_create(BuiltinCall& c) { c.result = double(CreateType()); }
void part_type_destroy(BuiltinCall& c) { DestroyType(Int(c, 0)); }
void part_type_exists(BuiltinCall& c) { c.result = T(c) ? 1.0 : 0.0; }
void part_type_clear(BuiltinCall& c) {
  if (CParticleType* t = T(c)) {
    *t = CParticleType{};
    t->inUse = true;
  }
}
void part_type_shape(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->shape = Int(c, 1), t->sprite = -1;
}
void part_type_sprite(BuiltinCall& c) {
  if (CParticleType* t = T(c))
    t->sprite = Int(c, 1), t->animate = c.truth(2), t->stretch = c.truth(3), t->randomFrame = c.truth(4);
}
void part_type_size(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->sizeMin = c.real(1), t->sizeMax = c.real(2), t->sizeIncr = c.real(3), t->sizeWiggle = c.real(4);
}
void part_type_scale(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->xscale = c.real(1), t->yscale = c.real(2);
}
void part_type_life(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->lifeMin = Int(c, 1), t->lifeMax = Int(c, 2);
}
void part_type_step(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->stepNumber = Int(c, 1), t->stepType = Int(c, 2);
}
void part_type_death(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->deathNumber = Int(c, 1), t->deathType = Int(c, 2);
}
void part_type_speed(BuiltinCall& c) {
  if (CParticleType* t = T(c))
    t->speedMin = c.real(1), t->speedMax = c.real(2), t->speedIncr = c.real(3), t->speedWiggle = c.real(4);
}
void part_type_direction(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->dirMin = c.real(1), t->dirMax = c.real(2), t->dirIncr = c.real(3), t->dirWiggle = c.real(4);
}
void part_type_orientation(BuiltinCall& c) {
  if (CParticleType* t = T(c))
    t->angMin = c.real(1), t->angMax = c.real(2), t->angIncr = c.real(3), t->angWiggle = c.real(4),
    t->angRelative = c.truth(5);
}
void part_type_gravity(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->gravAmount = c.real(1), t->gravDir = c.real(2);
}
// Colour kinds: the values given fill the colour slots in order.
void SetColours(BuiltinCall& c, int32_t kind, int n) {
  CParticleType* t = T(c);
  if (!t) return;
  t->colourKind = kind;
  for (int i = 0; i < n; ++i) t->colour[i] = c.real(1 + i);
}
void part_type_color1(BuiltinCall& c) { SetColours(c, 0, 1); }
void part_type_color2(BuiltinCall& c) { SetColours(c, 1, 2); }
void part_type_color3(BuiltinCall& c) { SetColours(c, 2, 3); }
void part_type_color_rgb(BuiltinCall& c) { SetColours(c, 3, 6); }
void part_type_color_hsv(BuiltinCall& c) { SetColours(c, 4, 6); }
void part_type_color_mix(BuiltinCall& c) { SetColours(c, 5, 2); }
void part_type_alpha1(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->alpha1 = t->alpha2 = t->alpha3 = c.real(1);
}
void part_type_alpha2(BuiltinCall& c) {
  if (CParticleType* t = T(c)) SetAlpha2(*t, c.real(1), c.real(2));
}
void part_type_alpha3(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->alpha1 = c.real(1), t->alpha2 = c.real(2), t->alpha3 = c.real(3);
}
void part_type_blend(BuiltinCall& c) {
  if (CParticleType* t = T(c)) t->additive = c.truth(1);
}

// --- systems and particles -----------------------------------------------------------------------

void part_system_create(BuiltinCall& c) { c.result = double(CreateSystem()); }
void part_system_destroy(BuiltinCall& c) { DestroySystem(Int(c, 0)); }
void part_system_exists(BuiltinCall& c) { c.result = S(c) ? 1.0 : 0.0; }
void part_system_clear(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) ClearSystem(*s);
}
void part_system_draw_order(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) s->oldToNew = c.truth(1);
}
void part_system_depth(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) s->depth = c.real(1);
}
void part_system_position(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) s->x = c.real(1), s->y = c.real(2);
}
void part_system_automatic_update(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) s->automaticUpdate = c.truth(1);
}
void part_system_automatic_draw(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) s->automaticDraw = c.truth(1);
}
void part_system_update(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) UpdateSystem(*s);
}
void part_system_drawit(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) DrawSystem(*s);
}
void part_particles_create(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) CreateParticles(*s, c.real(1), c.real(2), Int(c, 3), Count(c, 4));
}
void part_particles_create_color(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) CreateParticlesColour(*s, c.real(1), c.real(2), Int(c, 3), c.integer(4), Count(c, 5));
}
void part_particles_clear(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) s->particles.clear();
}
void part_particles_count(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) c.result = double(s->particles.size());
}

// --- the objects inside a system: the same five functions for each kind --------------------------

template <class T>
using List = std::vector<T> CParticleSystem::*;

template <class T, List<T> L>
void ObjectCreate(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) c.result = double(CreateObject(s->*L));
}
template <class T, List<T> L>
T* Object(const BuiltinCall& c) {
  CParticleSystem* s = S(c);
  return s ? ExistingObject(s->*L, Int(c, 1)) : nullptr;
}
template <class T, List<T> L>
void ObjectDestroy(BuiltinCall& c) {
  if (T* o = Object<T, L>(c)) o->inUse = false;
}
template <class T, List<T> L>
void ObjectDestroyAll(BuiltinCall& c) {
  if (CParticleSystem* s = S(c)) (s->*L).clear();
}
template <class T, List<T> L>
void ObjectExists(BuiltinCall& c) {
  c.result = Object<T, L>(c) ? 1.0 : 0.0;
}
template <class T, List<T> L>
void ObjectClear(BuiltinCall& c) {
  if (T* o = Object<T, L>(c)) {
    *o = T{};
    o->inUse = true;
  }
}

constexpr List<CEmitter> kEmitters = &CParticleSystem::emitters;
constexpr List<CAttractor> kAttractors = &CParticleSystem::attractors;
constexpr List<CDestroyer> kDestroyers = &CParticleSystem::destroyers;
constexpr List<CDeflector> kDeflectors = &CParticleSystem::deflectors;
constexpr List<CChanger> kChangers = &CParticleSystem::changers;

template <class R>
void Region(R& r, const BuiltinCall& c) {
  r.xmin = c.real(2), r.xmax = c.real(3), r.ymin = c.real(4), r.ymax = c.real(5);
}

void part_emitter_region(BuiltinCall& c) {
  if (CEmitter* e = Object<CEmitter, kEmitters>(c)) Region(*e, c), e->shape = Int(c, 6), e->distribution = Int(c, 7);
}
void part_emitter_burst(BuiltinCall& c) {
  CParticleSystem* s = S(c);
  if (CEmitter* e = Object<CEmitter, kEmitters>(c)) Emit(*s, *e, Int(c, 2), Count(c, 3));
}
void part_emitter_stream(BuiltinCall& c) {
  if (CEmitter* e = Object<CEmitter, kEmitters>(c)) e->type = Int(c, 2), e->number = Int(c, 3);
}
void part_attractor_position(BuiltinCall& c) {
  if (CAttractor* a = Object<CAttractor, kAttractors>(c)) a->x = c.real(2), a->y = c.real(3);
}
void part_attractor_force(BuiltinCall& c) {
  if (CAttractor* a = Object<CAttractor, kAttractors>(c))
    a->force = c.real(2), a->distance = c.real(3), a->kind = Int(c, 4), a->additive = c.truth(5);
}
void part_destroyer_region(BuiltinCall& c) {
  if (CDestroyer* d = Object<CDestroyer, kDestroyers>(c)) Region(*d, c), d->shape = Int(c, 6);
}
void part_deflector_region(BuiltinCall& c) {
  if (CDeflector* d = Object<CDeflector, kDeflectors>(c)) Region(*d, c);
}
void part_deflector_kind(BuiltinCall& c) {
  if (CDeflector* d = Object<CDeflector, kDeflectors>(c)) d->kind = Int(c, 2);
}
void part_deflector_friction(BuiltinCall& c) {
  if (CDeflector* d = Object<CDeflector, kDeflectors>(c)) d->friction = c.real(2);
}
void part_changer_region(BuiltinCall& c) {
  if (CChanger* ch = Object<CChanger, kChangers>(c)) Region(*ch, c), ch->shape = Int(c, 6);
}
void part_changer_types(BuiltinCall& c) {
  if (CChanger* ch = Object<CChanger, kChangers>(c)) ch->type1 = Int(c, 2), ch->type2 = Int(c, 3);
}
void part_changer_kind(BuiltinCall& c) {
  if (CChanger* ch = Object<CChanger, kChangers>(c)) ch->kind = Int(c, 2);
}

// --- effects -------------------------------------------------------------------------------------

void effect_create_below(BuiltinCall& c) { CreateEffect(true, Int(c, 0), c.real(1), c.real(2), Int(c, 3), c.integer(4)); }
void effect_create_above(BuiltinCall& c) { CreateEffect(false, Int(c, 0), c.real(1), c.real(2), Int(c, 3), c.integer(4)); }
void effect_clear(BuiltinCall&) { ClearEffects(); }

#define QV_OBJECT_FUNCTIONS(prefix, T, L)                                                      \
  {prefix "_create", ObjectCreate<T, L>, 1}, {prefix "_destroy", ObjectDestroy<T, L>, 2},      \
      {prefix "_destroy_all", ObjectDestroyAll<T, L>, 1}, {prefix "_exists", ObjectExists<T, L>, 2}, \
      {prefix "_clear", ObjectClear<T, L>, 2}

const code::BuiltinFunction kParticleFunctions[] = {
    {"part_type_create", part_type_create, 0},
    {"part_type_destroy", part_type_destroy, 1},
    {"part_type_exists", part_type_exists, 1},
    {"part_type_clear", part_type_clear, 1},
    {"part_type_shape", part_type_shape, 2},
    {"part_type_sprite", part_type_sprite, 5},
    {"part_type_size", part_type_size, 5},
    {"part_type_scale", part_type_scale, 3},
    {"part_type_life", part_type_life, 3},
    {"part_type_step", part_type_step, 3},
    {"part_type_death", part_type_death, 3},
    {"part_type_speed", part_type_speed, 5},
    {"part_type_direction", part_type_direction, 5},
    {"part_type_orientation", part_type_orientation, 6},
    {"part_type_gravity", part_type_gravity, 3},
    {"part_type_color1", part_type_color1, 2},
    {"part_type_color2", part_type_color2, 3},
    {"part_type_color3", part_type_color3, 4},
    {"part_type_color", part_type_color3, 4},
    {"part_type_color_rgb", part_type_color_rgb, 7},
    {"part_type_color_hsv", part_type_color_hsv, 7},
    {"part_type_color_mix", part_type_color_mix, 3},
    {"part_type_alpha1", part_type_alpha1, 2},
    {"part_type_alpha2", part_type_alpha2, 3},
    {"part_type_alpha3", part_type_alpha3, 4},
    {"part_type_alpha", part_type_alpha3, 4},
    {"part_type_blend", part_type_blend, 2},
    {"part_system_create", part_system_create, 0},
    {"part_system_destroy", part_system_destroy, 1},
    {"part_system_exists", part_system_exists, 1},
    {"part_system_clear", part_system_clear, 1},
    {"part_system_draw_order", part_system_draw_order, 2},
    {"part_system_depth", part_system_depth, 2},
    {"part_system_position", part_system_position, 3},
    {"part_system_automatic_update", part_system_automatic_update, 2},
    {"part_system_automatic_draw", part_system_automatic_draw, 2},
    {"part_system_update", part_system_update, 1},
    {"part_system_drawit", part_system_drawit, 1},
    {"part_particles_create", part_particles_create, 5},
    {"part_particles_create_color", part_particles_create_color, 6},
    {"part_particles_clear", part_particles_clear, 1},
    {"part_particles_count", part_particles_count, 1},
    QV_OBJECT_FUNCTIONS("part_emitter", CEmitter, kEmitters),
    {"part_emitter_region", part_emitter_region, 8},
    {"part_emitter_burst", part_emitter_burst, 4},
    {"part_emitter_stream", part_emitter_stream, 4},
    QV_OBJECT_FUNCTIONS("part_attractor", CAttractor, kAttractors),
    {"part_attractor_position", part_attractor_position, 4},
    {"part_attractor_force", part_attractor_force, 6},
    QV_OBJECT_FUNCTIONS("part_destroyer", CDestroyer, kDestroyers),
    {"part_destroyer_region", part_destroyer_region, 7},
    QV_OBJECT_FUNCTIONS("part_deflector", CDeflector, kDeflectors),
    {"part_deflector_region", part_deflector_region, 6},
    {"part_deflector_kind", part_deflector_kind, 3},
    {"part_deflector_friction", part_deflector_friction, 3},
    QV_OBJECT_FUNCTIONS("part_changer", CChanger, kChangers),
    {"part_changer_region", part_changer_region, 7},
    {"part_changer_types", part_changer_types, 4},
    {"part_changer_kind", part_changer_kind, 3},
    {"effect_create_below", effect_create_below, 5},
    {"effect_create_above", effect_create_above, 5},
    {"effect_clear", effect_clear, 0},
};

#undef QV_OBJECT_FUNCTIONS

}  // namespace

code::BuiltinFamily ParticleFunctions() { return kParticleFunctions; }

}  // namespace qv::particles
