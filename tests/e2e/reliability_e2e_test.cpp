// The real quorvane program on games that push it where an unlucky or hostile game would: sounds
// that hold nothing looped on the audio thread, code too large to compile, and files that are too
// large or never end. Each runs under a watchdog (and, for memory, an address-space limit): the
// program must end by itself, with its message where there is one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "code/ccode.h"
#include "code/registry.h"
#include "data/game_writer.h"
#include "sound/sound.h"
#include "support/run_program.h"
#include "world/object.h"
#include "world/room.h"

namespace fs = std::filesystem;
using namespace qv;
using qv::testing::ProgramLimits;
using qv::testing::ProgramRun;
using qv::testing::RunProgram;

namespace {

class ReliabilityE2E : public ::testing::Test {
 protected:
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() / ("qv_reliability_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                       "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // Writes a game of one room with one instance whose object runs `create` and `step`, with the
  // given sounds, and plays it for `steps` steps.
  ProgramRun play(const std::string& create, const std::string& step, int steps, ProgramLimits limits = {},
                  const sound::SoundList* sounds = nullptr, const std::string& script = {}) {
    data::CGameWriter w;
    w.random_seed = 3;
    world::CObject o;
    if (!create.empty()) o.eventSlot(world::ev_create, 0)->actions.push_back(world::CodeAction(create));
    if (!step.empty()) o.eventSlot(world::ev_step, 0)->actions.push_back(world::CodeAction(step));
    world::WriteObjectRecord(w.Record(data::ChunkId::Objects, 0, "obj"), o);
    world::CRoom room;
    auto in = std::make_unique<world::CInstance>();
    in->id = 100001;
    room.instances.push_back(std::move(in));
    world::WriteRoomRecord(w.Record(data::ChunkId::Rooms, 0, "rm"), room);
    world::WriteRoomOrderItem(w.Item(data::ChunkId::RoomOrder), 0);
    if (sounds) sound::WriteSounds(w, *sounds);
    if (!script.empty()) {
      code::CScript scr;
      scr.text = script;
      code::WriteScriptRecord(w.Record(data::ChunkId::Scripts, 0, "scr_big"), scr);
    }
    data::CStream(w.Write()).SaveToFile((dir / "game.exe").string());
    return RunProgram({QV_RUNNER_PATH, "game.exe"}, dir,
                      {"QUORVANE_STEPS=" + std::to_string(steps), "SDL_AUDIODRIVER=dummy", "temp=" + dir.string()}, limits);
  }
};

std::vector<uint8_t> Midi(std::vector<uint8_t> track) {
  std::vector<uint8_t> b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'};
  const auto n = static_cast<uint32_t>(track.size());
  for (int shift : {24, 16, 8, 0}) b.push_back(static_cast<uint8_t>(n >> shift));
  b.insert(b.end(), track.begin(), track.end());
  return b;
}

// A wave file of 16-bit mono samples at 44100 Hz holding `frames` frames of silence.
std::vector<uint8_t> SilentWave(uint32_t frames) {
  std::vector<uint8_t> b;
  auto put = [&](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(t[i]));
  };
  tag("RIFF");
  put(36 + 2 * frames, 4);
  tag("WAVE");
  tag("fmt ");
  put(16, 4);
  put(1, 2);
  put(1, 2);
  put(44100, 4);
  put(88200, 4);
  put(2, 2);
  put(16, 2);
  tag("data");
  put(2 * frames, 4);
  b.resize(b.size() + 2 * frames, 0);
  return b;
}

// `count` statements of four bytes: "a=1;" (four nodes each when compiled).
std::string Statements(size_t count) {
  std::string t;
  t.reserve(4 * count);
  for (size_t i = 0; i < count; ++i) t += "a=1;";
  return t;
}

}  // namespace

