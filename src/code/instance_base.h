// CInstanceBase: the part of an instance record that the language itself reads.
//
// The interpreter reaches variables by instance (`self.x`, `with`, `other`), skips instances that
// are marked destroyed and compares ids; everything else of an instance (position, sprite,
// alarms, paths) belongs to the world, whose `world::CInstance` extends this record. Every
// instance that code runs for is a world instance once a game runs; qvscript runs on plain base
// records, with no world family registered.
#pragma once

#include <cstdint>

#include "code/variables.h"

namespace qv::code {

class CInstanceBase {
 public:
  CInstanceBase() = default;
  CInstanceBase(const CInstanceBase&) = default;
  CInstanceBase& operator=(const CInstanceBase&) = default;
  virtual ~CInstanceBase() = default;

  int32_t id = 0;              // 100000 and above for instances of a room
  int32_t objectIndex = 0;     // `object_index`
  bool destroyed = false;      // marked as destroyed: skipped by variable access and `with`
  bool active = true;          // deactivated instances are not in the instance list walks
  CVariableList variables;     // user variables (ids of 100000 and above)
};

}  // namespace qv::code
