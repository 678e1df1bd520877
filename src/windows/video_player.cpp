// The video player of splash screens: a platform::VideoDecoder read ahead of a clock, its pictures
// shown when they are due and its sound queued on a sound::SoundStream of the game's mixer.
//
// The clock: while the video's sound plays, the sound's position in the mixer (the frames the
// mixer has taken from the stream, less the device's buffer that plays before them) is the clock,
// so the pictures follow what is heard; between two blocks of the mixer it moves on with the time
// given to advance (at most 50 ms, one device buffer or two). Without sound (no sound stream, no sound device, or the sound track has ended)
// the time given to advance is the clock. The clock never goes back.
//
// Decoding happens in advance, on the caller's thread: pictures until the first one not yet due,
// and sound until kSoundAhead seconds are queued, so the mixer's thread never waits for the
// decoder. Sound that does not fit in the stream waits in the player (at most kMaxWaitingSound).
//
// Looping: at the end of the file the decoder starts over and every time of the next pass is
// moved on by the length of the pass (the end of its last picture or of its sound, whichever is
// later), so the clock runs on through the seam.

#include "windows/video_player.h"

#include <algorithm>
#include <deque>

#include "platform/video_decoder.h"
#include "sound/mixer.h"
#include "sound/sound_backend.h"
#include "sound/sound_stream.h"

namespace qv::windows {

namespace {

constexpr double kRate = sound::kMixRate;
// Sound kept queued ahead of the mixer: enough to ride out a slow step of the game.
constexpr double kSoundAhead = 0.5;
// The stream's ring: four times what is kept ahead, so sound that comes in large blocks fits.
constexpr size_t kStreamFrames = static_cast<size_t>(2.0 * kRate);
// Decoded sound waiting for room in the stream, in stereo frames (ten seconds); beyond this, sound
// of a file whose sound lies far from its pictures is dropped (and its gap filled with silence).
constexpr size_t kMaxWaitingSound = static_cast<size_t>(10.0 * kRate);
// Pictures are not decoded further than this ahead of the clock for the sound's sake (MPEG
// systems streams carry their sound up to about a second after the pictures of the same time).
constexpr double kPicturesAhead = 4.0;
// Decoded pictures held at once are bounded by memory (counted as 32-bit colours, about twice
// what the decoders' own formats take), at least two. A file whose sound lies further from its
// pictures than this allows plays on with the sound starved, the time given to advance moving it.
constexpr size_t kMaxHeldPictureBytes = size_t{128} << 20;
// Between two blocks of the mixer the clock moves with the caller's time by at most this.
constexpr double kMaxInterpolation = 0.05;
// Decoder steps one advance may take at the most. Playing a file needs a few hundred at its start
// (pictures and sound decoded ahead) and a handful afterwards; a damaged file whose pictures never
// get ahead of the clock (passes of a looping file that last a millisecond) could otherwise keep
// the game waiting for ever. Past the bound the pictures show late rather than the game stopping.
constexpr int kMaxDecodesPerAdvance = 4096;
// Sound that arrives this close to where the queued sound ends is joined without a gap or a cut.
constexpr double kJoinTolerance = 0.02;

// A piece of sound waiting for the stream: silence first, then samples from `offset` on.
struct SoundPiece {
  size_t silence = 0;
  std::vector<float> samples;
  size_t offset = 0;  // in frames
};

class FilePlayer final : public VideoPlayer {
 public:
  FilePlayer(std::string path, bool loop, std::unique_ptr<platform::VideoDecoder> decoder)
      : path_(std::move(path)), loop_(loop), decoder_(std::move(decoder)) {
    frame_ = data::TBitmap32(decoder_->width(), decoder_->height(), 0xFF000000u);
    const size_t pictureBytes = static_cast<size_t>(frame_.width) * static_cast<size_t>(frame_.height) * 4;
    maxPictures_ = std::max<size_t>(2, kMaxHeldPictureBytes / std::max<size_t>(pictureBytes, 1));
    if (decoder_->hasSound() && sound::soundBackend().hasPerformance()) {
      stream_ = std::make_shared<sound::SoundStream>(kStreamFrames);
      sound::soundBackend().AddStream(stream_);
    }
  }
  ~FilePlayer() override {
    if (stream_) sound::soundBackend().RemoveStream(stream_.get());
  }

