#include "code/random.h"

#include <chrono>

namespace qv::code {

namespace {
uint32_t seed = 0;
}

uint32_t RandomSeed() { return seed; }
void RandomSetSeed(uint32_t s) { seed = s; }

void Randomize() {
  // Any changing value will do; the clock's tick count mixes seconds and sub-second parts.
  auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  seed = static_cast<uint32_t>(static_cast<uint64_t>(ticks) ^ (static_cast<uint64_t>(ticks) >> 32));
}

uint32_t RandomNext() {
  seed = seed * 134775813u + 1u;
  return seed;
}

double RandomReal(double x) { return static_cast<double>(RandomNext()) / 4294967296.0 * x; }

uint32_t RandomInteger(uint32_t n) {
  uint64_t product = static_cast<uint64_t>(n) * RandomNext();
  return static_cast<uint32_t>(product >> 32);
}

}  // namespace qv::code
