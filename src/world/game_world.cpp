#include "world/game_world.h"

#include <algorithm>

#include "code/ccode.h"
#include "code/errors.h"
#include "code/instance_world.h"
#include "code/interpreter.h"
#include "code/registry.h"
#include "graphics/display.h"
#include "graphics/drawing.h"
#include "graphics/seams.h"
#include "graphics/transition.h"
#include "particles/effects.h"
#include "world/event_performer.h"
#include "world/input.h"
#include "world/instances.h"
#include "world/object.h"
#include "world/room_drawing.h"
#include "world/room_variables.h"
#include "world/saved_game.h"
#include "world/time_line.h"
#include "world/transfer.h"
#include "world/trigger.h"
#include "world/variables.h"

namespace qv::world {

namespace {

struct WorldState {
  std::vector<std::unique_ptr<CRoom>> copies;  // working copies by room index
  int32_t current = -1;
  std::vector<std::unique_ptr<CInstance>> carried;  // persistent instances between two rooms
  int32_t transitionKind = 0;
};
WorldState& state() {
  static WorldState s;
  return s;
}

// While no room is current: instances made then are dropped when the next room is entered.
CRoom& placeholder() {
  static CRoom room;
  return room;
}

// The interpreter's view of the current room's active instances.
class RoomInstanceWorld final : public code::InstanceWorld {
 public:
  CInstance* findById(int32_t id) override { return CurrentRoom().FindById(id); }
  CInstance* firstWithId(int32_t id) override { return CurrentRoom().FirstWithId(id); }
  CInstance* firstOfObject(int32_t object) override {
    for (CInstance* i : CurrentRoom().InstancesOf(object))
      if (!i->destroyed) return i;
    return nullptr;
  }
  void collectObject(int32_t object, std::vector<code::CInstanceBase*>& out) override {
    for (CInstance* i : CurrentRoom().InstancesOf(object))
      if (!i->destroyed) out.push_back(i);
  }
  int32_t count() override { return static_cast<int32_t>(CurrentRoom().instances.size()); }
  CInstance* at(int32_t position) override {
    auto& list = CurrentRoom().instances;
    return position >= 0 && static_cast<size_t>(position) < list.size() ? list[static_cast<size_t>(position)].get() : nullptr;
  }
};

}  // namespace

CRoom* g_currentRoom = nullptr;

CRoom& CurrentRoomLookup() {
  WorldState& s = state();
  CRoom* room = &placeholder();
  if (s.current >= 0 && static_cast<size_t>(s.current) < s.copies.size() && s.copies[static_cast<size_t>(s.current)])
    room = s.copies[static_cast<size_t>(s.current)].get();
  g_currentRoom = room;
  return *room;
}

namespace {
// Every change of the current index or of a working copy drops the cached answer.
void currentRoomChanged() { g_currentRoom = nullptr; }
}  // namespace
int32_t CurrentRoomIndex() { return state().current; }
bool HasCurrentRoom() { return &CurrentRoom() != &placeholder(); }
int32_t& transitionKind() { return state().transitionKind; }

const std::vector<std::unique_ptr<CRoom>>& workingCopies() { return state().copies; }

void ReplaceWorkingCopies(std::vector<std::unique_ptr<CRoom>> copies, int32_t current) {
  WorldState& s = state();
  s.copies = std::move(copies);
  s.carried.clear();
  s.current = current;
  currentRoomChanged();
  placeholder().instances.clear();
  placeholder().ListsChanged();
  CurrentRoom().ListsChanged();
}

void InstallWorld() {
  code::SetResourceNameLookup(code::ResourceKind::Object, [](std::string_view n) { return FindObject(n); });
  code::SetResourceNameLookup(code::ResourceKind::TimeLine, [](std::string_view n) { return FindTimeLine(n); });
  code::SetResourceNameLookup(code::ResourceKind::Room, [](std::string_view n) { return FindRoom(n); });
  code::SetResourceNameLookup(code::ResourceKind::Trigger, [](std::string_view n) { return FindTriggerByConstant(n); });
  InstallInstanceWorld();
  InstallEventHooks();
  BindWorldVariables();
  BindRoomVariables();
  BindRunnerVariables();
  // Graphics asks the world for the calling instance's image index (a frame of -1 in the sprite
  // functions) and for the area the tiled functions cover: the current room.
  graphics::seams().imageIndex = [](code::CInstanceBase* self) { return self ? AsInstance(self)->imageIndex : 0.0; };
  graphics::roomArea() = [] {
    const CRoom& room = CurrentRoom();
    return graphics::Area{0, 0, double(room.width), double(room.height)};
  };
}

void ResetForGameStart() {
  transferRequest() = kTransferNone;
  stepCounter() = 0;
  transitionKind() = 0;
  gameCounters().score = 0;
  gameCounters().lives = -1;
  gameCounters().cursorSprite = -1;
  input() = InputState{};
  RebuildDispatchTables();
}

int64_t& stepCounter() {
  static int64_t counter = 0;
  return counter;
}

int32_t& framesPerSecond() {
  static int32_t fps = 0;
  return fps;
}

void InstallInstanceWorld() {
  static RoomInstanceWorld world;
  code::SetInstanceWorld(&world);
}

std::unique_ptr<CInstance> MakeTemporaryInstance() {
  auto in = std::make_unique<CInstance>();
  in->id = 0;
  in->objectIndex = 0;
  return in;
}

void RunCreationCode(const std::string& text, const std::string& what, CInstance* self) {
  code::CCode compiled(text, false);
  if (!compiled.Compile()) {
    const std::string message = code::errorState().current;
    code::ClearRecordedError();
    code::HandleError("COMPILATION ERROR in " + what + "\r" + message, false);
    return;
  }
  code::RValue result;
  if (!code::Execute(compiled, self, self, result)) {
    const std::string message = code::errorState().current;
    code::ClearRecordedError();
    code::HandleError("EXECUTION ERROR in " + what + "\r" + message, false);
  }
}

void RequestRoom(int32_t index, int32_t transition) {
  if (!RoomExists(index)) {
    code::HandleError("Unexisting room number: " + std::to_string(index), true);
    transferRequest() = kTransferAbort;
    return;
  }
  transferRequest() = index;
  state().transitionKind = transition;
}

void EnterRoom(int32_t index, bool gameStart) {
  WorldState& s = state();
  transferRequest() = kTransferNone;
  // Keys and buttons held or pressed in the room that was left do not carry into this one.
  ClearInput();
  particles::ClearEffects();
  placeholder().instances.clear();
  placeholder().ListsChanged();
  if (!RoomExists(index)) {
    RequestRoom(index, s.transitionKind);
    return;
  }
  if (s.copies.size() <= static_cast<size_t>(index)) s.copies.resize(static_cast<size_t>(index) + 1);
  s.current = index;
  auto& slot = s.copies[static_cast<size_t>(index)];
  const bool fresh = !slot;
  if (fresh) slot = std::make_unique<CRoom>(*GetRoom(index));
  currentRoomChanged();
  CRoom& room = *slot;
  room.ListsChanged();
  SizeRegionForRoom(room);
  const size_t own = room.instances.size();

  // Persistent instances from the previous room replace any instance with the same id.
  for (auto& carried : s.carried) {
    for (auto& i : room.instances)
      if (i->id == carried->id) i->destroyed = true;
    room.Append(std::move(carried));
  }
  s.carried.clear();
  room.ListsChanged();

  if (fresh) {
    const std::string name = RoomName(index);
    for (size_t k = 0; k < own && k < room.instances.size(); ++k) {
      CInstance* in = room.instances[k].get();
      if (in->destroyed) continue;
      if (!in->creationCode.empty())
        RunCreationCode(in->creationCode,
                        "creation code for instance " + std::to_string(in->id) + " in room " + name, in);
      PerformEvent(in, in, in->objectIndex, ev_create, 0);
    }
  }
  if (gameStart) PerformEventForAll(ev_other, ev_game_start);
  if (fresh && !room.creationCode.empty()) {
    auto temporary = MakeTemporaryInstance();
    RunCreationCode(room.creationCode, "creation code of room " + RoomName(index), temporary.get());
  }
  PerformEventForAll(ev_other, ev_room_start);
  // The room is drawn once before its first step: the draw events run, the instance list takes
  // its depth order and the views their places. The transition prepared when the last room was
  // left then plays from that picture (or the frame is just shown), and the next frame begins.
  graphics::Display& display = graphics::display();
  if (!TransferPending() && display.automaticDraw) {
    if (display.drawRoom) display.drawRoom();
    graphics::PlayTransition([] { return std::unique_ptr<code::CInstanceBase>(MakeTemporaryInstance()); });
    display.beginFrame();
    s.transitionKind = 0;
  } else {
    graphics::CancelTransition();
  }
}

void LeaveRoom(bool gameEnd) {
  WorldState& s = state();
  CRoom& room = CurrentRoom();
  RemoveDestroyed(room);
  const int32_t saved = transferRequest();
  transferRequest() = kTransferNone;
  PerformEventForAll(ev_other, ev_room_end);
  if (gameEnd) PerformEventForAll(ev_other, ev_game_end);
  transferRequest() = saved;
  for (size_t k = 0; k < room.instances.size(); ++k) {
    CInstance& in = *room.instances[k];
    if (in.destroyed || !in.persistent) continue;
    s.carried.push_back(std::make_unique<CInstance>(in));
    in.destroyed = true;
  }
  if (s.current >= 0 && static_cast<size_t>(s.current) < s.copies.size() && !room.persistent)
    s.copies[static_cast<size_t>(s.current)].reset();
  currentRoomChanged();
}

void ChangeRoom(int32_t index) {
  // The last picture of the room being left is drawn for the transition before its room end
  // events, with the room change that is under way set aside while its draw events run.
  graphics::PrepareTransition(state().transitionKind, [] {
    const int32_t saved = transferRequest();
    transferRequest() = kTransferNone;
    if (graphics::display().drawRoom) graphics::display().drawRoom();
    transferRequest() = saved;
  });
  LeaveRoom(false);
  EnterRoom(index, false);
}

void StartWorld() {
  WorldState& s = state();
  s.copies.clear();
  s.copies.resize(rooms().size());
  s.carried.clear();
  s.current = -1;
  currentRoomChanged();
  RebuildDispatchTables();
  const int32_t first = FirstRoom();
  if (!RoomExists(first)) {
    RequestRoom(first, 0);
    return;
  }
  EnterRoom(first, true);
}

void EndWorld() {
  WorldState& s = state();
  if (s.current >= 0) LeaveRoom(true);
  s.copies.clear();
  s.carried.clear();
  s.current = -1;
  currentRoomChanged();
}

void RemoveDestroyed(CRoom& room) {
  const size_t before = room.instances.size();
  std::erase_if(room.instances, [](const std::unique_ptr<CInstance>& i) { return i->destroyed; });
  if (room.instances.size() != before) room.ListsChanged();
}

void SortByDepth(CRoom& room) {
  auto deeper = [](const std::unique_ptr<CInstance>& a, const std::unique_ptr<CInstance>& b) {
    return a->depth > b->depth;
  };
  if (std::is_sorted(room.instances.begin(), room.instances.end(), deeper)) return;
  std::stable_sort(room.instances.begin(), room.instances.end(), deeper);
  room.ListsChanged();
}

void ScrollBackgrounds(CRoom& room) {
  for (CBack& b : room.backgrounds) {
    b.x += b.hspeed;
    b.y += b.vspeed;
  }
}

}  // namespace qv::world
