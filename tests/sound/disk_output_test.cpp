// End to end through SDL's disk audio driver: a game written by the game writer, its sounds read
// back by the reader, prepared as at game start and played by the sound functions; the mixed
// output file is then examined.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "data/container.h"
#include "data/game_writer.h"
#include "data/settings.h"
#include "data/stream.h"
#include "sound_fixtures.h"

namespace qv::sound {
namespace {

using testing::Call;
using testing::ToneAmplitude;

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::unique_ptr<CSound> toneSound(int kind, double hz, double seconds) {
  auto s = std::make_unique<CSound>();
  s->kind = kind;
  s->fileType = ".wav";
  s->fileName = "tone.wav";
  s->data = testing::ToneWav(hz, seconds, 0.2);
  return s;
}

TEST(DiskOutput, GameSoundsPlayNormalBackgroundAnd3D) {
  const auto file = std::filesystem::temp_directory_path() / "qv_sound_disk_output.raw";
  std::filesystem::remove(file);
  ScopedEnv driver("SDL_AUDIODRIVER", "disk");
  ScopedEnv output("SDL_DISKAUDIOFILE", file.string());

  // The game's sounds, through the writer and the reader.
  SoundList game;
  game.items.push_back(toneSound(kKindNormal, 440, 3.0));
  game.items.push_back(toneSound(kKindBackground, 660, 0.5));
  game.items.push_back(toneSound(kKind3D, 880, 0.5));
  game.names = {"snd_click", "snd_music", "snd_engine"};
  data::CGameWriter writer;
  WriteSounds(writer, game);
  data::CStream data = writer.WriteGameData();
  data::GameSettings settings;
  data::GameData loaded;
  ASSERT_EQ(data::ReadGameData(data, 0, settings, loaded), data::LoadStatus::Ok);
  // The chunks before the sounds are empty in this game: their version and a count of 0.
  for (data::ChunkId id : {data::ChunkId::ExtensionPackages, data::ChunkId::Triggers, data::ChunkId::Constants}) {
    ASSERT_EQ(loaded.main.ReadInteger(), data::Chunk(id).version);
    ASSERT_EQ(loaded.main.ReadInteger(), 0);
  }
  soundList().clear();
  ASSERT_TRUE(ReadSoundsChunk(loaded.main, soundList()));
  ASSERT_EQ(soundList().count(), 3);
  EXPECT_EQ(soundList().names[1], "snd_music");

  PrepareSounds();
  ASSERT_TRUE(soundBackend().hasPerformance());
  Call("sound_3d_set_sound_position", {2.0, 4.0, 0.0, 0.0});  // to the right, four times the minimum distance
  Call("sound_play", {0.0});
  Call("sound_loop", {1.0});
  Call("sound_loop", {2.0});

  // The driver writes in real time; wait for a second of output (or give up after a long while).
  const uintmax_t wanted = static_cast<uintmax_t>(kMixRate) * 2 * sizeof(float) * 3 / 2;
  for (int i = 0; i < 1000; ++i) {
    std::error_code ec;
    if (std::filesystem::file_size(file, ec) >= wanted) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(Call("sound_isplaying", {1.0}).real, 1.0);
  CloseSounds();
  soundList().clear();

  std::ifstream in(file, std::ios::binary);
  std::vector<float> out((std::filesystem::file_size(file)) / sizeof(float));
  in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size() * sizeof(float)));
  std::filesystem::remove(file);
  size_t onset = 0;
  while (onset < out.size() / 2 && out[2 * onset] == 0.0f) ++onset;
  const size_t from = onset + kMixRate / 10, to = from + kMixRate * 2 / 5;
  ASSERT_LE(to, out.size() / 2) << "not enough output";
  EXPECT_NEAR(ToneAmplitude(out, 0, 440, from, to), 0.2, 0.01);  // normal: both channels
  EXPECT_NEAR(ToneAmplitude(out, 1, 440, from, to), 0.2, 0.01);
  EXPECT_NEAR(ToneAmplitude(out, 0, 660, from, to), 0.2, 0.01);  // background music, looping
  EXPECT_NEAR(ToneAmplitude(out, 1, 660, from, to), 0.2, 0.01);
  EXPECT_LT(ToneAmplitude(out, 0, 880, from, to), 0.005);         // 3D: right only, at 1/4
  EXPECT_NEAR(ToneAmplitude(out, 1, 880, from, to), 0.05, 0.005);
}

}  // namespace
}  // namespace qv::sound
