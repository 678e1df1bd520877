// Objects, their events and actions: the records of the objects chunk, the object list, the event
// lookup through parents, and the compilation of action lists.
//
// Events are kept per kind in a map keyed by event number: a stored or requested number only
// allocates the events that exist, whatever its size. Events are shared so that an event that is
// running stays alive when game code clears or replaces it.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "code/ccode.h"
#include "code/value.h"
#include "world/event_names.h"

namespace qv::data {
class CStream;
}

namespace qv::world {

inline constexpr int kMaxActionArguments = 8;

enum ActionKind : int32_t {
  act_normal = 0, act_begin = 1, act_end = 2, act_else = 3, act_exit = 4, act_repeat = 5,
  act_variable = 6, act_code = 7,
};
enum ExecutionType : int32_t { exec_none = 0, exec_function = 1, exec_code = 2 };
// Argument kind after compilation: the argument is its constant.
inline constexpr int32_t kArgumentConstant = -1;

struct CAction {
  int32_t libraryId = 0;
  int32_t actionId = 0;
  int32_t kind = act_normal;
  bool mayBeRelative = false;
  bool isQuestion = false;
  bool appliesToSomething = false;
  int32_t executionType = exec_none;
  std::string functionName;
  int32_t functionIndex = -1;
  std::string code;
  std::shared_ptr<code::CCode> compiled;  // shared: events are copied on write
  int32_t argumentCount = 0;  // 0 to 8
  std::array<int32_t, kMaxActionArguments> argumentKinds{};
  int32_t appliesTo = -1;  // -1 self, -2 other, 0 or more an object index
  bool relative = false;
  std::array<std::string, kMaxActionArguments> argumentTexts;
  std::array<code::RValue, kMaxActionArguments> argumentConstants;
  std::array<std::shared_ptr<code::CCode>, kMaxActionArguments> argumentCode;
  bool negate = false;  // the "not" option of questions
};

// An action made from bare code (object_event_add, time lines).
CAction CodeAction(std::string code);

struct CEvent {
  std::vector<CAction> actions;
  bool empty() const { return actions.empty(); }
};
using EventRef = std::shared_ptr<CEvent>;

struct CObject {
  int32_t sprite = -1;
  bool solid = false;
  bool visible = true;
  int32_t depth = 0;
  bool persistent = false;
  int32_t parent = -1;
  int32_t mask = -1;
  std::array<std::map<int32_t, EventRef>, kEventKindCount> events;

  // The event slot (kind 0..11, number >= 0), made empty when missing; nullptr otherwise.
  CEvent* eventSlot(int32_t kind, int32_t number);
  // The event when it exists and has an action; never adds a slot.
  const EventRef* findEvent(int32_t kind, int32_t number) const;
};

// ---- the object list --------------------------------------------------------------------------
int32_t ObjectCount();
bool ObjectExists(int32_t index);
CObject* GetObject(int32_t index);
std::string ObjectName(int32_t index);  // "<undefined>" for an empty slot or an index out of range
int32_t FindObject(std::string_view name);
void ClearObjects();
// Puts an object into slot `index` (the list grows with empty slots); returns it (nullptr for an
// empty slot).
CObject* SetObject(int32_t index, std::string name, std::unique_ptr<CObject> object);
int32_t AddObject(std::string name, std::unique_ptr<CObject> object);
void DeleteObject(int32_t index);
// The object list changed shape or parents: callers rebuild what depends on it. A plain counter
// read inline: the room's instance lists check it on every use.
inline uint64_t g_objectGeneration = 0;
inline uint64_t ObjectGeneration() { return g_objectGeneration; }
inline void TouchObjects() { ++g_objectGeneration; }

// ---- lookups ------------------------------------------------------------------------------------
// Own events only.
const EventRef* FindEvent(int32_t object, int32_t kind, int32_t number);
struct InheritedEvent {
  const EventRef* event = nullptr;
  int32_t owner = -1;
};
// Through the parent chain, then (collisions) through the other object's ancestors. Walks are
// bounded: a parent chain stops at a missing object and never visits an object twice, so a cycle
// stored in the data cannot loop.
InheritedEvent FindEventInherited(int32_t object, int32_t kind, int32_t number);
bool HasEventKind(int32_t object, int32_t kind);
// True when `other` is the parent, grandparent, ... of `object`.
bool IsAncestor(int32_t object, int32_t other);
// The ancestors of `object` in order (parent first), cycle-safe.
void Ancestors(int32_t object, std::vector<int32_t>& out);
// The same list, kept until the object list changes (no allocation on repeated use).
const std::vector<int32_t>& AncestorsOf(int32_t object);

// ---- game data ----------------------------------------------------------------------------------
// Object record (version 430, events 400, actions 440). False for another version, an event kind
// above 11 or a negative event count.
bool ReadObjectRecord(data::CStream& s, CObject& object);
void WriteObjectRecord(data::CStream& s, const CObject& object);
bool ReadActionRecord(data::CStream& s, CAction& action);
void WriteActionRecord(data::CStream& s, const CAction& action);
// The objects chunk (standard frame, version 800); empties the list first. Function names of
// actions are resolved here ("Failed to locate action function " + name when nothing is found).
bool ReadObjectsChunk(data::CStream& s);

// ---- compilation --------------------------------------------------------------------------------
// Compiles one action in place; reports its own failure (fatal) and returns false.
bool CompileAction(CAction& action);
// Compiles every action of every object with the event context naming each; false at the first
// failure.
bool CompileObjects();

}  // namespace qv::world
