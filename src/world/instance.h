// CInstance: one instance of an object in the current room.
//
// This is the part of the instance record that game code reaches: its id, its object, the marks
// that hide it from variable access and `with`, and its store of user variables. The world adds
// the rest of the fields (position, motion, sprite, alarms, ...) without changing these.
#pragma once

#include <cstdint>

#include "code/variables.h"

namespace qv::world {

class CInstance {
 public:
  int32_t id = 0;              // 100000 and above for instances of a room
  int32_t objectIndex = 0;     // `object_index`
  bool destroyed = false;      // marked as destroyed: skipped by variable access and `with`
  bool active = true;          // deactivated instances are not in the instance list walks
  code::CVariableList variables;  // user variables (ids of 100000 and above)
};

}  // namespace qv::world
