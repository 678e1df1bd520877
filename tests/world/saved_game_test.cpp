// Saved games: a busy world written and read back field for field, refusals that leave the running
// game untouched, and the load carried out by the loop between steps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "code/errors.h"
#include "code/variables.h"
#include "data/stream.h"
#include "system/secure_mode.h"
#include "world/game_world.h"
#include "world/instances.h"
#include "world/saved_game.h"
#include "world/transfer.h"
#include "world_game.h"

namespace qv::world {
namespace {

namespace fs = std::filesystem;
using testing::gameLog;
using testing::TestGame;

constexpr int32_t kGameId = 4242;

std::vector<uint8_t> snapshot() {
  data::CStream s;
  WriteSavedGame(s);
  return s.bytes();
}

std::vector<uint8_t> readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
void writeFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Runs code for the instance with this id in the current room.
void run(int32_t id, const std::string& text) {
  CInstance* in = CurrentRoom().FindById(id);
  ASSERT_NE(in, nullptr) << id;
  RunCreationCode(text, "test", in);
}

// Three rooms: two persistent ones visited first, then the room the game is saved in, busy with
// variables, arrays, alarms, path and time-line fields, a deactivated and a destroyed instance, and
// tiles.
struct BusyGame {
  TestGame g;
  // One folder per test, so that tests running in parallel processes do not meet.
  fs::path dir = fs::temp_directory_path() /
                 ("qv_saved_game_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));

  BusyGame() {
    fs::remove_all(dir);
    fs::create_directories(dir);
    g.object("obj_a")
        .on(ev_create, 0,
            "test_log('create ' + string(id)); hp = id - 100000; name = 'a' + string(id);"
            "tbl[3] = 7; tbl[1, 7] = 'far'; alarm[2] = 50; global.level = 3")
        .on(ev_alarm, 2, "test_log('alarm')");
    g.object("obj_b")
        .on(ev_create, 0, "test_log('create ' + string(id)); mark = 'b'")
        .on(ev_other, ev_no_more_lives, "test_log('no more lives ' + string(id))")
        .on(ev_other, ev_no_more_health, "test_log('no more health ' + string(id))");
    auto& r0 = g.room("rm_first").place(0, 10, 20, 100001).place(1, 30, 40, 100002);
    r0.room.persistent = true;
    auto& r1 = g.room("rm_second").place(1, 50, 60, 100003);
    r1.room.persistent = true;
    r1.room.caption = "second";
    auto& r2 = g.room("rm_third").place(0, 70, 80, 100004).place(1, 90, 100, 100005).place(1, 5, 5, 100006);
    r2.room.viewsEnabled = true;
    r2.room.views[1].visible = true;
    r2.room.views[1].xview = 12;
    r2.room.backgrounds[3].visible = true;
    g.timeLine("tl_main", {{100, "test_log('moment')"}});
  }

  // Starts the game and walks through the three rooms; the world is then ready to be saved.
  void start() {
    ASSERT_TRUE(g.load());
    currentGameId() = kGameId;
    system::SetSecureMode(false);
    StartGame();
    run(100001, "hp = 111; global.score_text = 'first'");
    RequestRoom(1, 0);
    ASSERT_TRUE(HandleTransfer());
    run(100003, "mark = 'visited'; arr[2] = 'two'");
    RequestRoom(2, 3);
    ASSERT_TRUE(HandleTransfer());
    ASSERT_EQ(CurrentRoomIndex(), 2);
    EXPECT_EQ(transitionKind(), 0);  // the room was drawn on entry, which uses up the transition
    transitionKind() = 3;            // as game code sets it for the next room change
    CInstance* a = CurrentRoom().FindById(100004);
    a->pathIndex = 4;
    a->pathPosition = 0.375;
    a->pathSpeed = 2.5;
    a->pathEndaction = 2;
    a->pathXorigin = 33;
    a->timelineIndex = 0;
    a->timelinePosition = 12;
    a->timelineRunning = true;
    a->timelineLoop = true;
    a->hspeed = 1.5;
    CurrentRoom().backgrounds[3].alpha = 0.25;  // set by game code in a running room
    CurrentRoom().FindById(100005)->active = false;
    ApplyActivation(CurrentRoom());
    CurrentRoom().FindById(100006)->destroyed = true;
    for (int k = 0; k < 2; ++k) {
      CTile t;
      t.x = 16.0 * k;
      t.background = 1;
      t.width = 16;
      t.depth = 1000 + k;
      t.id = ++lastTileId();
      t.alpha = 0.5;
      CurrentRoom().tiles.push_back(t);
    }
    run(100004, "score = 1234; lives = 3; health = 87.5; test_log(game_id)");
    Step();
    Step();
    EXPECT_EQ(CurrentRoom().FindById(100006), nullptr);  // removed by the step's clean-up
  }

  ~BusyGame() {
    transferRequest() = kTransferNone;
    EndGame();
    fs::remove_all(dir);
  }
};

TEST(SavedGame, RoundTripBringsBackEveryFieldWithoutEvents) {
  BusyGame b;
  b.start();
  // A destroyed instance is saved with its mark: put one back after the step's clean-up.
  auto gone = std::make_unique<CInstance>();
  gone->id = 100007;
  gone->destroyed = true;
  CurrentRoom().Append(std::move(gone));
  const std::vector<uint8_t> saved = snapshot();
  const fs::path file = b.dir / "slot.sav";
  ASSERT_TRUE(SaveGame(file.string()));
  EXPECT_EQ(readFile(file), saved);
  EXPECT_FALSE(fs::exists(file.string() + ".part"));

  // The file starts with the game-wide values in their order.
  data::CStream head(saved);
  EXPECT_EQ(head.ReadInteger(), 540);
  EXPECT_EQ(head.ReadInteger(), kGameId);
  EXPECT_EQ(head.ReadInteger(), 2);     // room
  EXPECT_EQ(head.ReadInteger(), 3);     // transition kind
  EXPECT_EQ(head.ReadInteger(), 1234);  // score
  EXPECT_EQ(head.ReadInteger(), 3);     // lives
  EXPECT_EQ(head.ReadReal(), 87.5);     // health
  EXPECT_EQ(head.ReadInteger(), -1);    // cursor sprite
  EXPECT_EQ(head.ReadInteger(), 2);     // steps

  // Change everything the file holds.
  run(100004, "hp = -1; tbl[1, 7] = 0; global.level = 99; newcomer = 1");
  gameCounters().score = 0;
  CurrentRoom().tiles.clear();
  RequestRoom(0, 0);
  ASSERT_TRUE(HandleTransfer());
  run(100001, "hp = 0");
  Step();
  ASSERT_NE(snapshot(), saved);

  gameLog().clear();
  code::ResetErrorState();
  ASSERT_TRUE(LoadGame(file.string()));
  EXPECT_TRUE(gameLog().empty()) << gameLog().front();  // no create, room start or end events
  EXPECT_FALSE(code::errorState().occurred);
  EXPECT_EQ(snapshot(), saved);

  ASSERT_EQ(CurrentRoomIndex(), 2);
  EXPECT_EQ(gameCounters().score, 1234);
  EXPECT_EQ(transitionKind(), 3);
  CInstance* a = CurrentRoom().FindById(100004);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->x, 73);  // two steps at hspeed 1.5
  EXPECT_EQ(a->alarm[2], 48);
  EXPECT_EQ(a->pathPosition, 0.375);
  EXPECT_EQ(a->pathXorigin, 33);
  EXPECT_TRUE(a->timelineLoop);
  EXPECT_EQ(a->timelinePosition, 12 + 2);
  ASSERT_EQ(CurrentRoom().deactivated.size(), 1u);
  EXPECT_EQ(CurrentRoom().deactivated[0]->id, 100005);
  EXPECT_FALSE(CurrentRoom().deactivated[0]->active);
  ASSERT_EQ(CurrentRoom().tiles.size(), 2u);
  EXPECT_EQ(CurrentRoom().tiles[1].depth, 1001);
  EXPECT_TRUE(CurrentRoom().views[1].visible);
  EXPECT_EQ(CurrentRoom().backgrounds[3].alpha, 0.25);
  gameLog().clear();
  run(100004, "test_log(hp); test_log(tbl[3]); test_log(tbl[1, 7]); test_log(global.level); test_log(name)");
  EXPECT_EQ(gameLog(), (std::vector<std::string>{"4", "7", "far", "3", "a100004"}));

