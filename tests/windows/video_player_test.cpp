// The splash screens' video player on clips the test encodes itself: pictures at their times, the
// end and looping, damaged files, and the sound reaching the mixer in step with the pictures.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sound/sound_backend.h"
#include "sound/sound_fixtures.h"
#include "support/video_clip.h"
#include "windows/splash.h"
#include "windows/video_player.h"

namespace qv::windows {
namespace {

namespace fs = std::filesystem;
using qv::testing::ClipRecipe;
using qv::testing::ClipSound;

struct ClipCase {
  const char* name;
  const char* file;
  ClipRecipe recipe;
  int tolerance;  // per channel, at the centres of the pattern's blocks
  // A pass through the file lasts exactly its 50 pictures (2 s). MPEG audio comes in frames of
  // 1152 samples and MPEG systems streams start their streams apart, so there the sound makes a
  // pass a little longer or later than the pictures, and loops are checked by ear instead.
  bool passIsPictures;
};

void PrintTo(const ClipCase& c, std::ostream* os) { *os << c.name; }

ClipRecipe Recipe(const char* format, AVCodecID video, AVPixelFormat pixels, AVCodecID audio = AV_CODEC_ID_NONE, int rate = 22050,
              int channels = 1) {
  ClipRecipe s;
  s.format = format;
  s.video = video;
  s.pixels = pixels;
  s.audio = audio;
  s.rate = rate;
  s.channels = channels;
  s.sound = audio == AV_CODEC_ID_NONE ? ClipSound::kNone : ClipSound::kTone;
  return s;
}

// The formats the games shipped: AVI with the era's codecs and PCM sound, and MPEG-1 systems
// streams with MPEG audio.
const ClipCase kClips[] = {
    {"avi_mpeg4_pcm", "mpeg4.avi", Recipe("avi", AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P, AV_CODEC_ID_PCM_S16LE), 12, true},
    {"avi_mjpeg", "mjpeg.avi", Recipe("avi", AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ420P), 12, true},
    {"avi_msvideo1", "msvideo1.avi", Recipe("avi", AV_CODEC_ID_MSVIDEO1, AV_PIX_FMT_RGB555LE), 12, true},
    {"mpeg1_mp2", "clip.mpg", Recipe("mpeg", AV_CODEC_ID_MPEG1VIDEO, AV_PIX_FMT_YUV420P, AV_CODEC_ID_MP2, 44100, 2), 12, false},
};

std::string TempPath(const std::string& name) {
  const fs::path dir = fs::temp_directory_path() / "video";  // the test program's own temporary folder
  fs::create_directories(dir);
  return (dir / name).string();
}

std::string MakeClip(const ClipCase& c) {
  const std::string path = TempPath(c.file);
  if (!fs::exists(path)) {
    std::string why;
    EXPECT_TRUE(qv::testing::WriteClip(c.recipe, path, &why)) << c.name << ": " << why;
  }
  return path;
}

int NumberShown(const VideoPlayer& p) { return qv::testing::ClipNumber(p.frame().pixels.data(), p.width(), 8); }

// The largest difference from the pattern of picture `number`, at the inner 4 x 4 pixels of
// every block (edges between colours are blurred by every codec's colour subsampling).
int PatternDifference(const data::TBitmap32& f, int number) {
  int worst = 0;
  for (int by = 0; by + qv::testing::kClipBlock <= f.height; by += qv::testing::kClipBlock)
    for (int bx = 0; bx + qv::testing::kClipBlock <= f.width; bx += qv::testing::kClipBlock)
      for (int y = by + 6; y < by + 10; ++y)
        for (int x = bx + 6; x < bx + 10; ++x) {
          const uint32_t want = qv::testing::ClipColour(number, x, y), got = f.pixel(x, y);
          for (int s = 0; s < 32; s += 8) worst = std::max(worst, std::abs(int((want >> s) & 255) - int((got >> s) & 255)));
        }
  return worst;
}

// Pictures follow the time given to advance: the sound device is closed, so it is the clock.
class VideoPictures : public ::testing::TestWithParam<ClipCase> {
 protected:
  void SetUp() override { sound::soundBackend().CloseSound(); }
};

TEST_P(VideoPictures, ShowEachPictureAtItsTimeAndEndAfterTheLast) {
  const ClipCase& c = GetParam();
  auto player = VideoPlayer::Open(MakeClip(c), false);
  ASSERT_TRUE(player);
  EXPECT_EQ(player->width(), c.recipe.width);
  EXPECT_EQ(player->height(), c.recipe.height);
  ASSERT_EQ(player->frame().pixels.size(), size_t(c.recipe.width) * size_t(c.recipe.height));
  // Before the first advance and at time 0: the first picture.
  EXPECT_EQ(NumberShown(*player), 0);
  EXPECT_TRUE(player->advance(0));
  EXPECT_EQ(NumberShown(*player), 0);
  EXPECT_LE(PatternDifference(player->frame(), 0), c.tolerance);
  for (uint32_t p : player->frame().pixels) ASSERT_EQ(p >> 24, 0xFFu);
  // Halfway through picture k at a time in the middle of it (40 ms a picture at 25 a second).
  for (int k : {1, 7, 25, 26, 49}) {
    EXPECT_TRUE(player->advance(k * 40 + 20)) << k;
    EXPECT_EQ(NumberShown(*player), k);
    EXPECT_LE(PatternDifference(player->frame(), k), c.tolerance) << "picture " << k;
  }
  // The clip ends at 2 s; the last picture stays on screen.
  EXPECT_FALSE(player->advance(2100));
  EXPECT_FALSE(player->advance(2200));
  EXPECT_EQ(NumberShown(*player), 49);
}

TEST_P(VideoPictures, LoopStartsOverWithTheClockRunningOn) {
  const ClipCase& c = GetParam();
  if (!c.passIsPictures) GTEST_SKIP() << "the pass's length is set by its sound";
  auto player = VideoPlayer::Open(MakeClip(c), true);
  ASSERT_TRUE(player);
  for (int pass = 0; pass < 3; ++pass) {
    for (int k : {0, 12, 48}) {
      const int64_t t = pass * 2000 + k * 40 + 20;
      EXPECT_TRUE(player->advance(t)) << t;
      EXPECT_EQ(NumberShown(*player), k) << "pass " << pass;
    }
  }
  EXPECT_LE(PatternDifference(player->frame(), 48), c.tolerance);
  // A long jump ahead (a game that stalled) lands on the right picture of a later pass.
  EXPECT_TRUE(player->advance(20 * 2000 + 30 * 40 + 20));
  EXPECT_EQ(NumberShown(*player), 30);
}

INSTANTIATE_TEST_SUITE_P(Clips, VideoPictures, ::testing::ValuesIn(kClips),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- damaged and hostile files ----

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Replaces every little-endian 32-bit `from` after `start` by `to`.
void Patch32(std::vector<uint8_t>& b, uint32_t from, uint32_t to, size_t start = 0) {
  for (size_t i = start; i + 4 <= b.size(); ++i) {
    const uint32_t v = b[i] | b[i + 1] << 8 | b[i + 2] << 16 | uint32_t(b[i + 3]) << 24;
    if (v == from)
      for (int k = 0; k < 4; ++k) b[i + static_cast<size_t>(k)] = static_cast<uint8_t>(to >> (8 * k));
  }
}

long PeakKilobytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

TEST(VideoBadInput, FailsCleanlyWithBoundedMemory) {
  sound::soundBackend().CloseSound();
  const std::vector<uint8_t> avi = ReadAll(MakeClip(kClips[0]));
  const std::vector<uint8_t> mpg = ReadAll(MakeClip(kClips[3]));
  ASSERT_GT(avi.size(), 4096u);

  struct Bad {
    const char* name;
    std::vector<uint8_t> bytes;
    bool mayPlay;  // a damaged file may play what it can, but must end
  };
  std::vector<Bad> cases;
  cases.push_back({"empty.avi", {}, false});
  std::string text = "This is a text file, not a video.\n";
  cases.push_back({"text.avi", std::vector<uint8_t>(text.begin(), text.end()), false});
  std::vector<uint8_t> noise(20000);
  uint32_t seed = 12345;
  for (auto& b : noise) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
  cases.push_back({"noise.mpg", noise, false});
  cases.push_back({"header_only.avi", std::vector<uint8_t>(avi.begin(), avi.begin() + 600), false});
  cases.push_back({"half.avi", std::vector<uint8_t>(avi.begin(), avi.begin() + static_cast<ptrdiff_t>(avi.size() / 2)), true});
  cases.push_back({"half.mpg", std::vector<uint8_t>(mpg.begin(), mpg.begin() + static_cast<ptrdiff_t>(mpg.size() / 2)), true});
  std::vector<uint8_t> corrupt = avi;
  for (size_t i = 2048; i < corrupt.size(); i += 97) corrupt[i] ^= 0x5A;
  cases.push_back({"corrupt.avi", corrupt, true});
  // Pictures of 100,000 x 100,000: Microsoft Video 1 takes its size from the AVI headers alone.
  std::vector<uint8_t> huge = ReadAll(MakeClip(kClips[2]));
  Patch32(huge, 192, 100000);
  Patch32(huge, 144, 100000);
  cases.push_back({"huge.avi", huge, false});
  // Every JPEG picture claims 60,000 x 60,000 in its frame header, under AVI headers of 192 x 144.
  std::vector<uint8_t> hugeJpeg = ReadAll(MakeClip(kClips[1]));
  size_t frameHeaders = 0;
  for (size_t i = 0; i + 9 <= hugeJpeg.size(); ++i) {
    if (hugeJpeg[i] == 0xFF && hugeJpeg[i + 1] == 0xC0 && hugeJpeg[i + 4] == 8) {
      for (size_t k : {i + 5, i + 7}) {
        hugeJpeg[k] = 0xEA;
        hugeJpeg[k + 1] = 0x60;
      }
      ++frameHeaders;
    }
  }
  ASSERT_GE(frameHeaders, 50u);
  cases.push_back({"huge_jpeg.avi", hugeJpeg, false});

  const long before = PeakKilobytes();
  for (const Bad& c : cases) {
    const std::string path = TempPath(c.name);
    WriteAll(path, c.bytes);
    auto player = VideoPlayer::Open(path, false);
    if (!c.mayPlay) {
      EXPECT_FALSE(player) << c.name;
      continue;
    }
    if (!player) continue;
    // What plays ends within the clip's length.
    bool ended = false;
    for (int64_t t = 0; t <= 5000 && !ended; t += 100) ended = !player->advance(t);
    EXPECT_TRUE(ended) << c.name;
  }
  EXPECT_FALSE(VideoPlayer::Open(TempPath("missing.avi"), false));
  // Nothing above came near the memory of a 100,000 x 100,000 picture (40 GB).
  EXPECT_LT(PeakKilobytes() - before, 256 * 1024);
}

// ---- sound ----

// The sound's position in the mixer is the clock: the test pulls the mixer's output itself and
// gives advance a time that disagrees, which the pictures must not follow.
class VideoSound : public ::testing::TestWithParam<ClipCase> {
 protected:
  void SetUp() override {
    auto d = std::make_unique<sound::testing::PullDevice>();
    device_ = d.get();
    ASSERT_TRUE(sound::soundBackend().OpenSound(std::move(d)));
  }
  void TearDown() override { sound::soundBackend().CloseSound(); }
  sound::testing::PullDevice* device_ = nullptr;
};

TEST_P(VideoSound, ReachesTheMixerAndLeadsThePictures) {
  const ClipCase& c = GetParam();
  auto player = VideoPlayer::Open(MakeClip(c), true);
  ASSERT_TRUE(player);
  std::vector<float> heard;
  // 2.5 s in blocks of 1024 frames, advance called between blocks with a wall time of 0.
  int pictureAt1s = -1;
  const size_t total = size_t(2.5 * sound::kMixRate);
  while (heard.size() / 2 < total) {
    EXPECT_TRUE(player->advance(0));
    const size_t played = heard.size() / 2;
    if (pictureAt1s < 0 && played >= size_t(sound::kMixRate)) pictureAt1s = NumberShown(*player);
    auto block = device_->pull(1024);
    heard.insert(heard.end(), block.begin(), block.end());
  }
  // At 1 s of sound (plus at most one block) the picture is number 25 or 26, though the wall
  // clock said 0.
  EXPECT_GE(pictureAt1s, 25);
  EXPECT_LE(pictureAt1s, 26);
  // The tone, on both sides, in the first pass and after the loop's seam.
  const size_t r = sound::kMixRate;
  for (int ch : {0, 1}) {
    EXPECT_NEAR(sound::testing::ToneAmplitude(heard, ch, 440, r / 10, r / 2), 0.5, 0.05) << "channel " << ch;
    EXPECT_NEAR(sound::testing::ToneAmplitude(heard, ch, 440, 2 * r + r / 10, 2 * r + r / 2), 0.5, 0.05) << "channel " << ch;
  }
}

INSTANTIATE_TEST_SUITE_P(Clips, VideoSound, ::testing::Values(kClips[0], kClips[3]),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VideoSoundEnd, StopsFeedingTheMixerWhenThePlayerGoes) {
  auto d = std::make_unique<sound::testing::PullDevice>();
  sound::testing::PullDevice* device = d.get();
  ASSERT_TRUE(sound::soundBackend().OpenSound(std::move(d)));
  {
    auto player = VideoPlayer::Open(MakeClip(kClips[0]), true);
    ASSERT_TRUE(player);
    player->advance(0);
    EXPECT_GT(sound::testing::ChannelRms(device->pull(4096), 0, 0, 4096), 0.2);
  }
  EXPECT_EQ(sound::testing::ChannelRms(device->pull(4096), 0, 0, 4096), 0.0);
  sound::soundBackend().CloseSound();
}

// ---- in a splash screen ----

TEST(VideoSplash, ShowsThePicturesAndClosesAtTheEndUnlessItLoops) {
  sound::soundBackend().CloseSound();
  splashSettings() = SplashSettings{};
  splashSettings().main = false;
  splashSettings().adapt = false;
  splashSettings().colour = 0x000000;
  for (bool loop : {false, true}) {
    SplashContent content;
    content.kind = SplashContent::Video;
    content.video = VideoPlayer::Open(MakeClip(kClips[1]), loop);
    content.loop = loop;
    ASSERT_TRUE(content.video);
    SplashWindow w(std::move(content), 0);
    EXPECT_TRUE(w.ticking());
    EXPECT_EQ(w.endsByItself(), !loop);
    EXPECT_FALSE(w.tick(1020));
    // The window shows the video's picture where it places it: the middle of the block at
    // (104, 72) of the 192 x 144 picture, in the block's colour.
    const SplashWindow::Placement p = w.picture();
    const data::TBitmap32 shown = w.render();
    const uint32_t centre = shown.pixel(p.x + 104 * p.w / 192, p.y + 72 * p.h / 144);
    const uint32_t want = qv::testing::ClipColour(25, 104, 72);
    for (int s = 0; s < 24; s += 8) EXPECT_NEAR(int((centre >> s) & 255), int((want >> s) & 255), 24) << loop;
    EXPECT_EQ(w.tick(2100), !loop);
  }
  splashSettings() = SplashSettings{};
}

}  // namespace
}  // namespace qv::windows
