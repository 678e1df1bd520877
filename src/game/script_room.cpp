#include "game/script_room.h"

#include <memory>

#include "game/game_loop.h"
#include "world/game_world.h"
#include "world/instance.h"
#include "world/object.h"
#include "world/room.h"

namespace qv::game {

namespace {

constexpr int32_t kProgramInstanceId = 100001;

world::CInstance* enterProgramRoom() {
  InstallGame();
  world::ResetForGameStart();
  world::ClearObjects();
  world::AddObject("obj_program", std::make_unique<world::CObject>());
  auto room = std::make_unique<world::CRoom>();
  auto instance = std::make_unique<world::CInstance>();
  instance->objectIndex = 0;
  instance->id = kProgramInstanceId;
  room->instances.push_back(std::move(instance));
  world::rooms().clear();
  world::roomNames().clear();
  world::rooms().push_back(std::move(room));
  world::roomNames().push_back("rm_program");
  world::roomOrder() = {0};
  world::lastInstanceId() = kProgramInstanceId;
  world::StartWorld();
  return world::CurrentRoom().FindById(kProgramInstanceId);
}

}  // namespace

code::ScriptStage ScriptRoomStage() {
  code::ScriptStage stage;
  stage.enter = [] { return static_cast<code::CInstanceBase*>(enterProgramRoom()); };
  stage.leave = [] { world::EndWorld(); };
  return stage;
}

}  // namespace qv::game
