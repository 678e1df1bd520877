// Video playback for splash screens, at 640 x 480 and 30 pictures a second (a video of the
// games' era at its largest):
//  - DecodeAndConvert: decoding one picture (with the sound that comes with it) and converting it
//    to 32-bit colours; "share_of_frame" is that time over the 33.3 ms a picture stays on screen
//    (below 1 plays in real time; the rest of the frame is the game's).
//  - Drift: 60 s of playback simulated through the real player and mixer: the mixer pulled in
//    device blocks of 1024 frames, advance called 60 times a second. The sound is a ramp whose
//    value tells its time and each picture carries its number, so the drift is what is heard
//    minus what is shown, measured from the output; reported for the first and the last second
//    and at its worst, in milliseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio_device.h"
#include "platform/video_decoder.h"
#include "sound/sound_backend.h"
#include "support/video_clip.h"
#include "windows/video_player.h"

namespace {

using qv::testing::ClipRecipe;


ClipRecipe Clip640(const char* format, AVCodecID video, AVCodecID audio, int seconds) {
  ClipRecipe r;
  r.format = format;
  r.video = video;
  r.pixels = AV_PIX_FMT_YUV420P;
  r.width = 640;
  r.height = 480;
  r.fps = 30;
  r.frames = 30 * seconds;
  r.audio = audio;
  r.rate = 44100;
  r.channels = 2;
  r.sound = qv::testing::ClipSound::kRamp;
  r.busy = true;
  return r;
}

std::string ClipPath(const ClipRecipe& r, const char* name) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  std::string why;
  if (!std::filesystem::exists(path) && !qv::testing::WriteClip(r, path, &why)) std::fprintf(stderr, "clip: %s\n", why.c_str());
  return path;
}

void DecodeAndConvert(benchmark::State& state, const char* format, AVCodecID video, AVCodecID audio, const char* name) {
  const std::string path = ClipPath(Clip640(format, video, audio, 4), name);
  auto decoder = qv::platform::VideoDecoder::Open(path, 44100);
  if (!decoder) {
    state.SkipWithError("the clip does not open");
    return;
  }
  qv::platform::VideoPicture picture;
  std::vector<float> sound;
  std::vector<uint32_t> argb;
  double soundTime = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (;;) {
      sound.clear();
      const auto out = decoder->decode(picture, sound, soundTime);
      if (out == qv::platform::VideoDecoder::Output::kPicture) break;
      if (out == qv::platform::VideoDecoder::Output::kEnd) decoder->rewind();
    }
    decoder->convert(picture, argb);
    benchmark::DoNotOptimize(argb.data());
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  state.counters["share_of_frame"] = seconds / (static_cast<double>(state.iterations()) / 30.0);
}
BENCHMARK_CAPTURE(DecodeAndConvert, avi_mpeg4_pcm, "avi", AV_CODEC_ID_MPEG4, AV_CODEC_ID_PCM_S16LE, "bench_mpeg4.avi")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeAndConvert, mpeg1_mp2, "mpeg", AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MP2, "bench_clip.mpg")
    ->Unit(benchmark::kMillisecond);

// A device the benchmark pulls itself, as the audio thread would.
class PullDevice final : public qv::platform::AudioDevice {
 public:
  bool open(qv::platform::AudioRenderer* r, int) override {
    renderer_ = r;
    return true;
  }
  void close() override { renderer_ = nullptr; }
  bool isOpen() const override { return renderer_ != nullptr; }
  void pull(float* out, int frames) { renderer_->renderAudio(out, frames); }

 private:
  qv::platform::AudioRenderer* renderer_ = nullptr;
};

void Drift(benchmark::State& state) {
  const ClipRecipe recipe = Clip640("avi", AV_CODEC_ID_MPEG4, AV_CODEC_ID_PCM_S16LE, 4);
  const std::string path = ClipPath(recipe, "bench_drift.avi");
  const double length = 4.0;
  double firstSecond = 0, lastSecond = 0, worst = 0;
  for (auto _ : state) {
    auto device = std::make_unique<PullDevice>();
    PullDevice* pull = device.get();
    qv::sound::soundBackend().OpenSound(std::move(device));
    auto player = qv::windows::VideoPlayer::Open(path, true);
    if (!player) {
      state.SkipWithError("the clip does not open");
      break;
    }
    std::vector<float> block(2 * 1024);
    int64_t pulled = 0;  // frames the device has taken
    double sumFirst = 0, sumLast = 0;
    int countFirst = 0, countLast = 0;
    worst = 0;
    for (int step = 0; step < 60 * 60; ++step) {
      const int64_t nowMs = step * 1000 / 60;
      // The device takes a block whenever the time reaches the end of what it has taken.
      while (pulled * 1000 < nowMs * int64_t{qv::sound::kMixRate}) {
        std::fill(block.begin(), block.end(), 0.0f);
        pull->pull(block.data(), 1024);
        pulled += 1024;
      }
      player->advance(nowMs);
      if (pulled == 0) continue;
      // What is heard: the ramp's value at the end of the last block taken.
      const double heard = (block[2 * 1023] + 0.9) / 1.8 * length;
      const int number = qv::testing::ClipNumber(player->frame().pixels.data(), player->width(), 8);
      const double shown = number / 30.0;
      if (heard < 0.05 || heard > length - 0.05) continue;  // the ramp's jump at the seam
      double drift = heard - shown;
      drift -= length * std::round(drift / length);
      if (nowMs < 1000) sumFirst += drift, ++countFirst;
      if (nowMs >= 59000) sumLast += drift, ++countLast;
      worst = std::max(worst, std::abs(drift));
    }
    firstSecond = countFirst ? sumFirst / countFirst : 0;
    lastSecond = countLast ? sumLast / countLast : 0;
    player.reset();
    qv::sound::soundBackend().CloseSound();
  }
  state.counters["drift_first_s_ms"] = firstSecond * 1000;
  state.counters["drift_last_s_ms"] = lastSecond * 1000;
  state.counters["drift_worst_ms"] = worst * 1000;
}
BENCHMARK(Drift)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
