#include "sound/sound_stream.h"

#include <algorithm>

namespace qv::sound {

SoundStream::SoundStream(size_t capacityFrames)
    : ring_(2 * std::max<size_t>(capacityFrames, 1)), capacity_(std::max<size_t>(capacityFrames, 1)) {}

size_t SoundStream::space() const {
  const uint64_t queuedNow = written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire);
  return capacity_ - static_cast<size_t>(queuedNow);
}

size_t SoundStream::queued() const {
  return static_cast<size_t>(written_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire));
}

size_t SoundStream::write(const float* interleaved, size_t frames) {
  const uint64_t w = written_.load(std::memory_order_relaxed);
  const size_t n = std::min(frames, space());
  for (size_t done = 0; done < n;) {
    const size_t at = static_cast<size_t>((w + done) % capacity_);
    const size_t run = std::min(n - done, capacity_ - at);
    std::copy(interleaved + 2 * done, interleaved + 2 * (done + run), ring_.begin() + static_cast<ptrdiff_t>(2 * at));
    done += run;
  }
  // Publishes the frames: the reader sees them only after they are in the ring.
  written_.store(w + n, std::memory_order_release);
  return n;
}

void SoundStream::mixInto(float* out, int frames, float gain) {
  const uint64_t r = read_.load(std::memory_order_relaxed);
  const size_t n = std::min(static_cast<size_t>(std::max(frames, 0)),
                            static_cast<size_t>(written_.load(std::memory_order_acquire) - r));
  for (size_t done = 0; done < n;) {
    const size_t at = static_cast<size_t>((r + done) % capacity_);
    const size_t run = std::min(n - done, capacity_ - at);
    const float* src = ring_.data() + 2 * at;
    float* dst = out + 2 * done;
    for (size_t i = 0; i < 2 * run; ++i) dst[i] += src[i] * gain;
    done += run;
  }
  // Hands the frames back to the writer only after they have been read.
  read_.store(r + n, std::memory_order_release);
}

}  // namespace qv::sound
