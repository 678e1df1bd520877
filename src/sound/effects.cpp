// Sections: building blocks (delay line, biquad, reverb core); the effects in chain order;
// BuildEffectChain; the parameter setters.
#include "sound/effects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace qv::sound {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double dbToGain(double db) { return std::pow(10.0, db / 20.0); }
double millibelToGain(double mb) { return mb <= -10000.0 ? 0.0 : std::pow(10.0, mb / 2000.0); }
// Ranges are compared in 32-bit floats, as the parameters are handed over (0.01 is 0.01f).
bool within(float v, float lo, float hi) { return v >= lo && v <= hi; }  // false for NaN
bool within(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

// ---- building blocks ----

// A circular delay line read at fractional delays (linear interpolation).
// Invariant: the buffer length is a power of two above the longest delay ever read.
class DelayLine {
 public:
  explicit DelayLine(int maxDelaySamples) {
    size_t n = 16;
    while (n < static_cast<size_t>(maxDelaySamples) + 4) n <<= 1;
    buf_.assign(n, 0.0f);
    mask_ = n - 1;
  }
  void write(float x) {
    buf_[pos_] = x;
    pos_ = (pos_ + 1) & mask_;
  }
  // The sample written `delay` samples before the next write (delay >= 1).
  float read(double delay) const {
    const auto whole = static_cast<size_t>(delay);
    const float frac = static_cast<float>(delay - static_cast<double>(whole));
    const float a = buf_[(pos_ - whole) & mask_];
    const float b = buf_[(pos_ - whole - 1) & mask_];
    return a + (b - a) * frac;
  }
  float readWhole(size_t delay) const { return buf_[(pos_ - delay) & mask_]; }

 private:
  std::vector<float> buf_;
  size_t mask_ = 0;
  size_t pos_ = 0;
};

// Second-order filter in transposed direct form II, one state per channel.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  std::array<double, 2> z1{}, z2{};

  float run(int c, float xin) {
    const double x = xin;
    const double y = b0 * x + z1[c];
    z1[c] = b1 * x - a1 * y + z2[c];
    z2[c] = b2 * x - a2 * y;
    return static_cast<float>(y);
  }
  void set(double nb0, double nb1, double nb2, double a0, double na1, double na2) {
    b0 = nb0 / a0; b1 = nb1 / a0; b2 = nb2 / a0; a1 = na1 / a0; a2 = na2 / a0;
  }
  // Peaking equalizer: `gainDb` at `center`, `octaves` wide.
  void peaking(double fs, double center, double octaves, double gainDb) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = kTwoPi * center / fs;
    const double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2.0 * octaves * w0 / std::sin(w0));
    set(1 + alpha * a, -2 * std::cos(w0), 1 - alpha * a, 1 + alpha / a, -2 * std::cos(w0), 1 - alpha / a);
  }
  // Band pass with 0 dB at `center`, `width` hertz wide.
  void bandPass(double fs, double center, double width) {
    const double w0 = kTwoPi * center / fs;
    const double q = center / width;
    const double alpha = std::sin(w0) / (2 * q);
    set(alpha, 0, -alpha, 1 + alpha, -2 * std::cos(w0), 1 - alpha);
  }
};

// Late reverberation: a feedback delay network of eight damped delay lines of mutually prime
// lengths, mixed through an 8x8 Hadamard matrix (energy preserving, so the decay is set by the
// line gains alone). Even lines feed the left output, odd lines the right.
class ReverbCore {
 public:
  explicit ReverbCore(int fs) : fs_(fs) {
    static constexpr std::array<int, 8> kLengths = {1031, 1327, 1523, 1801, 2053, 2311, 2539, 2803};
    const double scale = fs / 44100.0;
    for (size_t k = 0; k < kLines; ++k) {
      lines_[k].length = std::max(1, static_cast<int>(kLengths[k] * scale));
      lines_[k].buf.assign(static_cast<size_t>(lines_[k].length), 0.0f);
    }
    configure(1.0, 0.5);
  }

  // Decay to -60 dB in `seconds`; `damping` 0..1 darkens the tail.
  void configure(double seconds, double damping) {
    seconds = std::max(seconds, 1e-4);
    for (auto& line : lines_) {
      line.gain = static_cast<float>(std::pow(10.0, -3.0 * line.length / (seconds * fs_)));
      line.damp = static_cast<float>(std::clamp(damping, 0.0, 0.95));
    }
  }

