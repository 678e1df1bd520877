// The runner's one random number generator.
//
// A linear congruential generator over an unsigned 32-bit seed: each draw first advances
// seed := seed * 134775813 + 1 (mod 2^32) and then uses the new seed. Every random choice of the
// runner (script functions, actions, particles, shuffles, temporary names) draws from this one
// generator, so a game that sets the seed sees the same sequence as it always did.
#pragma once

#include <cstdint>

namespace qv::code {

// The seed itself; game code reads it signed through random_get_seed.
uint32_t RandomSeed();
void RandomSetSeed(uint32_t seed);
// Sets the seed from the system clock.
void Randomize();

// Advances the seed and returns it.
uint32_t RandomNext();
// A real from 0 up to, not including, x: seed / 2^32 * x.
double RandomReal(double x);
// An integer below the unsigned count n: the high 32 bits of n * seed (0 when n is 0).
uint32_t RandomInteger(uint32_t n);

}  // namespace qv::code
