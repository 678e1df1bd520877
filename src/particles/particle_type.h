// Particle types: the appearance and behaviour shared by the particles that name them.
//
// Types live in one growable array addressed by index. Destroying a type only clears its in-use
// flag: the record stays in place, so particles still holding the index read defined settings
// (those of a later type that takes the slot, once one does).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv::particles {

struct CParticleType {
  bool inUse = false;
  int32_t sprite = -1;  // -1: the built-in shape
  bool animate = true, stretch = false, randomFrame = false;
  int32_t shape = 0;
  double sizeMin = 1, sizeMax = 1, sizeIncr = 0, sizeWiggle = 0;
  double xscale = 1, yscale = 1;
  int32_t lifeMin = 100, lifeMax = 100;
  int32_t deathType = 0, deathNumber = 0;
  int32_t stepType = 0, stepNumber = 0;
  double speedMin = 0, speedMax = 0, speedIncr = 0, speedWiggle = 0;
  double dirMin = 0, dirMax = 0, dirIncr = 0, dirWiggle = 0;
  double gravAmount = 0, gravDir = 270;
  double angMin = 0, angMax = 0, angIncr = 0, angWiggle = 0;
  bool angRelative = false;
  int32_t colourKind = 0;
  double colour[6] = {16777215, 16777215, 16777215, 0, 0, 0};
  double alpha1 = 1, alpha2 = 1, alpha3 = 1;
  bool additive = false;
};

std::vector<CParticleType>& types();
// The type at t when it exists (in the array and in use), else nullptr.
CParticleType* ExistingType(int64_t t);
// The record at t whether or not in use (particles of a destroyed type); nullptr outside the array.
const CParticleType* TypeRecord(int64_t t);
// A fresh type with the defaults in the first free slot (or a new one); its index.
int32_t CreateType();
void DestroyType(int64_t t);

// Settings as the type functions make them (the values of several fields at once).
void SetAlpha2(CParticleType& t, double a1, double a2);

}  // namespace qv::particles