  // The persistent rooms come back as they were left.
  const auto& copies = workingCopies();
  ASSERT_EQ(copies.size(), 3u);
  ASSERT_NE(copies[0], nullptr);
  ASSERT_NE(copies[1], nullptr);
  EXPECT_EQ(copies[1]->caption, "second");
  ASSERT_NE(copies[0]->FindById(100001), nullptr);
  EXPECT_EQ(copies[0]->FindById(100001)->variables.get(code::variableNames().findUser("hp"), 0)->real, 111);
  EXPECT_EQ(copies[1]->FindById(100003)->variables.get(code::variableNames().findUser("arr"), 2)->str, "two");

  // The destroyed instance is back with its mark and goes at the next step's clean-up.
  ASSERT_NE(CurrentRoom().FindById(100007), nullptr);
  EXPECT_TRUE(CurrentRoom().FindById(100007)->destroyed);
  Step();
  EXPECT_EQ(CurrentRoom().FindById(100007), nullptr);
  // The alarm keeps counting from where it was saved.
  EXPECT_EQ(CurrentRoom().FindById(100004)->alarm[2], 47);
}

TEST(SavedGame, GameWideValuesAreSavedAndRaiseTheirEvents) {
  BusyGame b;
  b.start();
  // Room 2 holds obj_b 100005 deactivated: only active instances get the events.
  run(100004, "instance_create(0, 0, 1)");
  const int32_t made = static_cast<int32_t>(lastInstanceId());
  gameLog().clear();
  run(100004, "lives = 1; lives = 0; lives = -1; health = 0; health = -5; cursor_sprite = 2;"
              "test_log(score); test_log(lives); test_log(health); test_log(cursor_sprite); test_log(game_id)");
  EXPECT_EQ(gameLog(), (std::vector<std::string>{"no more lives " + std::to_string(made),
                                                 "no more health " + std::to_string(made), "1234", "-1",
                                                 "-5", "2", "4242"}));
  const fs::path file = b.dir / "values.sav";
  ASSERT_TRUE(SaveGame(file.string()));
  run(100004, "score = 0; lives = 9; health = 50; cursor_sprite = -1");
  gameLog().clear();
  ASSERT_TRUE(LoadGame(file.string()));
  EXPECT_TRUE(gameLog().empty());  // restoring the values raises nothing
  run(100004, "test_log(score); test_log(lives); test_log(health); test_log(cursor_sprite)");
  EXPECT_EQ(gameLog(), (std::vector<std::string>{"1234", "-1", "-5", "2"}));
}

TEST(SavedGame, DamagedFilesAreRefusedAndLeaveTheGameAsItWas) {
  BusyGame b;
  b.start();
  const fs::path file = b.dir / "good.sav";
  ASSERT_TRUE(SaveGame(file.string()));
  const std::vector<uint8_t> good = readFile(file);
  // Make the running game differ from the file, so that a partial load would show.
  run(100004, "hp = 5000; global.level = 77");
  RequestRoom(0, 0);
  ASSERT_TRUE(HandleTransfer());
  const std::vector<uint8_t> running = snapshot();

  // Offsets: the game-wide values take 44 bytes, then the global variables, then the slot count.
  ASSERT_EQ(b.dir.string().find('\''), std::string::npos);
  data::CStream probe(good);
  probe.seek(44);
  code::GlobalStore scratch;
  ASSERT_TRUE(scratch.load(probe));
  const size_t slots = probe.position();

  auto patched = [&](size_t at, int32_t value) {
    std::vector<uint8_t> bytes = good;
    for (int k = 0; k < 4; ++k) bytes[at + size_t(k)] = uint8_t(uint32_t(value) >> (8 * k));
    return bytes;
  };
  struct Case {
    std::string what;
    std::vector<uint8_t> bytes;
    std::string message;
  };
  const std::string failed = "Failed to load game from file ";
  std::vector<Case> cases = {
      {"other version", patched(0, 541), "Cannot load game saved with other version."},
      {"other game", patched(4, kGameId + 1), "This is a save file for a different game!"},
      {"too many room slots", patched(slots, 100000), failed},
      {"negative slot count", patched(slots, -1), failed},
      {"room record version", patched(slots + 8, 541), failed},
      {"current room not stored", patched(8, 2000), failed},
      {"empty file", {}, failed},
  };
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  cases.push_back({"bytes after the end", longer, failed});
  for (size_t cut = 1; cut < good.size(); cut += std::max<size_t>(1, good.size() / 40))
    cases.push_back({"cut at " + std::to_string(cut), std::vector<uint8_t>(good.begin(), good.begin() + long(cut)), failed});
  cases.push_back({"last byte missing", std::vector<uint8_t>(good.begin(), good.end() - 1), failed});

  const fs::path bad = b.dir / "bad.sav";
  for (const Case& c : cases) {
    writeFile(bad, c.bytes);
    code::ResetErrorState();
    gameLog().clear();
    EXPECT_FALSE(LoadGame(bad.string())) << c.what;
    const std::string expected = c.message == failed ? failed + bad.string() : c.message;
    EXPECT_EQ(code::errorState().last, expected) << c.what;
    EXPECT_EQ(snapshot(), running) << c.what;
    EXPECT_TRUE(gameLog().empty()) << c.what;
  }
  EXPECT_EQ(CurrentRoomIndex(), 0);

  // A missing file: nothing happens, no message.
  code::ResetErrorState();
  EXPECT_FALSE(LoadGame((b.dir / "missing.sav").string()));
  EXPECT_FALSE(code::errorState().occurred);
  EXPECT_EQ(snapshot(), running);

  // The good file still loads after all the refusals.
  EXPECT_TRUE(LoadGame(file.string()));
  EXPECT_EQ(CurrentRoomIndex(), 2);
  EXPECT_EQ(snapshot(), good);
}

TEST(SavedGame, GameLoadIsCarriedOutByTheLoopBetweenSteps) {
  BusyGame b;
  b.start();
  EXPECT_EQ(QuickSaveName(), "_save4242.sav");
  const fs::path file = b.dir / "loop.sav";
  run(100004, "game_save('" + file.string() + "')");
  ASSERT_TRUE(fs::exists(file));
  const std::vector<uint8_t> saved = readFile(file);
  RequestRoom(1, 0);
  ASSERT_TRUE(HandleTransfer());
  run(100003, "game_load('" + file.string() + "'); test_log('after request')");
  EXPECT_EQ(transferRequest(), kTransferLoad);
  EXPECT_EQ(CurrentRoomIndex(), 1);  // nothing replaced until the loop gets there
  EXPECT_TRUE(HandleTransfer());
  EXPECT_EQ(transferRequest(), kTransferNone);
  EXPECT_EQ(CurrentRoomIndex(), 2);
  EXPECT_EQ(snapshot(), saved);
}

TEST(SavedGame, QuickSaveAndLoadUseTheGameIdFileInTheWorkingDirectory) {
  BusyGame b;
  b.start();
  const fs::path previous = fs::current_path();
  fs::current_path(b.dir);
  // Nothing to load yet: the request is carried out and nothing changes.
  const std::vector<uint8_t> before = snapshot();
  code::ResetErrorState();
  QuickLoad();
  EXPECT_EQ(transferRequest(), kTransferLoad);
  EXPECT_TRUE(HandleTransfer());
  EXPECT_EQ(snapshot(), before);
  EXPECT_FALSE(code::errorState().occurred);

  EXPECT_TRUE(QuickSave());
  EXPECT_EQ(readFile(b.dir / "_save4242.sav"), before);
  RequestRoom(0, 0);
  ASSERT_TRUE(HandleTransfer());
  QuickLoad();
  EXPECT_TRUE(HandleTransfer());
  EXPECT_EQ(CurrentRoomIndex(), 2);
  EXPECT_EQ(snapshot(), before);
  fs::current_path(previous);
}

TEST(SavedGame, SavingRefusesSecureNamesAndKeepsTheOlderSaveOnFailure) {
  BusyGame b;
  b.start();
  const fs::path file = b.dir / "keep.sav";
  ASSERT_TRUE(SaveGame(file.string()));
  const std::vector<uint8_t> older = readFile(file);

  system::SetSecureMode(true);
  code::ResetErrorState();
  EXPECT_FALSE(SaveGame(file.string()));
  EXPECT_EQ(code::errorState().last, "In secure mode you cannot save game to file " + file.string());
  system::SetSecureMode(false);

  // The target is a directory: the write fails and no partial file stays behind.
  const fs::path blocked = b.dir / "blocked.sav";
  fs::create_directories(blocked / "inside");
  code::ResetErrorState();
  EXPECT_FALSE(SaveGame(blocked.string()));
  EXPECT_EQ(code::errorState().last, "Failed to save game to file " + blocked.string());
  EXPECT_FALSE(fs::exists(blocked.string() + ".part"));
  EXPECT_EQ(readFile(file), older);

  // A directory that does not exist.
  code::ResetErrorState();
  const fs::path nowhere = b.dir / "no" / "such" / "dir.sav";
  EXPECT_FALSE(SaveGame(nowhere.string()));
  EXPECT_EQ(code::errorState().last, "Failed to save game to file " + nowhere.string());
}

}  // namespace
}  // namespace qv::world