  // Input is mono (the caller's sum); writes the wet left and right signal.
  void run(const float* in, float* left, float* right, int frames) {
    constexpr float kNorm = 0.35355339f;  // 1/sqrt(8)
    constexpr float kInput = 0.25f;
    for (int i = 0; i < frames; ++i) {
      std::array<float, kLines> y;
      for (size_t k = 0; k < kLines; ++k) {
        Line& line = lines_[k];
        const float o = line.buf[static_cast<size_t>(line.pos)];
        line.store = o * (1.0f - line.damp) + line.store * line.damp;
        y[k] = line.store * line.gain;
      }
      left[i] = y[0] + y[2] + y[4] + y[6];
      right[i] = y[1] + y[3] + y[5] + y[7];
      // Fast Walsh-Hadamard transform in three butterfly stages.
      for (size_t h = 1; h < kLines; h <<= 1) {
        for (size_t k = 0; k < kLines; k += 2 * h) {
          for (size_t j = k; j < k + h; ++j) {
            const float a = y[j], b = y[j + h];
            y[j] = a + b;
            y[j + h] = a - b;
          }
        }
      }
      const float x = in[i] * kInput;
      for (size_t k = 0; k < kLines; ++k) {
        Line& line = lines_[k];
        line.buf[static_cast<size_t>(line.pos)] = x + y[k] * kNorm;
        if (++line.pos >= line.length) line.pos = 0;
      }
    }
  }

 private:
  static constexpr size_t kLines = 8;
  struct Line {
    std::vector<float> buf;
    int length = 1, pos = 0;
    float gain = 0, damp = 0, store = 0;
  };
  int fs_;
  std::array<Line, kLines> lines_;
};

// One period of a sine, for the oscillators (interpolated; far finer than a modulation needs).
constexpr int kSineTableSize = 1024;
const std::array<float, kSineTableSize + 1>& sineTable() {
  static const auto table = [] {
    std::array<float, kSineTableSize + 1> t{};
    for (int i = 0; i <= kSineTableSize; ++i) t[static_cast<size_t>(i)] = static_cast<float>(std::sin(kTwoPi * i / kSineTableSize));
    return t;
  }();
  return table;
}

// Low-frequency oscillator value in [-1, 1] at phase 0..1.
float lfo(int waveform, double phase) {
  phase -= std::floor(phase);
  if (waveform == 0) return static_cast<float>(phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase);  // triangle
  const double x = phase * kSineTableSize;
  const auto i = static_cast<size_t>(x);
  const auto& t = sineTable();
  return t[i] + (t[i + 1] - t[i]) * static_cast<float>(x - static_cast<double>(i));
}

// ---- the effects ----

// Chorus and flanger: a delay modulated by an oscillator, fed back, mixed with the dry signal.
// The delay swings by `depth` percent of itself; phase sets the right channel's oscillator offset.
class ModulatedDelay final : public Effect {
 public:
  ModulatedDelay(EffectKind kind, int fs, float maxDelayMs)
      : Effect(kind), fs_(fs), lines_{DelayLine(maxSamples(fs, maxDelayMs)), DelayLine(maxSamples(fs, maxDelayMs))} {}

  void set(float wetDry, float depth, float feedback, float frequency, int32_t waveform, float delayMs, int32_t phase) {
    wet_ = wetDry / 100.0f;
    depth_ = depth / 100.0f;
    feedback_ = feedback / 100.0f;
    step_ = frequency / fs_;
    waveform_ = waveform;
    delaySamples_ = delayMs * 0.001 * fs_;
    phaseOffset_ = (phase - 2) * 0.25;  // -180, -90, 0, 90, 180 degrees
  }

  void process(float* s, int frames) override {
    for (int i = 0; i < frames; ++i) {
      for (int c = 0; c < 2; ++c) {
        const float mod = lfo(waveform_, phase_ + (c == 1 ? phaseOffset_ : 0.0));
        const double d = std::max(1.0, delaySamples_ * (1.0 + depth_ * mod));
        float& x = s[2 * i + c];
        const float delayed = lines_[c].read(d);
        lines_[c].write(x + delayed * feedback_);
        x = x * (1.0f - wet_) + delayed * wet_;
      }
      phase_ += step_;
      if (phase_ >= 1.0) phase_ -= 1.0;
    }
  }

