// Calls the particle functions with arguments taken from the input, updating every system as it
// goes. Input: groups of bytes; the first of a group chooses the function, each following byte an
// argument (a table of awkward values: NaN, infinities, negatives, huge counts, small indices, or
// the next eight bytes as a raw real). Checks: nothing crashes, and no system holds more than its
// particle limit. The limit is lowered to 20,000 here: a system of a million particles takes
// seconds a step in the unoptimized sanitizer build (17 bytes made one and updated it 64 times, a
// timeout), and the limit's logic is the same at any size. An input also ends once it has updated
// a million particles.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "code/random.h"
#include "particles/builtins.h"
#include "particles/particle_system.h"

using qv::code::RValue;

namespace {

constexpr double kValues[] = {0, 1, 2, 3, -1, -4, 15, 0.5, 100, 1e9, -1e9, 1e300,
                              std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 2147483648.0};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::particles::SetParticleLimit(20000);
  qv::particles::ResetParticles();
  qv::code::RandomSetSeed(1);
  const qv::code::BuiltinFamily family = qv::particles::ParticleFunctions();
  constexpr size_t kUpdateBudget = 1000000;  // particles updated per input
  size_t updated = 0;
  size_t at = 0;
  int calls = 0;
  while (at < size && calls < 64 && updated < kUpdateBudget) {
    const qv::code::BuiltinFunction& f = family[data[at++] % family.size()];
    std::vector<RValue> args;
    for (int i = 0; i < f.argumentCount; ++i) {
      const uint8_t b = at < size ? data[at++] : 0;
      double v = kValues[b % std::size(kValues)];
      if (b >= 240 && at + 8 <= size) {
        std::memcpy(&v, data + at, 8);
        at += 8;
      }
      args.emplace_back(v);
    }
    RValue result;
    qv::code::BuiltinCall c{nullptr, nullptr, static_cast<int>(args.size()), args.data(), result};
    f.handler(c);
    ++calls;
    for (qv::particles::CParticleSystem& s : qv::particles::systems()) {
      if (!s.inUse) continue;
      qv::particles::UpdateSystem(s);
      updated += s.particles.size();
      if (s.particles.size() > qv::particles::ParticleLimit()) {
        std::fprintf(stderr, "fuzz_particles: %zu particles\n", s.particles.size());
        std::abort();
      }
    }
  }
  qv::particles::ResetParticles();
  return 0;
}
