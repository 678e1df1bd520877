// Fuzz entry point for video files: the decoder behind splash videos (FFmpeg's demuxers and
// decoders as the player drives them) and the player's clock, decoding ahead and looping.
// The seeds in fuzz/corpus/fuzz_video/ are 32 x 32 clips of four pictures made by the tests' clip
// writer (tests/support/video_clip.h): Microsoft Video 1 with PCM sound, MJPEG, MPEG-1 with MPEG audio.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "windows/video_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The player reads files by name, as the splash screen gives it one.
  static const std::string path = (std::filesystem::temp_directory_path() / "fuzz_video_input").string();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  // Looping from the input's first byte, so both ends of a pass are reached.
  auto player = qv::windows::VideoPlayer::Open(path, size > 0 && (data[0] & 1));
  if (!player) return 0;
  for (int64_t t = 0; t <= 3000; t += 250) {
    if (!player->advance(t)) break;
  }
  (void)player->frame();
  return 0;
}
