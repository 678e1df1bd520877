// VideoDecoder: a video file read through FFmpeg's libraries (libavformat, libavcodec): its
// pictures one by one, converted to 32-bit colours by libswscale on demand, and its sound
// converted by libswresample to stereo floats at the mixer's rate.
//
// Video files are untrusted: a file that cannot be opened, has no video stream, or whose pictures
// are larger than kMaxVideoSide on a side does not open; data that stops decoding part of the
// way (a truncated or damaged file) ends the video there. Memory grows only with one picture and
// one block of sound at a time.
//
// Times are seconds from the start of the file (the earliest time of any of its streams).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVFrame;

namespace qv::platform {

// Largest picture side a video may have (a 8192 x 8192 picture takes 256 MB as 32-bit colours;
// the games' videos are a few hundred pixels wide).
inline constexpr int kMaxVideoSide = 8192;

// One decoded picture, kept in the decoder's own format until it is shown.
class VideoPicture {
 public:
  VideoPicture();
  VideoPicture(VideoPicture&& other) noexcept;
  VideoPicture& operator=(VideoPicture&& other) noexcept;
  VideoPicture(const VideoPicture&) = delete;
  VideoPicture& operator=(const VideoPicture&) = delete;
  ~VideoPicture();

  double time = 0;  // when it is due, in seconds from the start

 private:
  friend class VideoDecoder;
  AVFrame* frame_ = nullptr;
};

class VideoDecoder {
 public:
  // The video stream (and the first sound stream, when it has one) of the file at `hostPath`;
  // sound is converted to stereo at `soundRate`. nullptr when the file cannot be opened, has no
  // picture stream, or its pictures are empty or too large.
  static std::unique_ptr<VideoDecoder> Open(const std::string& hostPath, int soundRate);
  ~VideoDecoder();

  int width() const { return width_; }
  int height() const { return height_; }
  bool hasSound() const { return soundIndex_ >= 0; }
  // How long a picture stays on screen (from the stream's frame rate; 1/25 s when it has none).
  double frameDuration() const { return frameDuration_; }

  // What the next call of decode produced.
  enum class Output { kPicture, kSound, kEnd };
  // Decodes until the next picture (into `picture`) or block of sound (appended to `sound` as
  // interleaved stereo frames, the first of them due at `soundTime`) is ready, or the file ends.
  // After kEnd every call answers kEnd until rewind.
  Output decode(VideoPicture& picture, std::vector<float>& sound, double& soundTime);

  // Converts `picture` to width() x height() colours 0xAARRGGBB (opaque), scaling a picture whose
  // size changed within the file; false when it cannot be converted.
  bool convert(const VideoPicture& picture, std::vector<uint32_t>& argb);

  // Goes back to the start of the file; false when the file cannot seek (reopen it instead).
  bool rewind();

  VideoDecoder(const VideoDecoder&) = delete;
  VideoDecoder& operator=(const VideoDecoder&) = delete;

 private:
  struct Impl;
  explicit VideoDecoder(std::unique_ptr<Impl> impl);

  std::unique_ptr<Impl> impl_;
  int width_ = 0, height_ = 0;
  int soundIndex_ = -1;
  double frameDuration_ = 0.04;
};

}  // namespace qv::platform
