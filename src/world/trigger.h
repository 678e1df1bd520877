// Triggers: user-defined events whose condition, code returning a value, is checked for instances
// at one of the three step moments.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "code/ccode.h"

namespace qv::data {
class CStream;
}

namespace qv::world {

struct CTrigger {
  std::string name;
  std::string condition;
  int32_t moment = 1;  // 0 step, 1 begin step, 2 end step
  std::string constantName;
  std::shared_ptr<code::CCode> compiled;  // set at preparation
};

// Slots by trigger index; an empty slot is a deleted trigger.
std::vector<std::unique_ptr<CTrigger>>& triggers();
// The trigger's name, "<Deleted>" for an empty slot or an index out of range.
std::string TriggerName(int32_t index);

// Record: version 800, name, condition, moment, constant name. False for another version.
bool ReadTriggerRecord(data::CStream& s, CTrigger& trigger);
void WriteTriggerRecord(data::CStream& s, const CTrigger& trigger);
// The trigger chunk (trigger frame, version 800); empties the list first.
bool ReadTriggersChunk(data::CStream& s);

// The first trigger whose constant name is exactly `name`, or -1.
int32_t FindTriggerByConstant(std::string_view name);
// Compiles every condition; the first failure is reported (fatal) and ends with false.
bool CompileTriggers();
// The triggers of one moment, for the instances whose objects have their events.
void CheckTriggers(int32_t moment);

}  // namespace qv::world
