#include "world/trigger.h"

#include "runner/container.h"
#include "runner/stream.h"

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

bool ReadTriggerRecord(runner::CStream& s, CTrigger& t) {
  if (s.ReadInteger() != kTriggerVersion) return false;
  t.name = s.ReadString();
  t.condition = s.ReadString();
  t.moment = s.ReadInteger();
  t.constantName = s.ReadString();
  return true;
}

void WriteTriggerRecord(runner::CStream& s, const CTrigger& t) {
  s.WriteInteger(kTriggerVersion);
  s.WriteString(t.name);
  s.WriteString(t.condition);
  s.WriteInteger(t.moment);
  s.WriteString(t.constantName);
}

bool ReadTriggersChunk(runner::CStream& s) {
  auto& list = triggers();
  list.clear();
  return runner::ReadTriggerFrame(s, runner::Chunk(runner::ChunkId::Triggers).version, [&](runner::FrameSlot& slot) {
    if (list.size() <= static_cast<size_t>(slot.index)) list.resize(static_cast<size_t>(slot.index) + 1);
    if (!slot.exists) return true;
    auto t = std::make_unique<CTrigger>();
    if (!ReadTriggerRecord(slot.record, *t)) return false;
    list[static_cast<size_t>(slot.index)] = std::move(t);
    return true;
  });
}

}  // namespace qv::world
