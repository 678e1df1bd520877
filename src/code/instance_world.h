// The seam between the interpreter and the world's instance list.
//
// The interpreter reaches instances only through this interface; the world implements it over its
// room's instance list. Rules the implementation keeps:
//  - findById searches the list from the last entry to the first and may remember the last two
//    positions found; it returns the instance even when it is marked as destroyed.
//  - firstWithId returns the first entry in list order with that id (destroyed or not).
//  - firstOfObject returns the first instance of the object or of its descendants that is not
//    marked as destroyed, in the order the world enumerates an object's instances.
//  - collectObject appends every such instance (not destroyed); the snapshot is taken when a
//    `with` starts. Instance records must stay alive until the end of the step (destroyed ones
//    are freed only then), so pointers in a snapshot stay valid for the statement.
//  - count/at walk the whole list by position; callers re-check the bounds after running code.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "code/instance_base.h"

namespace qv::code {

class InstanceWorld {
 public:
  virtual ~InstanceWorld() = default;
  virtual CInstanceBase* findById(int32_t id) = 0;
  virtual CInstanceBase* firstWithId(int32_t id) = 0;
  virtual CInstanceBase* firstOfObject(int32_t objectIndex) = 0;
  virtual void collectObject(int32_t objectIndex, std::vector<CInstanceBase*>& out) = 0;
  virtual int32_t count() = 0;
  virtual CInstanceBase* at(int32_t position) = 0;
};

// Makes the instance records of plain instance lists: base records until a program whose
// built-ins need more (the game's) sets its own.
using InstanceFactory = std::unique_ptr<CInstanceBase> (*)();
void SetInstanceFactory(InstanceFactory factory);
// A new record from the factory: a temporary instance whose fields are all zero, of the kind the
// chosen built-ins expect (code that runs outside any room: extension initialization, ...).
std::unique_ptr<CInstanceBase> MakeInstanceRecord();

// A plain instance list without objects' parents: what qvscript and the tests run against until
// the world sets its own.
class SimpleInstanceWorld : public InstanceWorld {
 public:
  CInstanceBase& add(int32_t id, int32_t objectIndex);
  void clear();
  CInstanceBase* findById(int32_t id) override;
  CInstanceBase* firstWithId(int32_t id) override;
  CInstanceBase* firstOfObject(int32_t objectIndex) override;
  void collectObject(int32_t objectIndex, std::vector<CInstanceBase*>& out) override;
  int32_t count() override { return static_cast<int32_t>(instances_.size()); }
  CInstanceBase* at(int32_t position) override;

 private:
  std::vector<std::unique_ptr<CInstanceBase>> instances_;
  int32_t cache_[2] = {-1, -1};  // the last two positions found by id
};

// The world the interpreter uses; never null (an empty SimpleInstanceWorld by default).
InstanceWorld& instanceWorld();
void SetInstanceWorld(InstanceWorld* world);  // nullptr restores the default

}  // namespace qv::code