  // Decodes up to the first picture and shows it; false when the file has none.
  bool start() {
    while (!haveCurrent_) {
      if (!decodeOne()) return false;
      takeDuePictures(pictures_.empty() ? 0 : pictures_.front().time);
    }
    showCurrent();
    return shownOnce_;
  }

  int width() const override { return frame_.width; }
  int height() const override { return frame_.height; }
  const data::TBitmap32& frame() const override { return frame_; }

  bool advance(int64_t elapsedMs) override {
    const double now = clockAt(elapsedMs);
    pump(now);
    takeDuePictures(now);
    showCurrent();
    return !(ended_ && pictures_.empty() && now >= loopBase_ + passEnd_);
  }

 private:
  double clockAt(int64_t elapsedMs) {
    const double wall = static_cast<double>(elapsedMs) / 1000.0;
    bool soundLeads = false;
    // A stream the mixer no longer reads (the sound was closed under the video) cannot lead.
    if (stream_ && sound::soundBackend().hasPerformance()) {
      const uint64_t played = stream_->framesPlayed();
      if (played != lastPlayed_) {
        lastPlayed_ = played;
        anchorWall_ = wall;
        soundLeads = true;
      } else {
        soundLeads = stream_->queued() > 0 || !waiting_.empty();
      }
    }
    if (soundLeads) {
      // What the mixer took is heard once the device's buffer ahead of it has played.
      const double sinceBlock = std::clamp(wall - anchorWall_, 0.0, kMaxInterpolation);
      const double heard = static_cast<double>(lastPlayed_) / kRate - sound::soundBackend().outputLatencySeconds();
      clock_ = std::max(clock_, heard + sinceBlock);
    } else {
      clock_ = std::max(clock_, wall + wallOffset_);
    }
    wallOffset_ = clock_ - wall;
    return clock_;
  }

  size_t soundAhead() const {
    size_t frames = stream_ ? stream_->queued() : 0;
    for (const SoundPiece& p : waiting_) frames += p.silence + p.samples.size() / 2 - p.offset;
    return frames;
  }

  // Decodes until the first picture after `now` is known and enough sound is queued.
  void pump(double now) {
    feedStream();
    for (int steps = 0; !ended_ && steps < kMaxDecodesPerAdvance; ++steps) {
      const bool needPicture = pictures_.empty() || pictures_.back().time <= now;
      const bool needSound = stream_ && soundAhead() < static_cast<size_t>(kSoundAhead * kRate) &&
                             pictures_.size() < maxPictures_ &&
                             (pictures_.empty() || pictures_.back().time < now + kPicturesAhead);
      if (!needPicture && !needSound) break;
      if (!decodeOne()) break;
      takeDuePictures(now);
    }
    feedStream();
  }

  // One step of the decoder; false when the video has ended.
  bool decodeOne() {
    platform::VideoPicture picture;
    soundBlock_.clear();
    double soundTime = 0;
    switch (decoder_->decode(picture, soundBlock_, soundTime)) {
      case platform::VideoDecoder::Output::kPicture:
        picture.time = std::max(picture.time, 0.0);  // a picture stamped before the pass starts it
        passEnd_ = std::max(passEnd_, picture.time + decoder_->frameDuration());
        picture.time += loopBase_;
        passHasPicture_ = true;
        if (pictures_.size() >= maxPictures_) {
          // Memory is full of pictures the clock has not reached: the oldest one due next goes.
          pictures_.pop_front();
        }
        pictures_.push_back(std::move(picture));
        return true;
      case platform::VideoDecoder::Output::kSound:
        passEnd_ = std::max(passEnd_, soundTime + static_cast<double>(soundBlock_.size() / 2) / kRate);
        if (stream_) queueSound(loopBase_ + soundTime);
        return true;
      case platform::VideoDecoder::Output::kEnd:
        return startOver();
    }
    return false;
  }