 private:
  static int maxSamples(int fs, float ms) { return static_cast<int>(2.0 * ms * 0.001 * fs) + 4; }
  int fs_;
  std::array<DelayLine, 2> lines_;
  float wet_ = 0.5f, depth_ = 0, feedback_ = 0;
  double step_ = 0, phase_ = 0, delaySamples_ = 1, phaseOffset_ = 0;
  int32_t waveform_ = 1;
};

// Echo: one delay per channel with feedback; with pan delay the echoes cross between channels.
class Echo final : public Effect {
 public:
  explicit Echo(int fs) : Effect(EffectKind::Echo), fs_(fs), lines_{DelayLine(2 * fs + 4), DelayLine(2 * fs + 4)} {
    set(EchoParameters{});
  }
  void set(const EchoParameters& p) {
    wet_ = p.wetDryMix / 100.0f;
    feedback_ = p.feedback / 100.0f;
    delay_[0] = std::max<size_t>(1, static_cast<size_t>(std::lround(p.leftDelay * 0.001 * fs_)));
    delay_[1] = std::max<size_t>(1, static_cast<size_t>(std::lround(p.rightDelay * 0.001 * fs_)));
    cross_ = p.panDelay != 0;
  }
  void process(float* s, int frames) override {
    for (int i = 0; i < frames; ++i) {
      const float l = lines_[0].readWhole(delay_[0] - 1 + 1);
      const float r = lines_[1].readWhole(delay_[1] - 1 + 1);
      float& xl = s[2 * i];
      float& xr = s[2 * i + 1];
      lines_[0].write(xl + (cross_ ? r : l) * feedback_);
      lines_[1].write(xr + (cross_ ? l : r) * feedback_);
      xl = xl * (1.0f - wet_) + l * wet_;
      xr = xr * (1.0f - wet_) + r * wet_;
    }
  }

 private:
  int fs_;
  std::array<DelayLine, 2> lines_;
  std::array<size_t, 2> delay_{1, 1};
  float wet_ = 0.5f, feedback_ = 0.5f;
  bool cross_ = false;
};

// Gargle: amplitude modulation by a triangle or square wave at `rate` hertz.
class Gargle final : public Effect {
 public:
  explicit Gargle(int fs) : Effect(EffectKind::Gargle), fs_(fs) { set(GargleParameters{}); }
  void set(const GargleParameters& p) {
    step_ = static_cast<double>(p.rateHz) / fs_;
    square_ = p.waveShape == 1;
  }
  void process(float* s, int frames) override {
    for (int i = 0; i < frames; ++i) {
      const float g = square_ ? (phase_ < 0.5 ? 1.0f : 0.0f) : static_cast<float>(1.0 - std::fabs(2.0 * phase_ - 1.0));
      s[2 * i] *= g;
      s[2 * i + 1] *= g;
      phase_ += step_;
      if (phase_ >= 1.0) phase_ -= 1.0;
    }
  }

 private:
  int fs_;
  double step_ = 0, phase_ = 0;
  bool square_ = false;
};

class ParamEq final : public Effect {
 public:
  explicit ParamEq(int fs) : Effect(EffectKind::ParamEq), fs_(fs) { set(ParamEqParameters{}); }
  void set(const ParamEqParameters& p) {
    // Above about a third of the rate the bell no longer fits below the Nyquist frequency.
    const double center = std::min<double>(p.center, fs_ / 3.0);
    filter_.peaking(fs_, center, p.bandwidth / 12.0, p.gain);
  }
  void process(float* s, int frames) override {
    for (int i = 0; i < frames; ++i) {
      s[2 * i] = filter_.run(0, s[2 * i]);
      s[2 * i + 1] = filter_.run(1, s[2 * i + 1]);
    }
  }

 private:
  int fs_;
  Biquad filter_;
};

