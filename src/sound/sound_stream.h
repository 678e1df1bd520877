// SoundStream: sound that arrives while it plays (a video's sound track), queued by a decoder on
// the game thread and mixed on the audio thread.
//
// The queue is a ring of stereo frames at the mixer's rate with one writer (the decoder) and one
// reader (the mixer) and no lock between them: the audio thread never waits for decoding, and the
// decoder never takes the back-end's lock to hand over sound. Its capacity is fixed when it is
// made, so a decoder that runs ahead cannot grow it.
//
// Invariant: 0 <= written_ - read_ <= capacity; frames [read_, written_) are queued, each at
// ring position (index % capacity).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv::sound {

class SoundStream {
 public:
  explicit SoundStream(size_t capacityFrames);

  // Writer (one thread): queues up to `frames` stereo frames; answers how many fitted.
  size_t write(const float* interleaved, size_t frames);
  // Writer: frames that can be queued now.
  size_t space() const;
  // Frames queued and not yet played.
  size_t queued() const;
  // Frames the mixer has played so far (the stream's clock); silence mixed while the queue ran
  // dry is not counted, so the clock waits for the sound.
  uint64_t framesPlayed() const { return read_.load(std::memory_order_acquire); }

  // Reader (the audio thread): adds up to `frames` queued frames into `out`, scaled by `gain`.
  // Allocates nothing and never waits.
  void mixInto(float* out, int frames, float gain);

 private:
  std::vector<float> ring_;  // 2 * capacity floats
  size_t capacity_;
  std::atomic<uint64_t> written_{0};
  std::atomic<uint64_t> read_{0};
};

}  // namespace qv::sound
