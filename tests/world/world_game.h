// Games for the world's tests, built with the game writer and run in-process through the real
// reader, the real preparation and the real event machinery.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "code/builtin.h"
#include "code/errors.h"
#include "code/registry.h"
#include "graphics/background.h"
#include "graphics/sprite.h"
#include "motion/path.h"
#include "data/container.h"
#include "data/game_writer.h"
#include "game/game_loop.h"
#include "game/included_files.h"
#include "game/saved_game.h"
#include "runner/loader.h"
#include "runner/preparation.h"
#include "runner/runner_main.h"
#include "data/settings.h"
#include "world/event_names.h"
#include "game/input_stages.h"
#include "world/object.h"
#include "world/room.h"
#include "world/time_line.h"
#include "world/trigger.h"

// World tests drive the step and its stages as the game layer runs them.
namespace qv::world {
using game::EndGame;
using game::HandleFunctionKeys;
using game::HandleTransfer;
using game::InstallGame;
using game::LoadGame;
using game::QuickLoad;
using game::QuickSave;
using game::LoopOptions;
using game::RaiseJoystickEvents;
using game::RaiseKeyboardEvents;
using game::RaiseMouseEvents;
using game::RunGameLoop;
using game::SaveGame;
using game::StartGame;
using game::Step;
using game::WriteSavedGame;
}  // namespace qv::world

namespace qv::testing {

// Lines written by the game through test_log(text) and read by the tests.
inline std::vector<std::string>& gameLog() {
  static std::vector<std::string> log;
  return log;
}

// test_log(value): appends the value (strings as they are, reals in their integer form).
inline void RegisterTestFunctions() {
  static bool done = false;
  if (done) return;
  done = true;
  code::EnsureBuiltinsRegistered();
  code::RegisterFunction("test_log", [](code::BuiltinCall& c) {
    const code::RValue& v = c.args[0];
    gameLog().push_back(v.kind == code::ty_string ? v.str : std::to_string(static_cast<long long>(v.real)));
  }, 1);
  // test_truth(x): returns x, for question actions.
  code::RegisterFunction("test_truth", [](code::BuiltinCall& c) { c.result = c.args[0]; }, 1);
}

// One object of a test game.
struct ObjectSpec {
  std::string name;
  world::CObject object;

  // Appends a code action to event (kind, number).
  ObjectSpec& on(int32_t kind, int32_t number, std::string code) {
    object.eventSlot(kind, number)->actions.push_back(world::CodeAction(std::move(code)));
    return *this;
  }
  ObjectSpec& action(int32_t kind, int32_t number, world::CAction a) {
    object.eventSlot(kind, number)->actions.push_back(std::move(a));
    return *this;
  }
};

struct RoomSpec {
  std::string name;
  world::CRoom room;

  RoomSpec& place(int32_t object, double x, double y, int32_t id, std::string creationCode = {}) {
    auto in = std::make_unique<world::CInstance>();
    in->objectIndex = object;
    in->x = x;
    in->y = y;
    in->id = id;
    in->creationCode = std::move(creationCode);
    room.instances.push_back(std::move(in));
    return *this;
  }
};

struct TestGame {
  data::CGameWriter writer;
  std::vector<ObjectSpec> objects;
  std::vector<RoomSpec> rooms;
  std::vector<int32_t> order;  // the room order; all rooms in index order when empty
  std::vector<game::CDataFile> files;
  std::vector<std::string> initCode;
  std::vector<std::pair<std::string, world::CTimeLine>> timeLines;
  std::vector<world::CTrigger> triggerList;
  std::vector<std::pair<std::string, motion::CPath>> pathList;  // path resources in index order

  // A path resource: straight or smooth, open or closed, through (x, y, speed) points.
  int32_t path(std::string name, int32_t kind, bool closed, std::vector<motion::RPathPoint> points, int32_t precision = 4) {
    motion::CPath p;
    p.kind = kind;
    p.closed = closed;
    p.precision = precision;
    p.points = std::move(points);
    pathList.emplace_back(std::move(name), std::move(p));
    return int32_t(pathList.size()) - 1;
  }