// Waves reverb: the dry signal plus the late reverberation, both scaled by the input gain; the
// reverb mix sets the level of the reverberation (0 dB full); the high-frequency ratio shortens
// the decay of the highs relative to the whole.
class WavesReverb final : public Effect {
 public:
  explicit WavesReverb(int fs) : Effect(EffectKind::WavesReverb), core_(fs) { set(WavesReverbParameters{}); }
  void set(const WavesReverbParameters& p) {
    inGain_ = static_cast<float>(dbToGain(p.inGain));
    mixGain_ = p.reverbMix <= -96.0f ? 0.0f : static_cast<float>(dbToGain(p.reverbMix));
    core_.configure(p.reverbTime * 0.001, 0.9 * (1.0 - p.highFreqRTRatio));
  }
  void process(float* s, int frames) override {
    work_.resize(3 * static_cast<size_t>(frames));
    float* mono = work_.data();
    float* l = mono + frames;
    float* r = l + frames;
    for (int i = 0; i < frames; ++i) mono[i] = 0.5f * (s[2 * i] + s[2 * i + 1]);
    core_.run(mono, l, r, frames);
    for (int i = 0; i < frames; ++i) {
      s[2 * i] = inGain_ * (s[2 * i] + mixGain_ * l[i]);
      s[2 * i + 1] = inGain_ * (s[2 * i + 1] + mixGain_ * r[i]);
    }
  }

 private:
  ReverbCore core_;
  std::vector<float> work_;
  float inGain_ = 1, mixGain_ = 1;
};

// Compressor: a peak detector with attack and release, looking `predelay` ahead of the audio it
// scales; above the threshold the level grows by 1/ratio; then the output gain.
class Compressor final : public Effect {
 public:
  explicit Compressor(int fs) : Effect(EffectKind::Compressor), fs_(fs), lines_{DelayLine(fs / 100), DelayLine(fs / 100)} {
    set(CompressorParameters{});
  }
  void set(const CompressorParameters& p) {
    attack_ = std::exp(-1.0 / (p.attack * 0.001 * fs_));
    release_ = std::exp(-1.0 / (p.release * 0.001 * fs_));
    threshold_ = p.threshold;
    slope_ = 1.0 - 1.0 / p.ratio;
    makeup_ = p.gain;
    predelay_ = static_cast<size_t>(std::lround(p.predelay * 0.001 * fs_));
  }
  // The detector runs every sample; the gain it implies is recomputed every kGainStep samples
  // (0.36 ms), far below the shortest attack that matters to the ear.
  static constexpr int kGainStep = 16;
  void process(float* s, int frames) override {
    for (int i = 0; i < frames; ++i) {
      const double level = std::max(std::fabs(s[2 * i]), std::fabs(s[2 * i + 1]));
      const double coeff = level > envelope_ ? attack_ : release_;
      envelope_ = coeff * envelope_ + (1.0 - coeff) * level;
      if (countdown_-- <= 0) {
        countdown_ = kGainStep - 1;
        const double over = 20.0 * std::log10(envelope_ + 1e-9) - threshold_;
        gain_ = static_cast<float>(dbToGain((over > 0 ? -over * slope_ : 0.0) + makeup_));
      }
      const float gain = gain_;
      for (int c = 0; c < 2; ++c) {
        lines_[c].write(s[2 * i + c]);
        s[2 * i + c] = lines_[c].readWhole(predelay_ + 1) * gain;
      }
    }
  }

 private:
  int fs_;
  std::array<DelayLine, 2> lines_;
  double attack_ = 0, release_ = 0, threshold_ = -20, slope_ = 0, makeup_ = 0, envelope_ = 0;
  size_t predelay_ = 0;
  int countdown_ = 0;
  float gain_ = 1;
};

// Distortion: a low pass before a soft clipper whose hardness grows with `edge`, a band pass after
// it, then the gain.
class Distortion final : public Effect {
 public:
  explicit Distortion(int fs) : Effect(EffectKind::Distortion) {
    const DistortionParameters p;
    lowPass_ = std::exp(-kTwoPi * p.preLowpassCutoff / fs);
    drive_ = 1.0 + p.edge * 0.5;
    post_.bandPass(fs, p.postEQCenterFrequency, p.postEQBandwidth);
    gain_ = dbToGain(p.gain);
  }
  // tanh by its rational approximation, exact at 0 and joined to +-1 at +-3.
  static double softClip(double x) {
    if (x >= 3.0) return 1.0;
    if (x <= -3.0) return -1.0;
    return x * (27.0 + x * x) / (27.0 + 9.0 * x * x);
  }
  void process(float* s, int frames) override {
    const double norm = 1.0 / softClip(drive_);
    for (int i = 0; i < frames; ++i) {
      for (int c = 0; c < 2; ++c) {
        state_[c] = (1.0 - lowPass_) * s[2 * i + c] + lowPass_ * state_[c];
        const auto shaped = static_cast<float>(softClip(drive_ * state_[c]) * norm);
        s[2 * i + c] = static_cast<float>(post_.run(c, shaped) * gain_);
      }
    }
  }

