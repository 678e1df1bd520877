#include "sound/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qv::sound {
namespace {

// How long effects run on after the last voice: longer than the default reverb's decay and than
// several repeats of the longest echo.
constexpr int64_t kEffectTailFrames = 4 * kMixRate;
// Frames a shifted voice's converter is given before the frame it starts at: more than its
// filter reaches back at the lowest Doppler rate (0.5).
constexpr size_t kShiftHistoryFrames = 128;

}  // namespace

double MillibelToGain(double millibels) {
  if (!(millibels > -10000.0)) return 0.0;
  return std::pow(10.0, millibels / 2000.0);
}

void Voice::mixInto(float* out, float* scratch, int frames, double rate) {
  if (ended) return;
  if (!midi && shifter && (shifting || rate != 1.0)) {
    mixShifted(out, scratch, frames, rate);
    return;
  }
  if (midi) {
    midi->render(scratch, frames);
    for (int i = 0; i < 2 * frames; ++i) out[i] += scratch[i];
    if (midi->finished()) ended = true;
    return;
  }
  const std::vector<float>& s = *samples;
  const size_t total = s.size() / 2;
  int done = 0;
  while (done < frames) {
    if (frame >= total) {
      if (!loop || total == 0) {
        ended = true;
        return;
      }
      frame = 0;
    }
    const size_t n = std::min<size_t>(static_cast<size_t>(frames - done), total - frame);
    const float* src = s.data() + 2 * frame;
    float* dst = out + 2 * done;
    for (size_t i = 0; i < 2 * n; ++i) dst[i] += src[i];
    frame += n;
    done += static_cast<int>(n);
  }
  if (frame >= total && !loop) ended = true;
}

size_t Voice::readShifted(float* dst, size_t frames, double rate) {
  const std::vector<float>& s = *samples;
  const size_t total = s.size() / 2;
  size_t made = 0;
  while (made < frames) {
    if (frame >= total && loop && total > 0) frame = 0;  // the converter reads on across the seam
    const bool last = frame >= total;
    size_t used = 0, n = 0;
    if (!shifter->process(s.data() + 2 * std::min(frame, total), last ? 0 : total - frame, last, dst + 2 * made,
                          frames - made, 1.0 / rate, used, n)) {
      ended = true;
      break;
    }
    frame += used;
    made += n;
    if (used == 0 && n == 0) {
      if (last) ended = true;  // the converter has given out its last frames
      break;
    }
  }
  return made;
}

void Voice::mixShifted(float* out, float* scratch, int frames, double rate) {
  if (!shifting) {
    // The converter starts empty: it is first fed the frames just played and the output for them
    // is dropped, so it continues the sound from this frame without a click.
    shifting = true;
    const size_t history = std::min<size_t>(frame, kShiftHistoryFrames);
    frame -= history;
    auto drop = static_cast<size_t>(std::ceil(static_cast<double>(history) / rate));
    while (drop > 0 && !ended) {
      const size_t n = readShifted(scratch, std::min<size_t>(drop, static_cast<size_t>(frames)), rate);
      if (n == 0) break;
      drop -= n;
    }
  }
  const size_t made = ended ? 0 : readShifted(scratch, static_cast<size_t>(frames), rate);
  for (size_t i = 0; i < 2 * made; ++i) out[i] += scratch[i];
}

double DopplerRate(const Placement3D& p) {
  constexpr double kSpeedOfSound = 343.0;
  const double x = p.position[0], y = p.position[1], z = p.position[2];
  const double distance = std::sqrt(x * x + y * y + z * z);
  if (!(distance > 0)) return 1.0;
  const double away = (p.velocity[0] * x + p.velocity[1] * y + p.velocity[2] * z) / distance;
  if (!std::isfinite(away)) return 1.0;
  const double rate = kSpeedOfSound / (kSpeedOfSound + away);
  if (!(rate > 0.5)) return away > 0 ? 0.5 : 2.0;  // also a source at or beyond the speed of sound
  return std::min(rate, 2.0);
}

