// Rooms: persistent instances and rooms across room changes, creation code, restarts, included
// files and library initialization code, on games written by the game writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "code/errors.h"
#include "system/secure_mode.h"
#include "system/user_store.h"
#include <optional>
#include "world/game_world.h"
#include "world/instances.h"
#include "world_game.h"

namespace qv::world {
namespace {

namespace fs = std::filesystem;
using testing::gameLog;
using testing::TestGame;
using Log = std::vector<std::string>;

TEST(WorldRooms, PersistentInstancesMoveWithThePlayerAndPersistentRoomsKeepTheirState) {
  TestGame g;
  auto& player = g.object("obj_player");
  player.object.persistent = true;
  player.on(ev_create, 0, "lives_here = 'created in ' + string(room); test_log('player create')")
      .on(ev_other, ev_room_start, "test_log('player ' + string(id) + ' in ' + string(room) + ': ' + lives_here)")
      .on(ev_step, 0,
          "step_count += 1;"
          "if step_count == 1 { room_goto(1) }"
          "if step_count == 2 { room_goto(0) }"
          "if step_count == 3 { room_goto(1) }"
          "if step_count == 4 { game_end() }");
  player.on(ev_create, 0, "step_count = 0");
  g.object("obj_thing").on(ev_create, 0, "test_log('thing create ' + string(room))")
      .on(ev_other, ev_room_start, "test_log('thing ' + string(id) + ' sees room ' + string(room))");
  g.room("rm_start").place(0, 5, 5, 100001).place(1, 0, 0, 100002);
  auto& keep = g.room("rm_kept");
  keep.room.persistent = true;
  keep.place(1, 0, 0, 100003).place(0, 9, 9, 100001);  // an instance with the player's id: replaced
  g.run(100);
  const Log expected = {
      "player create", "thing create 0", "player 100001 in 0: created in 0", "thing 100002 sees room 0",
      // first visit of the kept room: its own instances run their create events, the player keeps its id
      "thing create 1", "thing 100003 sees room 1", "player 100001 in 1: created in 0",
      // back in the start room: fresh again
      "thing create 0", "thing 100002 sees room 0", "player 100001 in 0: created in 0",
      // the kept room again: no create events, only room start
      "thing 100003 sees room 1", "player 100001 in 1: created in 0"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(WorldRooms, ARoomChangeDuringCreateSkipsTheRemainingEventsButNotTheCreationCode) {
  TestGame g;
  g.object("obj").on(ev_create, 0, "test_log('create ' + string(id)); if room == 0 { room_goto(1) }")
      .on(ev_other, ev_room_start, "test_log('start ' + string(room))");
  auto& r0 = g.room("rm0");
  r0.room.creationCode = "test_log('room code 0')";
  r0.place(0, 0, 0, 100001).place(0, 0, 0, 100002, "test_log('instance code')");
  g.room("rm1").place(0, 0, 0, 100003);
  g.run(1);
  const Log expected = {"create 100001", "instance code", "room code 0", "create 100003", "start 1"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(WorldRooms, RestartingTheRoomRunsEverythingAgainAndUnknownRoomsAreFatal) {
  TestGame g;
  g.object("obj").on(ev_create, 0, "test_log('create')")
      .on(ev_other, ev_room_end, "test_log('end')")
      .on(ev_step, 0, "n = variable_global_get('n') + 1; variable_global_set('n', n); if n == 1 { room_restart() } else if n == 2 { room_goto(7) }");
  g.initCode = {"variable_global_set('n', 0)", "", "test_log('init')"};
  g.room("rm").place(0, 0, 0, 100001);
  g.run(10);
  const Log expected = {"init", "create", "end", "create", "end"};
  EXPECT_EQ(gameLog(), expected);
  EXPECT_NE(code::errorState().last.find("Unexisting room number: 7"), std::string::npos);
}

TEST(WorldRooms, RoomFunctionsFollowTheOrder) {
  TestGame g;
  g.object("obj").on(ev_other, ev_room_start,
                     "test_log(room_previous(room_first)); test_log(room_next(room_first)); test_log(room_next(room_last));"
                     "test_log(room_previous(2)); test_log(room_exists(5)); test_log(room_get_name(1))");
  g.room("rm_a");
  g.room("rm_b");
  g.room("rm_c").place(0, 0, 0, 100001);
  g.order = {2, 0, 1};
  g.run(0);
  const Log expected = {"-1", "0", "-1", "-1", "0", "rm_b"};
  EXPECT_EQ(gameLog(), expected);
}

TEST(WorldRooms, DeactivatedInstancesAreHiddenAndComeBackAtTheEnd) {
  TestGame g;
  g.object("obj").on(ev_other, ev_room_start,
                     "if id == 100001 { instance_deactivate_all(true); test_log(instance_number(all));"
                     "  test_log(instance_exists(100002)); instance_activate_all();"
                     "  test_log(instance_find(all, 0)); test_log(instance_find(all, 1)); test_log(instance_id[0]) }");
  g.room("rm").place(0, 0, 0, 100002).place(0, 0, 0, 100001).place(0, 0, 0, 100003);
  g.run(0);
  // 100002 came first; after deactivating all but the caller and reactivating, the caller leads.
  const Log expected = {"1", "0", "100001", "100002", "100001"};
  EXPECT_EQ(gameLog(), expected);
}

class IncludedFiles : public ::testing::Test {
 protected:
  // One directory per test: CTest runs tests in parallel.
  fs::path dir = fs::temp_directory_path() /
                 ("qv_world_included_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  fs::path old;
  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir / "work");
    old = fs::current_path();
    fs::current_path(dir / "work");
  }
  void TearDown() override {
    fs::current_path(old);
    system::SetSecureMode(false);
    fs::remove_all(dir);
  }
  static game::CDataFile file(std::string name, std::string content, int32_t kind = 2) {
    game::CDataFile f;
    f.fileName = std::move(name);
    f.hasData = f.dataFollows = true;
    f.data.WriteBytes(content.data(), content.size());
    f.exportKind = kind;
    return f;
  }
  static std::string read(const fs::path& p) {
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(IncludedFiles, AreOnDiskBeforeTheFirstRoomAndGoneAfterTheEnd) {
  TestGame g;
  g.files.push_back(file("data.txt", "hello"));
  g.files.push_back(file("sub\\level.txt", "deep"));
  game::CDataFile kept = file("settings.ini", "new");  // the player's own copy stays
  g.files.push_back(kept);
  std::ofstream(dir / "work" / "settings.ini") << "mine";
  g.object("obj").on(ev_create, 0, "test_log('create')");
  g.room("rm").place(0, 0, 0, 100001);
  ASSERT_TRUE(g.load());
  EXPECT_EQ(read(dir / "work" / "data.txt"), "hello");
  EXPECT_EQ(read(dir / "work" / "sub" / "level.txt"), "deep");
  EXPECT_EQ(read(dir / "work" / "settings.ini"), "mine");
  EXPECT_FALSE(game::includedFiles()[0].hasData);  // freed after export
  EXPECT_FALSE(game::includedFiles()[2].hasData);  // also when the existing file was kept
  world::LoopOptions options;
  options.maxSteps = 1;
  options.paced = false;
  world::RunGameLoop(options);
  runner::CleanUpGame();
  EXPECT_FALSE(fs::exists(dir / "work" / "data.txt"));
  EXPECT_FALSE(fs::exists(dir / "work" / "sub" / "level.txt"));
  EXPECT_EQ(read(dir / "work" / "settings.ini"), "mine");  // never written by us: not removed
}

TEST_F(IncludedFiles, NamesThatLeaveTheirDirectoryAreRefused) {
  struct Case {
    const char* name;
    bool secure;
    const char* message;
  } cases[] = {
      {"..\\outside.txt", false, "Refusing to write the included file ..\\outside.txt outside its directory."},
      {"/tmp/qv_world_abs.txt", false, "Refusing to write the included file /tmp/qv_world_abs.txt outside its directory."},
      {"C:evil.txt", false, "Refusing to write the included file C:evil.txt outside its directory."},
      {"sub\\x.txt", true, "In secure mode you cannot export a data file to sub\\x.txt"},
  };
  for (const Case& c : cases) {
    system::SetSecureMode(c.secure);
    code::ResetErrorState();
    game::CDataFile f = file(c.name, "x");
    game::ExtractIncludedFile(f);
    EXPECT_EQ(code::errorState().last, c.message) << c.name;
    EXPECT_FALSE(f.written) << c.name;
    EXPECT_TRUE(f.hasData) << c.name;  // a refusal does not free the content
  }
  EXPECT_FALSE(fs::exists(dir / "outside.txt"));
  EXPECT_FALSE(fs::exists("/tmp/qv_world_abs.txt"));

  system::SetSecureMode(true);
  code::ResetErrorState();
  game::CDataFile folder = file("f.txt", "x", 3);
  folder.exportFolder = (dir / "export").string();
  game::ExtractIncludedFile(folder);
  EXPECT_EQ(code::errorState().last, "In secure mode you cannot export a data file to an indicated directory.");
  system::SetSecureMode(false);
  game::ExtractIncludedFile(folder);
  EXPECT_EQ(read(dir / "export" / "f.txt"), "x");
}

TEST_F(IncludedFiles, ExportsStayBelowTheirRootThroughLinksAndNeverLandAtTheFileSystemRoot) {
  // The game's folder holds links to a folder elsewhere: to the folder, to a file in it, and to a
  // file that does not exist yet.
  const fs::path outside = dir / "outside";
  fs::create_directories(outside);
  std::ofstream(outside / "victim.txt") << "theirs";
  fs::create_directory_symlink(outside, dir / "work" / "linked");
  fs::create_symlink(outside / "victim.txt", dir / "work" / "victim.txt");
  fs::create_symlink(outside / "fresh.txt", dir / "work" / "fresh.txt");
  fs::create_directories(dir / "export");
  fs::create_directory_symlink(outside, dir / "export" / "out");
  struct Case {
    const char* name;
    int32_t kind;
    std::string folder;
  } refused[] = {
      {"linked\\x.txt", 2, ""},
      {"victim.txt", 2, ""},
      {"fresh.txt", 2, ""},
      {"out\\y.txt", 3, (dir / "export").string()},
      {"linked\\z.txt", 3, ""},  // an empty export folder is the game's folder
      {"w.txt", 3, "linked"},  // and the base of a relative one
      {"rooted.txt", 3, "C:\\"},  // the file system's root
  };
  for (const Case& c : refused) {
    code::ResetErrorState();
    game::CDataFile f = file(c.name, "ours", c.kind);
    f.exportFolder = c.folder;
    f.overwrite = true;
    game::ExtractIncludedFile(f);
    EXPECT_EQ(code::errorState().last, "Refusing to write the included file " + std::string(c.name) + " outside its directory.")
        << c.name;
    EXPECT_FALSE(f.written) << c.name;
  }
  EXPECT_EQ(read(outside / "victim.txt"), "theirs");
  EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 1);
  EXPECT_FALSE(fs::exists("/rooted.txt"));

  // An empty export folder writes into the game's folder.
  game::CDataFile rooted = file("rooted.txt", "here", 3);
  game::ExtractIncludedFile(rooted);
  EXPECT_EQ(read(dir / "work" / "rooted.txt"), "here");
  EXPECT_FALSE(fs::exists("/rooted.txt"));

  // A link put on the way after the export does not lead the removal out.
  game::CDataFile gone = file("sub\\gone.txt", "ours");
  game::ExtractIncludedFile(gone);
  ASSERT_TRUE(gone.written);
  fs::remove_all(dir / "work" / "sub");
  fs::create_directory_symlink(outside, dir / "work" / "sub");
  std::ofstream(outside / "gone.txt") << "theirs";
  game::RemoveIncludedFile(gone);
  EXPECT_EQ(read(outside / "gone.txt"), "theirs");
}

TEST(SecureMode, IsReadFromThePerUserStore) {
  const fs::path home = fs::temp_directory_path() / "qv_world_store";
  fs::remove_all(home);
  const char* before = std::getenv("XDG_DATA_HOME");
  const std::string saved = before ? before : "";
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  const char* key = "\\Software\\Quorvane\\Version 8\\Preferences";
  struct Case {
    std::optional<double> warning, running;
    bool secure;
  } cases[] = {{std::nullopt, std::nullopt, false}, {1, std::nullopt, true}, {1, 0, false}, {1, 1, true}, {0, 1, false}};
  for (const Case& c : cases) {
    fs::remove_all(home);
    if (c.warning) {
      ASSERT_TRUE(system::StoreWrite("HKEY_CURRENT_USER", key, "Warning", *c.warning));
    }
    if (c.running) {
      ASSERT_TRUE(system::StoreWrite("HKEY_CURRENT_USER", "software\\quorvane\\VERSION 8\\preferences", "QuorvaneRunning", *c.running));
    }
    system::ReadSecureMode();
    EXPECT_EQ(system::SecureMode(), c.secure);
  }
  if (before) setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else unsetenv("XDG_DATA_HOME");
  system::SetSecureMode(false);
  fs::remove_all(home);
}

}  // namespace
}  // namespace qv::world