 private:
  double lowPass_ = 0, drive_ = 1, gain_ = 1;
  std::array<double, 2> state_{};
  Biquad post_;
};

// I3DL2 reverb: early reflections as one delayed tap and a late tail after a further delay, both
// through a high shelf set by the room's high-frequency level, scaled by the room level and added
// to the dry signal.
class I3DL2Reverb final : public Effect {
 public:
  explicit I3DL2Reverb(int fs) : Effect(EffectKind::I3DL2Reverb), core_(fs), line_(fs / 2) {
    const I3DL2ReverbParameters p;
    room_ = millibelToGain(p.room);
    roomHF_ = millibelToGain(p.roomHF);
    reflections_ = millibelToGain(p.reflections);
    reverb_ = millibelToGain(p.reverb);
    reflectionsDelay_ = std::max<size_t>(1, static_cast<size_t>(p.reflectionsDelay * fs));
    reverbDelay_ = reflectionsDelay_ + static_cast<size_t>(p.reverbDelay * fs);
    shelf_ = std::exp(-kTwoPi * p.hfReference / fs);
    core_.configure(p.decayTime, 0.9 * (1.0 - std::min(1.0f, p.decayHFRatio)));
  }
  void process(float* s, int frames) override {
    work_.resize(4 * static_cast<size_t>(frames));
    float* early = work_.data();
    float* late = early + frames;
    float* l = late + frames;
    float* r = l + frames;
    for (int i = 0; i < frames; ++i) {
      const double mono = 0.5 * (s[2 * i] + s[2 * i + 1]);
      low_ = (1.0 - shelf_) * mono + shelf_ * low_;
      line_.write(static_cast<float>(low_ + roomHF_ * (mono - low_)));
      early[i] = line_.readWhole(reflectionsDelay_);
      late[i] = line_.readWhole(reverbDelay_);
    }
    core_.run(late, l, r, frames);
    const auto room = static_cast<float>(room_), refl = static_cast<float>(reflections_), rev = static_cast<float>(reverb_);
    for (int i = 0; i < frames; ++i) {
      s[2 * i] += room * (refl * early[i] + rev * l[i]);
      s[2 * i + 1] += room * (refl * early[i] + rev * r[i]);
    }
  }

 private:
  ReverbCore core_;
  std::vector<float> work_;
  DelayLine line_;
  double room_ = 0, roomHF_ = 0, reflections_ = 0, reverb_ = 0, shelf_ = 0, low_ = 0;
  size_t reflectionsDelay_ = 1, reverbDelay_ = 1;
};

std::unique_ptr<ModulatedDelay> makeChorus(int fs) {
  auto e = std::make_unique<ModulatedDelay>(EffectKind::Chorus, fs, 20.0f);
  const ChorusParameters p;
  e->set(p.wetDryMix, p.depth, p.feedback, p.frequency, p.waveform, p.delay, p.phase);
  return e;
}

std::unique_ptr<ModulatedDelay> makeFlanger(int fs) {
  auto e = std::make_unique<ModulatedDelay>(EffectKind::Flanger, fs, 4.0f);
  const FlangerParameters p;
  e->set(p.wetDryMix, p.depth, p.feedback, p.frequency, p.waveform, p.delay, p.phase);
  return e;
}

}  // namespace

// ---- the chain ----

std::vector<std::unique_ptr<Effect>> BuildEffectChain(int32_t bits, int fs) {
  std::vector<std::unique_ptr<Effect>> chain;
  if (bits & kEffectChorus) chain.push_back(makeChorus(fs));
  if (bits & kEffectEcho) chain.push_back(std::make_unique<Echo>(fs));
  if (bits & kEffectFlanger) chain.push_back(makeFlanger(fs));
  if (bits & kEffectGargle) chain.push_back(std::make_unique<Gargle>(fs));
  if (bits & kEffectEqualizer) chain.push_back(std::make_unique<ParamEq>(fs));
  if (bits & kEffectWavesReverb) chain.push_back(std::make_unique<WavesReverb>(fs));
  if (bits & kEffectCompressor) chain.push_back(std::make_unique<Compressor>(fs));
  if (bits & kEffectEqualizer) chain.push_back(std::make_unique<ParamEq>(fs));
  if (bits & kEffectDistortion) chain.push_back(std::make_unique<Distortion>(fs));
  if (bits & kEffectI3DL2Reverb) chain.push_back(std::make_unique<I3DL2Reverb>(fs));
  return chain;
}

