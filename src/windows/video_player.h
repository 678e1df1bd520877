// VideoPlayer: a video file playing in a splash screen: its pictures as the clock reaches them,
// its sound through the game's mixer, in step with each other, starting over at the end when it
// loops.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/bitmap32.h"

namespace qv::windows {

class VideoPlayer {
 public:
  // The player of a file (a host path), playing from its start; nullptr when the file cannot be
  // opened or has no picture that can be decoded (the caller reports the video message).
  static std::unique_ptr<VideoPlayer> Open(const std::string& hostPath, bool loop);
  virtual ~VideoPlayer() = default;

  // The size of the video's pictures.
  virtual int width() const = 0;
  virtual int height() const = 0;
  // Moves the pictures to `elapsedMs` milliseconds after the start; false once a video that does
  // not loop has shown its last picture.
  virtual bool advance(int64_t elapsedMs) = 0;
  // The picture of the moment (width() x height()).
  virtual const data::TBitmap32& frame() const = 0;
};

}  // namespace qv::windows