// A sound that holds nothing to play, looped, loops silently or ends; the game goes on stepping and
// ends when its steps are done.
TEST_F(ReliabilityE2E, LoopedSoundsThatHoldNothingNeverBlockTheGame) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* type;
  };
  const Case cases[] = {
      {"MIDI of one empty track", Midi({0x00, 0xFF, 0x2F, 0x00}), ".mid"},
      {"MIDI of a tempo and nothing else", Midi({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00}), ".mid"},
      {"MIDI of one silent tick", Midi({0x00, 0xC0, 0x00, 0x01, 0xFF, 0x2F, 0x00}), ".mid"},
      {"wave of no frames", SilentWave(0), ".wav"},
      {"wave of one silent frame", SilentWave(1), ".wav"},
  };
  for (const Case& c : cases) {
    sound::SoundList sounds;
    auto s = std::make_unique<sound::CSound>();
    s->kind = 0;
    s->fileType = c.type;
    s->data = c.bytes;
    sounds.items.push_back(std::move(s));
    sounds.names.push_back("snd");
    // Each step also stops and loops the sound again, which waits for the audio thread's lock.
    const ProgramRun r = play("sound_loop(snd)", "sound_stop(snd); sound_loop(snd); show_debug_message('step')", 30,
                              ProgramLimits{60, 0}, &sounds);
    EXPECT_FALSE(r.timedOut) << c.what;
    EXPECT_EQ(r.status, 0) << c.what << ": " << r.err;
    size_t steps = 0;
    const std::string said = r.out + r.err;
    for (size_t at = said.find("step"); at != std::string::npos; at = said.find("step", at + 1)) ++steps;
    EXPECT_EQ(steps, 30u) << c.what;
  }
}

// Code compiled at run time or at start takes memory in proportion to its size, within a cap: a
// million statements compile within an address-space limit, and more than the cap allows ends in
// a compile error that names it.
TEST_F(ReliabilityE2E, CompiledCodeStaysWithinItsMemoryLimit) {
  if (!qv::testing::AddressSpaceLimitsWork()) GTEST_SKIP() << "address-space limits do not apply under the sanitizers";
  // The runner with its OpenGL and audio libraries takes about 0.7 GB of address space by itself;
  // the million statements (four million nodes) must fit in the rest.
  const ProgramLimits limited{300, size_t{2048} << 20};
  struct Case {
    const char* what;
    std::string create, script;
    std::string out, err;
    int status;
  };
  const Case cases[] = {
      {"a million statements through execute_string",
       "execute_string(string_repeat('a=1;', 1000000)); show_debug_message('done ' + string(a))", "", "done 1\n", "", 0},
      {"execute_string past the size limit",
       "execute_string(string_repeat('a=1;', 2500000)); show_debug_message('goes on')", "", "goes on\n",
       code::kCodeTooLargeMessage, 0},
      {"a script of two million statements", "", Statements(2000000), "", "COMPILATION ERROR in Script: scr_big", 1},
  };
  for (const Case& c : cases) {
    const ProgramRun r = play(c.create, "", 1, limited, nullptr, c.script);
    EXPECT_FALSE(r.timedOut) << c.what;
    EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err;
    EXPECT_EQ(r.out, c.out) << c.what;
    if (c.err.empty()) EXPECT_EQ(r.err, "") << c.what;
    else EXPECT_NE(r.err.find(c.err), std::string::npos) << c.what << ": " << r.err;
  }
}

// Files a game names are read with a bound: one larger than a reader takes, or one that never
// ends, is refused as a file that cannot be read, and the game goes on.
TEST_F(ReliabilityE2E, FilesTooLargeOrEndlessAreRefused) {
  {
    // 64 GB that take no disk: a sparse file.
    std::ofstream(dir / "huge.png").put('x');
    fs::resize_file(dir / "huge.png", uint64_t{64} << 30);
  }
  struct Case {
    const char* what;
    std::string code;
    std::string out, err;
  };
  const Case cases[] = {
      {"background_add of 64 GB", "show_debug_message(string(background_add('huge.png', 0, 0)))", "-1\n", ""},
      {"load_info of an endless file", "show_debug_message(string(load_info('/dev/zero')))", "0\n", ""},
      {"load_info of 64 GB", "show_debug_message(string(load_info('huge.png')))", "0\n", ""},
      {"execute_file of an endless file", "execute_file('/dev/zero'); show_debug_message('goes on')", "goes on\n",
       "Trying to execute non-existing file."},
      {"execute_file of 64 GB", "execute_file('huge.png'); show_debug_message('goes on')", "goes on\n",
       code::kCodeTooLargeMessage},
  };
  for (const Case& c : cases) {
    const ProgramRun r = play(c.code, "", 1, ProgramLimits{60, qv::testing::AddressSpaceLimitsWork() ? size_t{2048} << 20 : 0});
    EXPECT_FALSE(r.timedOut) << c.what;
    EXPECT_EQ(r.status, 0) << c.what << ": " << r.err;
    EXPECT_EQ(r.out, c.out) << c.what;
    if (c.err.empty()) EXPECT_EQ(r.err, "") << c.what;
    else EXPECT_NE(r.err.find(c.err), std::string::npos) << c.what << ": " << r.err;
  }
}
