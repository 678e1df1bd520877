// The aliasing of a swept tone: the listening-independent measure by which the mixer's sample-rate
// converter was chosen (tests/sound/resample_test.cpp holds it to a bound, bench/sound reports it
// for every converter with its cost).
//
// A sine sweeps linearly from f0 to f1 at the source rate; after conversion, a short-time spectrum
// (Kaiser window, whose side lobes lie far below any converter's errors) splits every frame's energy into the
// band around the sweep's frequency at that moment and everything else. Everything else is what
// the converter added (images of the spectrum, aliases, distortion); the figure is its energy
// relative to the sweep's, in dB, over the whole sweep and for the worst frame.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <span>
#include <vector>

namespace qv::testing {

struct Sweep {
  double rate = 11025;   // source rate
  double f0 = 20, f1 = 5000;
  double seconds = 4;
  // Instantaneous frequency at time t.
  double frequency(double t) const { return f0 + (f1 - f0) * t / seconds; }
  // The swept sine at the source rate, amplitude 0.5.
  std::vector<float> samples() const {
    std::vector<float> s(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < s.size(); ++i) {
      const double t = static_cast<double>(i) / rate;
      s[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * (f0 * t + (f1 - f0) * t * t / (2 * seconds))));
    }
    return s;
  }
};

struct AliasingFigure {
  double totalDb = 0;  // energy outside the sweep's band over energy inside, whole sweep
  double worstDb = -400;  // the same for the worst frame (of those where the sweep is below 90% of
                          // the output's highest frequency)
};

inline void Fft(std::vector<std::complex<double>>& a) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> w = std::polar(1.0, -2 * M_PI / static_cast<double>(len));
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> wk = 1;
      for (size_t k = 0; k < len / 2; ++k, wk *= w) {
        const auto u = a[i + k], v = a[i + k + len / 2] * wk;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

// `out` is the converted sweep: one channel at `outRate`, `stride` floats from one frame to the next.
inline AliasingFigure MeasureSweepAliasing(const Sweep& sweep, std::span<const float> out, double outRate, size_t stride = 1) {
  constexpr size_t kN = 4096;
  // Kaiser window, beta 20: side lobes about 190 dB down, so the measure's own floor lies far
  // below any converter's; main lobe 6.4 bins each side.
  constexpr double kBeta = 20;
  auto besselI0 = [](double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 60; ++k) {
      term *= (x / (2 * k)) * (x / (2 * k));
      sum += term;
    }
    return sum;
  };
  std::vector<double> window(kN);
  for (size_t i = 0; i < kN; ++i) {
    const double r = 2.0 * static_cast<double>(i) / (kN - 1) - 1;
    window[i] = besselI0(kBeta * std::sqrt(std::max(0.0, 1 - r * r))) / besselI0(kBeta);
  }
  const double binHz = outRate / kN;
  const double sweepPerFrame = (sweep.f1 - sweep.f0) / sweep.seconds * kN / outRate;
  // The sweep's band: its travel during the frame, the window's main lobe and a guard of two bins.
  const double halfBand = sweepPerFrame / 2 + 9 * binHz;
  const size_t frames = (out.size() + stride - 1) / stride;
  // Frames touching the first or last 50 ms are skipped: a converter starts and ends on silence.
  const auto edge = static_cast<size_t>(0.05 * outRate);
  double inside = 0, outside = 0;
  AliasingFigure fig;
  std::vector<std::complex<double>> buf(kN);
  for (size_t start = edge; start + kN + edge <= frames; start += kN / 2) {
    for (size_t i = 0; i < kN; ++i) buf[i] = window[i] * out[(start + i) * stride];
    Fft(buf);
    const double f = sweep.frequency((static_cast<double>(start) + kN / 2.0) / outRate);
    double in = 0, off = 0;
    for (size_t k = 0; k <= kN / 2; ++k) {
      const double e = std::norm(buf[k]);
      (std::abs(static_cast<double>(k) * binHz - f) <= halfBand ? in : off) += e;
    }
    inside += in;
    outside += off;
    // Where the sweep has passed 90% of the output's highest frequency a converter rightly removes
    // it, and no frame figure means anything there.
    if (in > 0 && f < 0.45 * outRate) fig.worstDb = std::max(fig.worstDb, 10 * std::log10(std::max(off, 1e-300) / in));
  }
  fig.totalDb = inside > 0 ? 10 * std::log10(std::max(outside, 1e-300) / inside) : 0;
  return fig;
}

// Straight-line interpolation between neighbouring frames, as the mixer converted rates before it
// used a band-limited converter: the reference the measurement is compared with.
inline std::vector<float> StraightLineResample(const std::vector<float>& mono, double fromRate, double toRate) {
  const double step = fromRate / toRate;
  const auto outFrames = static_cast<size_t>(static_cast<double>(mono.size()) / step);
  std::vector<float> out(outFrames);
  for (size_t f = 0; f < outFrames; ++f) {
    const double pos = static_cast<double>(f) * step;
    const auto i = static_cast<size_t>(pos);
    const auto t = static_cast<float>(pos - static_cast<double>(i));
    const size_t j = std::min(i + 1, mono.size() - 1);
    out[f] = mono[i] + (mono[j] - mono[i]) * t;
  }
  return out;
}

}  // namespace qv::testing
