// Sample-rate converters compared: the aliasing of a swept tone (counter "aliasing_db", energy the
// converter adds besides the sweep, relative to it; "worst_frame_db" the worst 93 ms frame) and the cost
// of converting (counter "seconds_per_second": CPU seconds per second of sound converted).
// Sounds are converted once when they are loaded, so the cost is paid at loading, not while mixing.
//
//   bench_sound --benchmark_filter=Resample
#include <benchmark/benchmark.h>

#include <string>

#include "platform/resampler.h"
#include "sound/mixer.h"
#include "support/sweep_aliasing.h"

namespace {

using qv::platform::ResampleQuality;
using qv::testing::Sweep;

// A sweep to 90% of the sound's highest frequency, `rate` to the mixer's rate.
Sweep sweepFor(double rate) {
  Sweep s;
  s.rate = rate;
  s.f1 = rate > qv::sound::kMixRate ? 23000 : 0.45 * rate;
  s.seconds = 3;
  return s;
}

void report(benchmark::State& state, const Sweep& sweep, const std::vector<float>& out) {
  const auto fig = qv::testing::MeasureSweepAliasing(sweep, out, qv::sound::kMixRate);
  state.counters["aliasing_db"] = fig.totalDb;
  state.counters["worst_frame_db"] = fig.worstDb;
  state.counters["seconds_per_second"] =
      benchmark::Counter(sweep.seconds, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// range(0): the sound's rate; range(1): the converter (0..3 as ResampleQuality).
void BM_Resample(benchmark::State& state) {
  const Sweep sweep = sweepFor(static_cast<double>(state.range(0)));
  const auto quality = static_cast<ResampleQuality>(state.range(1));
  const std::vector<float> in = sweep.samples();
  std::vector<float> out;
  for (auto _ : state) {
    out = qv::platform::ResampleFrames(in, 1, sweep.rate, qv::sound::kMixRate, quality, SIZE_MAX);
    benchmark::DoNotOptimize(out.data());
  }
  static const char* const kNames[] = {"sinc_best", "sinc_medium", "sinc_fastest", "src_linear"};
  state.SetLabel(kNames[state.range(1)]);
  report(state, sweep, out);
}
BENCHMARK(BM_Resample)->ArgsProduct({{11025, 22050, 48000}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);

// The straight-line interpolation the mixer used before, for the "before" figure.
void BM_ResampleStraightLine(benchmark::State& state) {
  const Sweep sweep = sweepFor(static_cast<double>(state.range(0)));
  const std::vector<float> in = sweep.samples();
  std::vector<float> out;
  for (auto _ : state) {
    out = qv::testing::StraightLineResample(in, sweep.rate, qv::sound::kMixRate);
    benchmark::DoNotOptimize(out.data());
  }
  report(state, sweep, out);
}
BENCHMARK(BM_ResampleStraightLine)->Arg(11025)->Arg(22050)->Arg(48000)->Unit(benchmark::kMillisecond);

}  // namespace
