// The sound_* functions over the real back-end and mixer, pulled through a test device: values
// handed to the back-end, the slot table, playback rules and the error messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/sound_decoder.h"
#include "sound_fixtures.h"

namespace qv::sound {
namespace {

using testing::Call;
using testing::TakeError;
using testing::ToneWav;

class SoundFunctions : public testing::SoundTest {
 protected:
  SlotState state(int snd) {
    auto st = soundBackend().slotState(sound(snd).handle);
    EXPECT_TRUE(st.has_value());
    return st.value_or(SlotState{});
  }
  bool playing(int snd) { return Call("sound_isplaying", {double(snd)}).real == 1.0; }
};

TEST_F(SoundFunctions, VolumePanAndGlobalValuesAsHandedToTheBackend) {
  const int snd = addSound(ToneWav(440, 0.1), kKindNormal);
  struct Case {
    double v;
    int32_t volumeMb;
  };
  for (const Case c : {Case{0, -9600}, Case{1, 0}, Case{0.5, -4800}, Case{2, 0}, Case{-1, -10000}, Case{NAN, -10000}}) {
    Call("sound_volume", {double(snd), c.v});
    EXPECT_EQ(state(snd).volumeMb, c.volumeMb) << c.v;
  }
  for (const auto& [p, mb] : std::vector<std::pair<double, int32_t>>{{-1, -10000}, {1, 10000}, {0.25, 2500}, {3, 10000}, {0.00005, 0}}) {
    Call("sound_pan", {double(snd), p});
    EXPECT_EQ(state(snd).panMb, mb) << p;
  }
  for (const auto& [v, mb] : std::vector<std::pair<double, int32_t>>{{1, 1000}, {0, -10000}, {0.5, -4500}, {2, 1000}}) {
    Call("sound_global_volume", {v});
    EXPECT_EQ(soundBackend().globalVolumeMb(), mb) << v;
  }
  for (const auto& [f, t] : std::vector<std::pair<double, float>>{{0, 0.01f}, {1, 1.0f}, {1000, 100.0f}, {0.5, 0.5f}}) {
    Call("sound_background_tempo", {f});
    EXPECT_EQ(soundBackend().tempo(), t) << f;
  }
  EXPECT_EQ(TakeError(), "");
}

TEST_F(SoundFunctions, ThreeDValuesOnlyReachThreeDSounds) {
  const int snd3d = addSound(ToneWav(440, 0.1), kKind3D);
  const int normal = addSound(ToneWav(440, 0.1), kKindNormal);
  for (int snd : {snd3d, normal}) {
    Call("sound_3d_set_sound_cone", {double(snd), 0.0, 0.0, 1.0, 30.0, 90.0, 0.5});
    Call("sound_3d_set_sound_distance", {double(snd), -5.0, 100.0});
    Call("sound_3d_set_sound_position", {double(snd), 1.0, 2.0, 3.0});
    Call("sound_3d_set_sound_velocity", {double(snd), 4.0, 5.0, 6.0});
  }
  const Placement3D p = state(snd3d).placement;
  EXPECT_EQ(p.insideConeAngle, 30);
  EXPECT_EQ(p.outsideConeAngle, 90);
  EXPECT_EQ(p.coneOutsideVolume, -5000);
  EXPECT_EQ(p.minDistance, 0.0f);
  EXPECT_EQ(p.maxDistance, 100.0f);
  EXPECT_EQ(p.position[2], 3.0f);
  EXPECT_EQ(p.velocity[0], 4.0f);
  const Placement3D untouched = state(normal).placement;
  const Placement3D defaults;
  EXPECT_EQ(untouched.position[0], defaults.position[0]);
  EXPECT_EQ(untouched.insideConeAngle, defaults.insideConeAngle);
  EXPECT_EQ(untouched.minDistance, defaults.minDistance);
}

TEST_F(SoundFunctions, PreparationAppliesTheRecordsEffectsVolumeAndPan) {
  auto s = std::make_unique<CSound>();
  s->kind = kKindNormal;
  s->fileType = ".wav";
  s->data = ToneWav(440, 0.1);
  s->effects = kEffectEcho | kEffectEqualizer;
  s->volume = 0.5;
  s->pan = -0.25;
  PrepareSound(*s);
  const auto st = soundBackend().slotState(s->handle);
  ASSERT_TRUE(st.has_value());
  EXPECT_EQ(st->effects, (std::vector<EffectKind>{EffectKind::Echo, EffectKind::ParamEq, EffectKind::ParamEq}));
  EXPECT_EQ(st->volumeMb, -4800);
  EXPECT_EQ(st->panMb, -2500);
  DiscardSound(*s);
}

TEST_F(SoundFunctions, MidiInsideAnRmidFileLoads) {
  const auto smf = testing::MakeMidi();
  std::vector<uint8_t> rmid;
  testing::putTag(rmid, "RIFF");
  testing::put32(rmid, static_cast<uint32_t>(4 + 8 + smf.size()));
  testing::putTag(rmid, "RMID");
  testing::putTag(rmid, "data");
  testing::put32(rmid, static_cast<uint32_t>(smf.size()));
  rmid.insert(rmid.end(), smf.begin(), smf.end());
  const int snd = addSound(rmid, kKindBackground, ".rmi");
  EXPECT_EQ(Call("sound_get_kind", {double(snd)}).real, 1.0);
}

TEST_F(SoundFunctions, EffectParametersReachOnlyTheFirstEffectOfTheChain) {
  const int snd = addSound(ToneWav(440, 0.1), kKindNormal);
  Call("sound_effect_set", {double(snd), double(kEffectChorus | kEffectEcho)});
  EXPECT_EQ(state(snd).effects, (std::vector<EffectKind>{EffectKind::Chorus, EffectKind::Echo}));
  auto firstIs = [&](auto setter, auto params) {
    return soundBackend().SetFirstEffectParameters(sound(snd).handle, [&](Effect& e) { return setter(e, params); });
  };
  EXPECT_FALSE(firstIs(SetEchoParameters, EchoParameters{}));  // echo is second: nothing changes
  EXPECT_TRUE(firstIs(SetChorusParameters, ChorusParameters{}));
  Call("sound_effect_set", {double(snd), 0.0});
  EXPECT_TRUE(state(snd).effects.empty());
  // The handlers go through the same path; with an empty chain they do nothing and report nothing.
  Call("sound_effect_echo", {double(snd), 50.0, 50.0, 100.0, 100.0, 0.0});
  EXPECT_EQ(TakeError(), "");
}

TEST_F(SoundFunctions, EveryFunctionOnAMissingSoundReportsIt) {
  addSound(ToneWav(440, 0.1), kKindNormal);
  const double missing = 7;
  const std::vector<std::pair<const char*, std::vector<code::RValue>>> calls = {
      {"sound_play", {missing}},
      {"sound_loop", {missing}},
      {"sound_stop", {missing}},
      {"sound_isplaying", {missing}},
      {"sound_volume", {missing, 1.0}},
      {"sound_fade", {missing, 1.0, 100.0}},
      {"sound_pan", {missing, 0.0}},
      {"sound_effect_set", {missing, 1.0}},
      {"sound_effect_chorus", {missing, 50.0, 10.0, 25.0, 1.1, 1.0, 16.0, 3.0}},
      {"sound_effect_echo", {missing, 50.0, 50.0, 500.0, 500.0, 0.0}},
      {"sound_effect_flanger", {missing, 50.0, 100.0, -50.0, 0.25, 1.0, 2.0, 2.0}},
      {"sound_effect_gargle", {missing, 20.0, 0.0}},
      {"sound_effect_reverb", {missing, 0.0, 0.0, 1000.0, 0.001}},
      {"sound_effect_compressor", {missing, 0.0, 10.0, 200.0, -20.0, 3.0, 4.0}},
      {"sound_effect_equalizer", {missing, 8000.0, 12.0, 0.0}},
      {"sound_3d_set_sound_position", {missing, 0.0, 0.0, 0.0}},
      {"sound_3d_set_sound_velocity", {missing, 0.0, 0.0, 0.0}},
      {"sound_3d_set_sound_distance", {missing, 1.0, 2.0}},
      {"sound_3d_set_sound_cone", {missing, 0.0, 0.0, 1.0, 30.0, 90.0, 0.5}},
      {"sound_replace", {missing, "x.wav", 0.0, 1.0}},
      {"sound_delete", {missing}},
      {"sound_play", {-1.0}},
      {"sound_play", {NAN}},
  };
  for (const auto& [name, args] : calls) {
    TakeError();
    const code::RValue r = Call(name, args);
    const std::string expected = std::string(name) == "sound_replace" ? "Trying to replace non-existing sound."
                                 : std::string(name) == "sound_delete" ? "Trying to delete non-existing sound."
                                                                        : "Sound does not exist.";
    EXPECT_EQ(TakeError(), expected) << name;
    EXPECT_EQ(r.real, 0.0) << name;
  }
  // The functions without the check answer their defaults silently.
  EXPECT_EQ(Call("sound_exists", {missing}).real, 0.0);
  EXPECT_EQ(Call("sound_get_kind", {missing}).real, -1.0);
  EXPECT_EQ(Call("sound_get_name", {missing}).str, "");
  EXPECT_EQ(Call("sound_get_preload", {missing}).real, 0.0);
  Call("sound_discard", {missing});
  Call("sound_restore", {missing});
  EXPECT_EQ(TakeError(), "");
  EXPECT_EQ(Call("sound_exists", {0.0}).real, 1.0);
  EXPECT_EQ(Call("sound_name", {0.0}).str, "snd0");
}

TEST_F(SoundFunctions, NormalSoundsOverlapAndStopTogether) {
  const int snd = addSound(ToneWav(440, 1.0), kKindNormal);
  Call("sound_play", {double(snd)});
  Call("sound_play", {double(snd)});
  EXPECT_EQ(state(snd).voices, 2u);
  EXPECT_TRUE(playing(snd));
  Call("sound_stop", {double(snd)});
  EXPECT_FALSE(playing(snd));
  EXPECT_EQ(state(snd).voices, 0u);
  const auto out = device->pull(1024);
  EXPECT_EQ(testing::ChannelRms(out, 0, 0, 1024), 0.0);
}

TEST_F(SoundFunctions, OneBackgroundMusicReplacesTheOther) {
  const int a = addSound(ToneWav(440, 0.5), kKindBackground);
  const int b = addSound(ToneWav(660, 0.5), kKindBackground);
  const int fx = addSound(ToneWav(880, 0.5), kKindNormal);
  Call("sound_loop", {double(a)});
  Call("sound_play", {double(fx)});
  EXPECT_TRUE(playing(a));
  Call("sound_loop", {double(b)});
  EXPECT_FALSE(playing(a));
  EXPECT_TRUE(playing(b));
  EXPECT_TRUE(playing(fx));  // a normal sound is no background piece
  Call("sound_loop", {double(b)});
  EXPECT_EQ(state(b).voices, 1u);  // restarting the music does not stack it
  const auto out = device->pull(4096);
  EXPECT_LT(testing::ToneAmplitude(out, 0, 440, 0, 4096), 0.01);
  EXPECT_NEAR(testing::ToneAmplitude(out, 0, 660, 0, 4096), 0.5, 0.03);
}

TEST_F(SoundFunctions, PlayOnceEndsAndLoopGoesOn) {
  const int once = addSound(ToneWav(440, 0.1), kKindNormal);
  const int looped = addSound(ToneWav(660, 0.1), kKindNormal);
  Call("sound_play", {double(once)});
  Call("sound_loop", {double(looped)});
  const auto out = device->pull(kMixRate / 2);  // five times the sounds' length
  EXPECT_FALSE(playing(once));
  EXPECT_TRUE(playing(looped));
  // The looping tone is still there at the end, the single one is not.
  const size_t from = kMixRate / 2 - 4410, to = kMixRate / 2;
  EXPECT_NEAR(testing::ToneAmplitude(out, 0, 660, from, to), 0.5, 0.03);
  EXPECT_LT(testing::ToneAmplitude(out, 0, 440, from, to), 0.01);
}

TEST_F(SoundFunctions, SlotsAreReusedFirstFree) {
  const int a = addSound(ToneWav(440, 0.1), kKindNormal);
  const int b = addSound(ToneWav(440, 0.1), kKindNormal);
  EXPECT_EQ(sound(a).handle, 0);
  EXPECT_EQ(sound(b).handle, 1);
  Call("sound_discard", {double(a)});
  EXPECT_EQ(sound(a).handle, -1);
  EXPECT_FALSE(soundBackend().slotState(0).has_value());
  const int c = addSound(ToneWav(440, 0.1), kKindNormal);
  EXPECT_EQ(sound(c).handle, 0);
  // A discarded sound is prepared again when played; restore prepares without stacking slots.
  Call("sound_play", {double(a)});
  EXPECT_EQ(sound(a).handle, 2);
  Call("sound_restore", {double(a)});
  Call("sound_restore", {double(a)});
  EXPECT_EQ(sound(a).handle, 2);
  EXPECT_FALSE(soundBackend().slotState(3).has_value());
}

TEST_F(SoundFunctions, AddReplaceAndDeleteFromFiles) {
  const auto dir = std::filesystem::temp_directory_path() / "qv_sound_add_test";
  std::filesystem::create_directories(dir);
  const auto wav = (dir / "Beep.WAV").string();
  {
    std::ofstream(wav, std::ios::binary).write(reinterpret_cast<const char*>(ToneWav(440, 0.1).data()), ToneWav(440, 0.1).size());
  }
  const int before = soundList().count();
  EXPECT_EQ(Call("sound_add", {(dir / "missing.wav").string(), 0.0, 1.0}).real, -1.0);
  EXPECT_EQ(soundList().count(), before);
  const double idx = Call("sound_add", {wav, 0.0, 1.0}).real;
  ASSERT_EQ(idx, before);
  EXPECT_EQ(Call("sound_get_name", {idx}).str, "__newsound" + std::to_string(before));
  EXPECT_EQ(sound(int(idx)).fileType, ".WAV");
  EXPECT_EQ(sound(int(idx)).fileName, "Beep.WAV");
  EXPECT_GE(sound(int(idx)).handle, 0);  // preloaded
  const double lazy = Call("sound_add", {wav, 2.0, 0.0}).real;
  EXPECT_EQ(sound(int(lazy)).handle, -1);
  EXPECT_EQ(Call("sound_get_preload", {lazy}).real, 0.0);
  EXPECT_EQ(Call("sound_get_kind", {lazy}).real, 2.0);

  EXPECT_EQ(Call("sound_replace", {idx, (dir / "missing.wav").string(), 1.0, 1.0}).real, 0.0);
  EXPECT_EQ(Call("sound_get_kind", {idx}).real, 0.0);  // unchanged
  EXPECT_EQ(Call("sound_replace", {idx, wav, 1.0, 1.0}).real, 1.0);
  EXPECT_EQ(Call("sound_get_kind", {idx}).real, 1.0);

  Call("sound_delete", {idx});
  EXPECT_EQ(Call("sound_exists", {idx}).real, 0.0);
  EXPECT_EQ(soundList().count(), before + 2);  // the index stays, empty
  EXPECT_EQ(TakeError(), "");
  std::filesystem::remove_all(dir);
}

// Damaged data cannot be loaded on the mixer: the sound silently becomes multimedia, and playing
// it plays nothing. Nothing crashes.
TEST_F(SoundFunctions, DamagedDataFallsBackToMultimediaAndPlaysNothing) {
  auto wav = ToneWav(440, 0.1);
  auto truncatedWav = std::vector<uint8_t>(wav.begin(), wav.begin() + 200);
  auto badFormat = wav;
  badFormat[20] = 0x55;  // unknown wave format tag
  auto midi = testing::MakeMidi();
  auto truncatedMidi = std::vector<uint8_t>(midi.begin(), midi.end() - 5);
  auto badEvent = midi;
  badEvent[22 + 1] = 0x05;  // a data byte where the first status belongs: nothing to run on
  std::vector<uint8_t> mp3Noise(4000);
  for (size_t i = 0; i < mp3Noise.size(); ++i) mp3Noise[i] = static_cast<uint8_t>((i * 7919) >> 3);
  mp3Noise[0] = 'I';
  mp3Noise[1] = 'D';
  mp3Noise[2] = '3';
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* type;
  };
  const Case cases[] = {
      {"truncated wave", truncatedWav, ".wav"}, {"unknown wave format", badFormat, ".wav"},
      {"truncated midi", truncatedMidi, ".mid"}, {"bad midi event", badEvent, ".mid"},
      {"corrupt mp3", mp3Noise, ".mp3"},       {"empty", {}, ".wav"},
  };
  for (const Case& c : cases) {
    const int snd = addSound(c.bytes, kKindNormal, c.type);
    EXPECT_EQ(Call("sound_get_kind", {double(snd)}).real, c.bytes.empty() ? 0.0 : 3.0) << c.what;
    Call("sound_play", {double(snd)});
    device->pull(2048);
    EXPECT_FALSE(playing(snd)) << c.what;
  }
  EXPECT_EQ(TakeError(), "");
}

TEST_F(SoundFunctions, MultimediaPlaysOneFileAtATime) {
  const int a = addSound(ToneWav(440, 0.2), kKindMultimedia);
  const int b = addSound(ToneWav(660, 0.2), kKindMultimedia);
  ASSERT_GE(sound(a).handle, 0);
  EXPECT_FALSE(sound(a).data.has_value());  // written to its temporary file
  EXPECT_TRUE(std::filesystem::exists(sound(a).tempPath));
  EXPECT_EQ(sound(a).tempPath.substr(sound(a).tempPath.size() - 4), ".wav");
  Call("sound_loop", {double(a)});
  EXPECT_TRUE(playing(a));
  Call("sound_play", {double(b)});
  EXPECT_FALSE(playing(a));
  EXPECT_TRUE(playing(b));
  Call("sound_stop", {double(a)});  // the player holds b: stopping a changes nothing
  EXPECT_TRUE(playing(b));
  // Volume, pan and effects do not apply to the multimedia player.
  Call("sound_volume", {double(b), 0.0});
  auto out = device->pull(4096);
  EXPECT_NEAR(testing::ToneAmplitude(out, 0, 660, 0, 4096), 0.5, 0.03);
  Call("sound_loop", {double(a)});
  out = device->pull(kMixRate);  // five lengths: a looping multimedia sound goes on
  EXPECT_TRUE(playing(a));
  EXPECT_NEAR(testing::ToneAmplitude(out, 1, 440, kMixRate - 4410, kMixRate), 0.5, 0.03);
  Call("sound_stop", {double(a)});
  EXPECT_FALSE(playing(a));
}

// Compressed formats are not loaded on the mixer: they become multimedia sounds, and the
// multimedia player decodes and plays them.
TEST_F(SoundFunctions, CompressedFormatsPlayAsMultimedia) {
  platform::PcmData pcm;
  pcm.channels = 1;
  pcm.sampleRate = kMixRate;
  pcm.samples = testing::Sine(1000, 0.5, 0.5);
  for (const char* format : {"ogg", "flac", "mp3"}) {
    auto bytes = platform::EncodeSoundData(pcm, format);
    ASSERT_TRUE(bytes.has_value()) << format;
    const int snd = addSound(*bytes, kKindNormal, std::string(".") + format);
    EXPECT_EQ(Call("sound_get_kind", {double(snd)}).real, 3.0) << format;
    Call("sound_play", {double(snd)});
    EXPECT_TRUE(playing(snd)) << format;
    const auto out = device->pull(kMixRate / 4);
    EXPECT_NEAR(testing::ToneAmplitude(out, 0, 1000, kMixRate / 20, kMixRate / 4), 0.5, 0.05) << format;
    Call("sound_stop", {double(snd)});
  }
}

TEST_F(SoundFunctions, LongPlayerFileNameIsRefused) {
  const auto dir = std::filesystem::temp_directory_path() / std::string(120, 'd');
  std::filesystem::create_directories(dir);
  SetTemporaryFileNamer([&](std::string_view suffix) { return (dir / ("a1" + std::string(suffix))).string(); });
  const int snd = addSound(ToneWav(440, 0.2), kKindMultimedia);
  SetTemporaryFileNamer(nullptr);
  ASSERT_GT(sound(snd).tempPath.size(), 126u);
  Call("sound_play", {double(snd)});
  EXPECT_FALSE(playing(snd));
  EXPECT_EQ(messages, std::vector<std::string>{std::string(kFileNameTooLongMessage)});
  std::filesystem::remove_all(dir);
}

TEST_F(SoundFunctions, TemporaryFileSuffixCannotLeaveTheDirectory) {
  std::string seen;
  SetTemporaryFileNamer([&](std::string_view suffix) {
    seen = suffix;
    return std::string{};  // no temporary directory: the sound stays unprepared
  });
  const int snd = addSound(ToneWav(440, 0.2), kKindMultimedia, ".\\..\\..\\evil/../x.m/p3");
  SetTemporaryFileNamer(nullptr);
  EXPECT_EQ(seen, ".mp3");
  EXPECT_EQ(sound(snd).handle, -1);
  EXPECT_TRUE(sound(snd).data.has_value());
}

TEST_F(SoundFunctions, MidiPlaysOverlapsAndTakesVolume) {
  const int snd = addSound(testing::MakeMidi(8), kKindNormal, ".mid");
  ASSERT_EQ(Call("sound_get_kind", {double(snd)}).real, 0.0);
  Call("sound_play", {double(snd)});
  const auto one = device->pull(kMixRate / 2);
  const double level = testing::ChannelRms(one, 0, kMixRate / 4, kMixRate / 2);
  EXPECT_GT(level, 0.005);
  Call("sound_play", {double(snd)});
  EXPECT_EQ(state(snd).voices, 2u);
  Call("sound_stop", {double(snd)});
  Call("sound_volume", {double(snd), 0.5});  // -4800: -24 dB
  Call("sound_play", {double(snd)});
  const auto quiet = device->pull(kMixRate / 2);
  EXPECT_NEAR(testing::ChannelRms(quiet, 0, kMixRate / 4, kMixRate / 2) / level, std::pow(10.0, -4800 / 2000.0), 0.02);
}

TEST_F(SoundFunctions, MidiEndsAndTempoSpeedsItUp) {
  const int snd = addSound(testing::MakeMidi(2), kKindNormal, ".mid");  // two beats: one second
  Call("sound_background_tempo", {4.0});
  Call("sound_play", {double(snd)});
  device->pull(kMixRate / 2);  // at four times the tempo the song is over well before this
  EXPECT_FALSE(playing(snd));
  Call("sound_background_tempo", {1.0});
  Call("sound_play", {double(snd)});
  device->pull(kMixRate / 2);
  EXPECT_TRUE(playing(snd));
}

// A looped song starts again at its end, for as long as it plays.
TEST_F(SoundFunctions, LoopedMidiStartsAgainAtItsEnd) {
  const int snd = addSound(testing::MakeMidi(1), kKindNormal, ".mid");  // one beat: half a second
  Call("sound_loop", {double(snd)});
  const auto out = device->pull(2 * kMixRate);
  EXPECT_TRUE(playing(snd));
  for (size_t second : {0u, 1u})  // a new note sounds in the first quarter of each later second
    EXPECT_GT(testing::ChannelRms(out, 0, second * kMixRate + kMixRate / 50, second * kMixRate + kMixRate / 4), 0.005) << second;
}

TEST(SoundDevice, NoDeviceShowsTheMessageAndEverySoundBecomesMultimedia) {
  soundList().clear();
  std::vector<std::string> messages;
  soundBackend().setMessageHandler([&](std::string_view m) { messages.emplace_back(m); });
  EXPECT_FALSE(soundBackend().OpenSound(platform::CreateNullAudioDevice()));
  EXPECT_EQ(messages, std::vector<std::string>{std::string(kNoSoundDeviceMessage)});
  auto s = std::make_unique<CSound>();
  s->kind = kKindNormal;
  s->fileType = ".wav";
  s->data = ToneWav(440, 0.1);
  PrepareSound(*s);
  EXPECT_EQ(s->kind, kKindMultimedia);
  soundList().items.push_back(std::move(s));
  soundList().names.push_back("a");
  Call("sound_play", {0.0});
  EXPECT_EQ(Call("sound_isplaying", {0.0}).real, 0.0);  // no device: the player cannot open it
  CloseSounds();
  soundList().clear();
  soundBackend().setMessageHandler(nullptr);
}

}  // namespace
}  // namespace qv::sound
