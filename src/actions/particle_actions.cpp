// The particle members: one particle system of the actions' own, made on first use, and the
// type and emitter numbers 0 to 15 of the actions mapped to indices through its two tables.
// Numbers outside 0 to 15 do nothing. The argument meaning of each member is in docs/particles.md.
#include <cstdint>

#include "actions/action_families.h"
#include "actions/relative.h"
#include "code/errors.h"
#include "particles/action_system.h"
#include "particles/effects.h"
#include "particles/particle_system.h"
#include "particles/particle_type.h"

namespace qv::actions {

namespace {

using code::BuiltinCall;
using particles::actionParticles;
using particles::CParticleSystem;
using particles::CParticleType;

CParticleSystem& System() {
  int32_t& slot = actionParticles().system;
  if (!particles::ExistingSystem(slot)) slot = particles::CreateSystem();
  return particles::systems()[size_t(slot)];
}

// A position argument pair, relative to self with the option.
Position At(const BuiltinCall& c, double x, double y) {
  const world::CInstance* self = world::Self(c);
  return self ? RelativePosition(*self, x, y) : Position{x, y};
}

bool InTable(int32_t number) { return number >= 0 && number < 16; }

// The type of an action type number, made when the table has none (or it was destroyed).
CParticleType* TypeFor(int32_t number) {
  if (!InTable(number)) return nullptr;
  int32_t& slot = actionParticles().types[size_t(number)];
  if (!particles::ExistingType(slot)) slot = particles::CreateType();
  return &particles::types()[size_t(slot)];
}

// The type index of an action type number without making it; -1 names none.
int32_t TypeIndex(int32_t number) { return InTable(number) ? actionParticles().types[size_t(number)] : -1; }

CParticleType* ArgType(const BuiltinCall& c) { return TypeFor(IndexArgument(c, 0)); }

void action_partsyst_create(BuiltinCall& c) {
  CParticleSystem& s = System();
  particles::ClearSystem(s);
  s.depth = c.real(0);
  const int32_t keep = actionParticles().system;
  actionParticles() = particles::ActionParticles{};
  actionParticles().system = keep;
}
void action_partsyst_destroy(BuiltinCall&) {
  particles::DestroySystem(actionParticles().system);
  actionParticles().system = -1;
  actionParticles().emitters.fill(-1);  // they went with the system; the types stay
}
void action_partsyst_clear(BuiltinCall&) { System().particles.clear(); }

// type, shape, sprite (-1 none: the shape is drawn), size min, size max, size increment
void action_parttype_create(BuiltinCall& c) {
  System();
  CParticleType* t = ArgType(c);
  if (!t) return;
  t->shape = IndexArgument(c, 1);
  const int32_t sprite = IndexArgument(c, 2);
  t->sprite = sprite >= 0 ? sprite : -1;
  t->animate = true, t->stretch = false, t->randomFrame = false;
  t->sizeMin = c.real(3), t->sizeMax = c.real(4), t->sizeIncr = c.real(5), t->sizeWiggle = 0;
}
// type, shape, size min, size max, start colour, end colour
void action_parttype_create_old(BuiltinCall& c) {
  System();
  CParticleType* t = ArgType(c);
  if (!t) return;
  t->shape = IndexArgument(c, 1);
  t->sprite = -1;
  t->sizeMin = c.real(2), t->sizeMax = c.real(3), t->sizeIncr = 0, t->sizeWiggle = 0;
  t->colourKind = 1;
  t->colour[0] = c.real(4), t->colour[1] = c.real(5);
}
// type, colour kind (0 a random mix of the two, else changing from the first to the second),
// colour 1, colour 2, start alpha, end alpha
void action_parttype_color(BuiltinCall& c) {
  CParticleType* t = ArgType(c);
  if (!t) return;
  t->colourKind = IndexArgument(c, 1) == 0 ? 5 : 1;
  t->colour[0] = c.real(2), t->colour[1] = c.real(3);
  particles::SetAlpha2(*t, c.real(4), c.real(5));
}
// type, life min, life max
void action_parttype_life(BuiltinCall& c) {
  if (CParticleType* t = ArgType(c)) t->lifeMin = IndexArgument(c, 1), t->lifeMax = IndexArgument(c, 2);
}
// type, speed min, speed max, direction min, direction max, friction (taken off the speed each step)
void action_parttype_speed(BuiltinCall& c) {
  CParticleType* t = ArgType(c);
  if (!t) return;
  t->speedMin = c.real(1), t->speedMax = c.real(2), t->speedIncr = -c.real(5), t->speedWiggle = 0;
  t->dirMin = c.real(3), t->dirMax = c.real(4), t->dirIncr = 0, t->dirWiggle = 0;
}
// type, amount, direction
void action_parttype_gravity(BuiltinCall& c) {
  if (CParticleType* t = ArgType(c)) t->gravAmount = c.real(1), t->gravDir = c.real(2);
}
// type, step type, step number, death type, death number (types by their action numbers)
void action_parttype_secondary(BuiltinCall& c) {
  CParticleType* t = ArgType(c);
  if (!t) return;
  t->stepType = TypeIndex(IndexArgument(c, 1)), t->stepNumber = IndexArgument(c, 2);
  t->deathType = TypeIndex(IndexArgument(c, 3)), t->deathNumber = IndexArgument(c, 4);
}

// emitter, shape, xmin, xmax, ymin, ymax (positions relative)
void action_partemit_create(BuiltinCall& c) {
  const int32_t number = IndexArgument(c, 0);
  if (!InTable(number)) return;
  CParticleSystem& s = System();
  int32_t& slot = actionParticles().emitters[size_t(number)];
  if (!particles::ExistingObject(s.emitters, slot)) slot = particles::CreateObject(s.emitters);
  particles::CEmitter& e = s.emitters[size_t(slot)];
  const Position from = At(c, c.real(2), c.real(4)), to = At(c, c.real(3), c.real(5));
  e.shape = IndexArgument(c, 1);
  e.distribution = 0;
  e.xmin = from.x, e.xmax = to.x, e.ymin = from.y, e.ymax = to.y;
}
void action_partemit_destroy(BuiltinCall& c) {
  const int32_t number = IndexArgument(c, 0);
  if (!InTable(number)) return;
  int32_t& slot = actionParticles().emitters[size_t(number)];
  if (CParticleSystem* s = particles::ExistingSystem(actionParticles().system))
    if (auto* e = particles::ExistingObject(s->emitters, slot)) e->inUse = false;
  slot = -1;
}

// The emitter of an action emitter number; a missing one reports its message.
particles::CEmitter* EmitterFor(const BuiltinCall& c) {
  const int32_t number = IndexArgument(c, 0);
  if (!InTable(number)) return nullptr;
  CParticleSystem* s = particles::ExistingSystem(actionParticles().system);
  particles::CEmitter* e = s ? particles::ExistingObject(s->emitters, actionParticles().emitters[size_t(number)]) : nullptr;
  if (!e) code::ReportActionError("The particle emitter must first be created.");
  return e;
}
// emitter, type, number
void action_partemit_burst(BuiltinCall& c) {
  if (particles::CEmitter* e = EmitterFor(c))
    particles::Emit(System(), *e, TypeIndex(IndexArgument(c, 1)), code::roundToInt32(c.real(2)));
}
void action_partemit_stream(BuiltinCall& c) {
  if (particles::CEmitter* e = EmitterFor(c)) e->type = TypeIndex(IndexArgument(c, 1)), e->number = IndexArgument(c, 2);
}

// kind, x, y (relative), size, colour, where (0 below the instances, 1 above)
void action_effect(BuiltinCall& c) {
  const Position p = At(c, c.real(1), c.real(2));
  particles::CreateEffect(!c.truth(5), IndexArgument(c, 0), p.x, p.y, IndexArgument(c, 3), c.integer(4));
}

constexpr code::BuiltinFunction kParticleActions[] = {
    {"action_partsyst_create", action_partsyst_create, 1},
    {"action_partsyst_destroy", action_partsyst_destroy, 0},
    {"action_partsyst_clear", action_partsyst_clear, 0},
    {"action_parttype_create", action_parttype_create, 6},
    {"action_parttype_create_old", action_parttype_create_old, 6},
    {"action_parttype_color", action_parttype_color, 6},
    {"action_parttype_life", action_parttype_life, 3},
    {"action_parttype_speed", action_parttype_speed, 6},
    {"action_parttype_gravity", action_parttype_gravity, 3},
    {"action_parttype_secondary", action_parttype_secondary, 5},
    {"action_partemit_create", action_partemit_create, 6},
    {"action_partemit_destroy", action_partemit_destroy, 1},
    {"action_partemit_burst", action_partemit_burst, 3},
    {"action_partemit_stream", action_partemit_stream, 3},
    {"action_effect", action_effect, 6},
};

}  // namespace

code::BuiltinFamily ParticleActions() { return kParticleActions; }

}  // namespace qv::actions