// ---- parameter setters (ranges of the DirectSound parameter records) ----

bool SetChorusParameters(Effect& e, const ChorusParameters& p) {
  if (e.kind() != EffectKind::Chorus) return false;
  if (!within(p.wetDryMix, 0.0f, 100.0f) || !within(p.depth, 0.0f, 100.0f) || !within(p.feedback, -99.0f, 99.0f) ||
      !within(p.frequency, 0.0f, 10.0f) || !within(p.waveform, 0, 1) || !within(p.delay, 0.0f, 20.0f) || !within(p.phase, 0, 4))
    return false;
  static_cast<ModulatedDelay&>(e).set(p.wetDryMix, p.depth, p.feedback, p.frequency, p.waveform, p.delay, p.phase);
  return true;
}

bool SetFlangerParameters(Effect& e, const FlangerParameters& p) {
  if (e.kind() != EffectKind::Flanger) return false;
  if (!within(p.wetDryMix, 0.0f, 100.0f) || !within(p.depth, 0.0f, 100.0f) || !within(p.feedback, -99.0f, 99.0f) ||
      !within(p.frequency, 0.0f, 10.0f) || !within(p.waveform, 0, 1) || !within(p.delay, 0.0f, 4.0f) || !within(p.phase, 0, 4))
    return false;
  static_cast<ModulatedDelay&>(e).set(p.wetDryMix, p.depth, p.feedback, p.frequency, p.waveform, p.delay, p.phase);
  return true;
}

bool SetEchoParameters(Effect& e, const EchoParameters& p) {
  if (e.kind() != EffectKind::Echo) return false;
  if (!within(p.wetDryMix, 0.0f, 100.0f) || !within(p.feedback, 0.0f, 100.0f) || !within(p.leftDelay, 1.0f, 2000.0f) ||
      !within(p.rightDelay, 1.0f, 2000.0f) || !within(p.panDelay, 0, 1))
    return false;
  static_cast<Echo&>(e).set(p);
  return true;
}

bool SetGargleParameters(Effect& e, const GargleParameters& p) {
  if (e.kind() != EffectKind::Gargle) return false;
  if (!within(p.rateHz, 1, 1000) || !within(p.waveShape, 0, 1)) return false;
  static_cast<Gargle&>(e).set(p);
  return true;
}

bool SetWavesReverbParameters(Effect& e, const WavesReverbParameters& p) {
  if (e.kind() != EffectKind::WavesReverb) return false;
  if (!within(p.inGain, -96.0f, 0.0f) || !within(p.reverbMix, -96.0f, 0.0f) || !within(p.reverbTime, 0.001f, 3000.0f) ||
      !within(p.highFreqRTRatio, 0.001f, 0.999f))
    return false;
  static_cast<WavesReverb&>(e).set(p);
  return true;
}

bool SetCompressorParameters(Effect& e, const CompressorParameters& p) {
  if (e.kind() != EffectKind::Compressor) return false;
  if (!within(p.gain, -60.0f, 60.0f) || !within(p.attack, 0.01f, 500.0f) || !within(p.release, 50.0f, 3000.0f) ||
      !within(p.threshold, -60.0f, 0.0f) || !within(p.ratio, 1.0f, 100.0f) || !within(p.predelay, 0.0f, 4.0f))
    return false;
  static_cast<Compressor&>(e).set(p);
  return true;
}

bool SetParamEqParameters(Effect& e, const ParamEqParameters& p) {
  if (e.kind() != EffectKind::ParamEq) return false;
  if (!within(p.center, 80.0f, 16000.0f) || !within(p.bandwidth, 1.0f, 36.0f) || !within(p.gain, -15.0f, 15.0f)) return false;
  static_cast<ParamEq&>(e).set(p);
  return true;
}

}  // namespace qv::sound