void PlacementGains(const Placement3D& p, float& left, float& right) {
  const double x = p.position[0], y = p.position[1], z = p.position[2];
  const double distance = std::sqrt(x * x + y * y + z * z);
  double gain = 1.0;
  const double clamped = std::min<double>(distance, p.maxDistance);
  if (clamped > p.minDistance && clamped > 0) gain = std::max(0.0, static_cast<double>(p.minDistance)) / clamped;

  // Cone: the angle between the cone's orientation and the direction from the source to the
  // listener; full level inside half the inside angle, the outside volume beyond half the
  // outside angle, and a straight line in hundredths of a decibel between.
  const double ox = p.coneOrientation[0], oy = p.coneOrientation[1], oz = p.coneOrientation[2];
  const double olen = std::sqrt(ox * ox + oy * oy + oz * oz);
  if (distance > 0 && olen > 0 && p.insideConeAngle < 360) {
    const double c = std::clamp(-(ox * x + oy * y + oz * z) / (olen * distance), -1.0, 1.0);
    const double angle = std::acos(c) * 180.0 / 3.14159265358979323846;
    const double inside = p.insideConeAngle / 2.0, outside = std::max(p.outsideConeAngle, p.insideConeAngle) / 2.0;
    double mb = 0;
    if (angle >= outside) mb = p.coneOutsideVolume;
    else if (angle > inside) mb = p.coneOutsideVolume * (angle - inside) / (outside - inside);
    gain *= MillibelToGain(mb);
  }

  const double horizontal = std::sqrt(x * x + z * z);
  const double balance = horizontal > 0 ? x / horizontal : 0.0;  // -1 left .. 1 right
  left = static_cast<float>(gain * std::min(1.0, 1.0 - balance));
  right = static_cast<float>(gain * std::min(1.0, 1.0 + balance));
}

void Bus::advanceVolume(int frames) {
  if (rampFrames <= 0) return;
  const int64_t step = std::min<int64_t>(rampFrames, frames);
  volumeMb += stepMb * static_cast<double>(step);
  rampFrames -= step;
  if (rampFrames == 0) volumeMb = targetMb;
}

void Bus::mixInto(float* out, int frames, double master, std::vector<float>& busBuffer, std::vector<float>& scratch) {
  const size_t n = 2 * static_cast<size_t>(frames);
  if (busBuffer.size() < n) busBuffer.resize(n);
  if (scratch.size() < n) scratch.resize(n);
  float* buf = busBuffer.data();
  std::memset(buf, 0, n * sizeof(float));
  const bool sounded = !voices.empty();
  const double rate = is3D ? DopplerRate(placement) : 1.0;
  for (Voice& v : voices) v.mixInto(buf, scratch.data(), frames, rate);
  std::erase_if(voices, [](const Voice& v) { return v.ended; });
  if (effects.empty()) tailFrames = 0;
  else if (sounded) tailFrames = kEffectTailFrames;
  else tailFrames = std::max<int64_t>(0, tailFrames - frames);

  // Path volume, ramped linearly in gain between the block's ends of a ramp linear in millibels.
  const double startGain = MillibelToGain(volumeMb);
  advanceVolume(frames);
  const double endGain = MillibelToGain(volumeMb);
  if (startGain != 1.0 || endGain != 1.0) {
    const double delta = (endGain - startGain) / frames;
    for (int i = 0; i < frames; ++i) {
      const auto g = static_cast<float>(startGain + delta * i);
      buf[2 * i] *= g;
      buf[2 * i + 1] *= g;
    }
  }

  for (auto& effect : effects) effect->process(buf, frames);

  float left = 1, right = 1;
  if (is3D) {
    // A 3D buffer is mono: both channels become their mean before placement.
    for (int i = 0; i < frames; ++i) buf[2 * i] = buf[2 * i + 1] = 0.5f * (buf[2 * i] + buf[2 * i + 1]);
    PlacementGains(placement, left, right);
  } else if (panMb < 0) {
    right = static_cast<float>(MillibelToGain(panMb));
  } else if (panMb > 0) {
    left = static_cast<float>(MillibelToGain(-panMb));
  }
  const auto gl = static_cast<float>(left * master), gr = static_cast<float>(right * master);
  for (int i = 0; i < frames; ++i) {
    out[2 * i] += buf[2 * i] * gl;
    out[2 * i + 1] += buf[2 * i + 1] * gr;
  }
}

}  // namespace qv::sound