  // At the end of the file: the next pass when looping, else the end.
  bool startOver() {
    if (!loop_ || !passHasPicture_) {
      ended_ = true;
      return false;
    }
    loopBase_ += std::max(passEnd_, decoder_->frameDuration());
    passEnd_ = 0;
    passHasPicture_ = false;
    if (!decoder_->rewind()) {
      auto reopened = platform::VideoDecoder::Open(path_, sound::kMixRate);
      if (!reopened || reopened->width() != frame_.width || reopened->height() != frame_.height) {
        ended_ = true;
        return false;
      }
      decoder_ = std::move(reopened);
    }
    return true;
  }

  // Pictures whose time has come: the latest of them becomes the one to show.
  void takeDuePictures(double now) {
    while (!pictures_.empty() && pictures_.front().time <= now) {
      current_ = std::move(pictures_.front());
      pictures_.pop_front();
      haveCurrent_ = true;
      currentShown_ = false;
    }
  }

  void showCurrent() {
    if (!haveCurrent_ || currentShown_) return;
    currentShown_ = true;
    // A picture that cannot be converted leaves the one before on screen.
    if (decoder_->convert(current_, frame_.pixels)) shownOnce_ = true;
  }

  // Queues the sound block just decoded, due at `time`: a gap before it becomes silence, sound
  // overlapping what is already queued is cut, so the stream's position stays the video's time.
  void queueSound(double time) {
    const double queuedEnd = static_cast<double>(soundFramesQueued_) / kRate;
    SoundPiece piece;
    size_t frames = soundBlock_.size() / 2;
    if (time > queuedEnd + kJoinTolerance) {
      piece.silence = static_cast<size_t>((time - queuedEnd) * kRate);
    } else if (time < queuedEnd - kJoinTolerance) {
      piece.offset = std::min(frames, static_cast<size_t>((queuedEnd - time) * kRate));
    }
    size_t waitingSamples = 0;
    for (const SoundPiece& p : waiting_) waitingSamples += p.samples.size() / 2;
    if (waitingSamples + frames > kMaxWaitingSound) return;  // dropped: the next block's gap is silence
    soundFramesQueued_ += piece.silence + frames - piece.offset;
    piece.samples = soundBlock_;
    waiting_.push_back(std::move(piece));
    feedStream();
  }

  // Moves waiting sound into the stream as far as it has room.
  void feedStream() {
    static const std::vector<float> kSilence(2048, 0.0f);
    while (stream_ && !waiting_.empty()) {
      SoundPiece& p = waiting_.front();
      while (p.silence > 0) {
        const size_t n = stream_->write(kSilence.data(), std::min(p.silence, kSilence.size() / 2));
        if (n == 0) return;
        p.silence -= n;
      }
      const size_t frames = p.samples.size() / 2;
      if (p.offset < frames) {
        p.offset += stream_->write(p.samples.data() + 2 * p.offset, frames - p.offset);
        if (p.offset < frames) return;
      }
      waiting_.pop_front();
    }
  }

  std::string path_;
  bool loop_;
  std::unique_ptr<platform::VideoDecoder> decoder_;
  std::shared_ptr<sound::SoundStream> stream_;
  data::TBitmap32 frame_;

  // Pictures decoded and not yet due, in order; times are the player's (loop passes added).
  std::deque<platform::VideoPicture> pictures_;
  size_t maxPictures_ = 2;
  platform::VideoPicture current_;
  bool haveCurrent_ = false, currentShown_ = false, shownOnce_ = false;

  double loopBase_ = 0;  // the player's time at which the current pass through the file began
  double passEnd_ = 0;   // the end of the current pass so far (file time)
  bool passHasPicture_ = false;
  bool ended_ = false;   // the decoder has ended and will not start over

  double clock_ = 0, wallOffset_ = 0, anchorWall_ = 0;
  uint64_t lastPlayed_ = 0;

  std::vector<float> soundBlock_;
  std::deque<SoundPiece> waiting_;
  uint64_t soundFramesQueued_ = 0;  // frames handed to the stream or waiting, silence included
};

}  // namespace

std::unique_ptr<VideoPlayer> VideoPlayer::Open(const std::string& hostPath, bool loop) {
  auto decoder = platform::VideoDecoder::Open(hostPath, sound::kMixRate);
  if (!decoder) return nullptr;
  auto player = std::make_unique<FilePlayer>(hostPath, loop, std::move(decoder));
  if (!player->start()) return nullptr;
  return player;
}

}  // namespace qv::windows