  // A time line whose moments each run one piece of code.
  void timeLine(std::string name, std::vector<std::pair<int32_t, std::string>> moments) {
    world::CTimeLine t;
    for (auto& [step, code] : moments) t.MomentAt(step).actions.push_back(world::CodeAction(code));
    timeLines.emplace_back(std::move(name), std::move(t));
  }

  // A sprite of `frames` opaque frames of w x h pixels, origin 0, 0.
  void sprite(int32_t index, const std::string& name, int frames, int w, int h) {
    graphics::CSprite sprite;
    for (int i = 0; i < frames; ++i) sprite.frames.push_back(data::TBitmap32(w, h, 0xFFFFFFFF));
    graphics::ComputeDefaultMasks(sprite);
    data::CStream record;
    graphics::WriteSpriteRecord(record, &sprite, name);
    writer.WholeRecord(data::ChunkId::Sprites, index, record);
  }

  // A sprite of one frame filled with `argb` (origin 0, 0).
  void colourSprite(int32_t index, const std::string& name, int w, int h, uint32_t argb) {
    graphics::CSprite sprite;
    sprite.frames.push_back(data::TBitmap32(w, h, argb));
    graphics::ComputeDefaultMasks(sprite);
    data::CStream record;
    graphics::WriteSpriteRecord(record, &sprite, name);
    writer.WholeRecord(data::ChunkId::Sprites, index, record);
  }

  // A background with the given picture.
  void background(int32_t index, const std::string& name, data::TBitmap32 image) {
    graphics::CBackground back;
    back.image = std::move(image);
    data::CStream record;
    graphics::WriteBackgroundRecord(record, &back, name);
    writer.WholeRecord(data::ChunkId::Backgrounds, index, record);
  }

  ObjectSpec& object(std::string name) {
    objects.push_back({std::move(name), {}});
    return objects.back();
  }
  RoomSpec& room(std::string name) {
    rooms.push_back({std::move(name), {}});
    return rooms.back();
  }

  std::vector<uint8_t> bytes() {
    for (size_t i = 0; i < objects.size(); ++i)
      world::WriteObjectRecord(writer.Record(data::ChunkId::Objects, int32_t(i), objects[i].name), objects[i].object);
    for (size_t i = 0; i < rooms.size(); ++i)
      world::WriteRoomRecord(writer.Record(data::ChunkId::Rooms, int32_t(i), rooms[i].name), rooms[i].room);
    std::vector<int32_t> o = order;
    if (o.empty())
      for (size_t i = 0; i < rooms.size(); ++i) o.push_back(int32_t(i));
    for (int32_t r : o) world::WriteRoomOrderItem(writer.Item(data::ChunkId::RoomOrder), r);
    for (size_t i = 0; i < timeLines.size(); ++i)
      world::WriteTimeLineRecord(writer.Record(data::ChunkId::TimeLines, int32_t(i), timeLines[i].first), timeLines[i].second);
    for (size_t i = 0; i < triggerList.size(); ++i)
      world::WriteTriggerRecord(writer.Record(data::ChunkId::Triggers, int32_t(i)), triggerList[i]);
    for (size_t i = 0; i < pathList.size(); ++i)
      motion::WritePathRecord(writer.Record(data::ChunkId::Paths, int32_t(i), pathList[i].first), pathList[i].second);
    for (const auto& f : files) game::WriteDataFileRecord(writer.Item(data::ChunkId::IncludedFiles), f);
    for (const auto& text : initCode) writer.Item(data::ChunkId::LibraryInitCode).WriteString(text);
    writer.random_seed = 7;
    return writer.Write();
  }

  // Reads the game through the real container reader and loader, then prepares it without a
  // window. False when loading or preparing fails.
  bool load() {
    RegisterTestFunctions();
    code::ResetErrorState();
    gameLog().clear();
    return runner::LoadGameInProcess(bytes());
  }

  // Loads and runs `steps` steps unpaced (or until the game ends); returns the steps run.
  // `between` runs before the first step and after every step (where window events arrive).
  int64_t run(int64_t steps, std::function<bool()> between = {}) {
    EXPECT_TRUE(load());
    world::LoopOptions options;
    options.maxSteps = steps;
    options.paced = false;
    options.pumpEvents = std::move(between);
    return world::RunGameLoop(options);
  }
};

}  // namespace qv::testing
