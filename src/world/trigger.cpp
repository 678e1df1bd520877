#include "world/trigger.h"

#include "code/errors.h"
#include "code/interpreter.h"
#include "data/container.h"
#include "data/stream.h"
#include "world/event_names.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/transfer.h"

namespace qv::world {

namespace {
constexpr int32_t kTriggerVersion = 800;
}

std::vector<std::unique_ptr<CTrigger>>& triggers() {
  static std::vector<std::unique_ptr<CTrigger>> list;
  return list;
}

std::string TriggerName(int32_t index) {
  auto& list = triggers();
  if (index < 0 || static_cast<size_t>(index) >= list.size() || !list[static_cast<size_t>(index)])
    return "<Deleted>";
  return list[static_cast<size_t>(index)]->name;
}

int32_t FindTriggerByConstant(std::string_view name) {
  auto& list = triggers();
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i] && list[i]->constantName == name) return static_cast<int32_t>(i);
  return -1;
}

bool CompileTriggers() {
  for (auto& t : triggers()) {
    if (!t) continue;
    t->compiled = std::make_shared<code::CCode>(t->condition, false);
    if (!t->compiled->Compile()) {
      const std::string message = code::errorState().current;
      code::ClearRecordedError();
      code::HandleError("COMPILATION ERROR in condition of trigger " + t->name + "\r" + message, true);
      return false;
    }
  }
  return true;
}

void CheckTriggers(int32_t moment) {
  for (size_t index = 0; index < triggers().size(); ++index) {
    // Held while its condition runs: game code cannot free it under us.
    const CTrigger* t = triggers()[index].get();
    if (!t || t->moment != moment || !t->compiled) continue;
    const std::shared_ptr<code::CCode> condition = t->compiled;
    const std::string name = t->name;
    const auto number = static_cast<int32_t>(index);
    const std::vector<int32_t> objects = DispatchList(ev_trigger, number);
    for (int32_t object : objects) {
      for (size_t k = 0;; ++k) {
        const auto& list = CurrentRoom().InstancesOfObjectOnly(object);
        if (k >= list.size() || TransferPending()) break;
        CInstance* in = list[k];
        if (in->destroyed) continue;
        code::RValue result;
        if (!code::Execute(*condition, in, in, result)) {
          const std::string message = code::errorState().current;
          code::ClearRecordedError();
          code::HandleError("ERROR in trigger " + name + "\r\n" + message, false);
          continue;
        }
        if (result.kind == code::ty_real && result.real >= 0.5) PerformEvent(in, in, object, ev_trigger, number);
      }
    }
  }
}

bool ReadTriggerRecord(data::CStream& s, CTrigger& t) {
  if (s.ReadInteger() != kTriggerVersion) return false;
  t.name = s.ReadString();
  t.condition = s.ReadString();
  t.moment = s.ReadInteger();
  t.constantName = s.ReadString();
  return true;
}

void WriteTriggerRecord(data::CStream& s, const CTrigger& t) {
  s.WriteInteger(kTriggerVersion);
  s.WriteString(t.name);
  s.WriteString(t.condition);
  s.WriteInteger(t.moment);
  s.WriteString(t.constantName);
}

bool ReadTriggersChunk(data::CStream& s) {
  auto& list = triggers();
  list.clear();
  return data::ReadTriggerFrame(s, data::Chunk(data::ChunkId::Triggers).version, [&](data::FrameSlot& slot) {
    if (list.size() <= static_cast<size_t>(slot.index)) list.resize(static_cast<size_t>(slot.index) + 1);
    if (!slot.exists) return true;
    auto t = std::make_unique<CTrigger>();
    if (!ReadTriggerRecord(slot.record, *t)) return false;
    list[static_cast<size_t>(slot.index)] = std::move(t);
    return true;
  });
}

}  // namespace qv::world
