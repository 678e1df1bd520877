// Triggers: the records of the trigger chunk. Their conditions are compiled and checked by the main
// loop; this file holds the data and its reading and writing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv::runner {
class CStream;
}

namespace qv::world {

struct CTrigger {
  std::string name;
  std::string condition;
  int32_t moment = 0;  // 0 step, 1 begin step, 2 end step
  std::string constantName;
};

// Slots by trigger index; an empty slot is a deleted trigger.
std::vector<std::unique_ptr<CTrigger>>& triggers();
// The trigger's name, "<Deleted>" for an empty slot or an index out of range.
std::string TriggerName(int32_t index);

// Record: version 800, name, condition, moment, constant name. False for another version.
bool ReadTriggerRecord(runner::CStream& s, CTrigger& trigger);
void WriteTriggerRecord(runner::CStream& s, const CTrigger& trigger);
// The trigger chunk (trigger frame, version 800); empties the list first.
bool ReadTriggersChunk(runner::CStream& s);

}  // namespace qv::world
