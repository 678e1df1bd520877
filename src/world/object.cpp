#include "world/object.h"

#include <algorithm>

#include "code/errors.h"
#include "code/registry.h"
#include "data/container.h"
#include "data/stream.h"
#include "world/event_performer.h"

namespace qv::world {

namespace {

constexpr int32_t kObjectVersion = 430;
constexpr int32_t kEventVersion = 400;
constexpr int32_t kActionVersion = 440;

struct ObjectList {
  std::vector<std::unique_ptr<CObject>> slots;
  std::vector<std::string> names;
};
ObjectList& list() {
  static ObjectList l;
  return l;
}

}  // namespace

CAction CodeAction(std::string code) {
  CAction a;
  a.kind = act_code;
  a.executionType = exec_code;
  a.argumentTexts[0] = std::move(code);
  return a;
}

CEvent* CObject::eventSlot(int32_t kind, int32_t number) {
  if (kind < 0 || kind >= kEventKindCount || number < 0) return nullptr;
  EventRef& e = events[static_cast<size_t>(kind)][number];
  if (!e) e = std::make_shared<CEvent>();
  return e.get();
}

const EventRef* CObject::findEvent(int32_t kind, int32_t number) const {
  if (kind < 0 || kind >= kEventKindCount) return nullptr;
  const auto& m = events[static_cast<size_t>(kind)];
  auto it = m.find(number);
  if (it == m.end() || !it->second || it->second->empty()) return nullptr;
  return &it->second;
}

int32_t ObjectCount() { return static_cast<int32_t>(list().slots.size()); }
bool ObjectExists(int32_t index) {
  return index >= 0 && index < ObjectCount() && list().slots[static_cast<size_t>(index)] != nullptr;
}
CObject* GetObject(int32_t index) {
  return ObjectExists(index) ? list().slots[static_cast<size_t>(index)].get() : nullptr;
}
std::string ObjectName(int32_t index) {
  return ObjectExists(index) ? list().names[static_cast<size_t>(index)] : "<undefined>";
}
int32_t FindObject(std::string_view name) {
  for (int32_t i = 0; i < ObjectCount(); ++i)
    if (ObjectExists(i) && list().names[static_cast<size_t>(i)] == name) return i;
  return -1;
}
void ClearObjects() {
  list().slots.clear();
  list().names.clear();
  TouchObjects();
}
CObject* SetObject(int32_t index, std::string name, std::unique_ptr<CObject> object) {
  ObjectList& l = list();
  if (l.slots.size() <= static_cast<size_t>(index)) {
    l.slots.resize(static_cast<size_t>(index) + 1);
    l.names.resize(static_cast<size_t>(index) + 1);
  }
  l.slots[static_cast<size_t>(index)] = std::move(object);
  l.names[static_cast<size_t>(index)] = std::move(name);
  TouchObjects();
  return l.slots[static_cast<size_t>(index)].get();
}
int32_t AddObject(std::string name, std::unique_ptr<CObject> object) {
  const int32_t index = ObjectCount();
  SetObject(index, std::move(name), std::move(object));
  return index;
}
void DeleteObject(int32_t index) {
  if (!ObjectExists(index)) return;
  list().slots[static_cast<size_t>(index)].reset();
  list().names[static_cast<size_t>(index)].clear();
  TouchObjects();
}

const EventRef* FindEvent(int32_t object, int32_t kind, int32_t number) {
  const CObject* o = GetObject(object);
  return o ? o->findEvent(kind, number) : nullptr;
}

namespace {
// Walks object, parent, grandparent, ... calling visit(index) until it returns true. Stops at a
// missing object and after as many steps as there are objects, so a stored cycle ends the walk.
template <class Visit>
bool walkChain(int32_t object, Visit visit) {
  int32_t steps = ObjectCount();
  for (int32_t o = object; ObjectExists(o) && steps-- > 0; o = GetObject(o)->parent)
    if (visit(o)) return true;
  return false;
}
}  // namespace

namespace {

InheritedEvent lookUpInherited(int32_t object, int32_t kind, int32_t number) {
  InheritedEvent found;
  auto lookFor = [&](int32_t num) {
    return walkChain(object, [&](int32_t o) {
      if (const EventRef* e = FindEvent(o, kind, num)) {
        found.event = e;
        found.owner = o;
        return true;
      }
      return false;
    });
  };
  if (lookFor(number)) return found;
  if (kind == ev_collision && ObjectExists(number)) {
    const int32_t first = GetObject(number)->parent;
    walkChain(first, [&](int32_t ancestor) { return ancestor != number && lookFor(ancestor); });
  }
  return found;
}

// Every step performs the same few events for thousands of instances, so what the walk through
// the parents found is remembered per object for event numbers below 256 of every kind but
// collisions. Any change of the object list, a parent or an event advances the objects'
// generation, which forgets it all (the entries point into the objects' event maps).
constexpr int32_t kCachedNumbers = 256;

struct CachedEvent {
  bool known = false;
  InheritedEvent found;
};

struct InheritedEventCache {
  uint64_t generation = ~uint64_t{0};
  std::vector<std::vector<CachedEvent>> byObject;
};

InheritedEventCache& inheritedEventCache() {
  static InheritedEventCache cache;
  return cache;
}

}  // namespace

InheritedEvent FindEventInherited(int32_t object, int32_t kind, int32_t number) {
  // The last cached answer: a stage of a step asks the same question for every instance of an
  // object in turn.
  struct LastAnswer {
    uint64_t generation = ~uint64_t{0};
    int32_t object = -1, kind = -1, number = -1;
    InheritedEvent found;
  };
  static LastAnswer last;
  const uint64_t generation = ObjectGeneration();
  if (last.generation == generation && last.object == object && last.kind == kind && last.number == number)
    return last.found;
  if (kind == ev_collision || kind < 0 || kind >= kEventKindCount || number < 0 || number >= kCachedNumbers ||
      !ObjectExists(object))
    return lookUpInherited(object, kind, number);
  InheritedEventCache& cache = inheritedEventCache();
  if (cache.generation != ObjectGeneration()) {
    cache.byObject.assign(static_cast<size_t>(ObjectCount()), {});
    cache.generation = ObjectGeneration();
  }
  auto& entries = cache.byObject[static_cast<size_t>(object)];
  if (entries.empty()) entries.resize(static_cast<size_t>(kEventKindCount * kCachedNumbers));
  CachedEvent& entry = entries[static_cast<size_t>(kind * kCachedNumbers + number)];
  if (!entry.known) {
    entry.found = lookUpInherited(object, kind, number);
    entry.known = true;
  }
  last = {generation, object, kind, number, entry.found};
  return entry.found;
}

bool HasEventKind(int32_t object, int32_t kind) {
  if (kind < 0 || kind >= kEventKindCount) return false;
  return walkChain(object, [&](int32_t o) {
    for (const auto& [n, e] : GetObject(o)->events[static_cast<size_t>(kind)])
      if (e && !e->empty()) return true;
    return false;
  });
}

bool IsAncestor(int32_t object, int32_t other) {
  if (!ObjectExists(object)) return false;
  return walkChain(GetObject(object)->parent, [&](int32_t o) { return o == other && o != object; });
}

void Ancestors(int32_t object, std::vector<int32_t>& out) {
  out.clear();
  if (!ObjectExists(object)) return;
  walkChain(GetObject(object)->parent, [&](int32_t o) {
    if (o == object || std::find(out.begin(), out.end(), o) != out.end()) return true;
    out.push_back(o);
    return false;
  });
}

const std::vector<int32_t>& AncestorsOf(int32_t object) {
  static std::vector<std::vector<int32_t>> cache;
  static uint64_t generation = ~uint64_t{0};
  static const std::vector<int32_t> none;
  if (generation != ObjectGeneration()) {
    cache.assign(static_cast<size_t>(ObjectCount()), {});
    for (int32_t o = 0; o < ObjectCount(); ++o) Ancestors(o, cache[static_cast<size_t>(o)]);
    generation = ObjectGeneration();
  }
  if (object < 0 || static_cast<size_t>(object) >= cache.size()) return none;
  return cache[static_cast<size_t>(object)];
}

// ---- records ------------------------------------------------------------------------------------

bool ReadActionRecord(data::CStream& s, CAction& a) {
  if (s.ReadInteger() != kActionVersion) return false;
  a.libraryId = s.ReadInteger();
  a.actionId = s.ReadInteger();
  a.kind = s.ReadInteger();
  a.mayBeRelative = s.ReadBoolean();
  a.isQuestion = s.ReadBoolean();
  a.appliesToSomething = s.ReadBoolean();
  a.executionType = s.ReadInteger();
  a.functionName = s.ReadString();
  a.code = s.ReadString();
  // The count can say anything; only 8 argument slots exist.
  a.argumentCount = std::clamp(s.ReadInteger(), 0, kMaxActionArguments);
  int32_t m = s.ReadInteger();
  for (int32_t i = 0; i < m; ++i) {
    const int32_t kind = s.ReadInteger();
    if (i < kMaxActionArguments) a.argumentKinds[static_cast<size_t>(i)] = kind;
  }
  a.appliesTo = s.ReadInteger();
  a.relative = s.ReadBoolean();
  m = s.ReadInteger();
  for (int32_t i = 0; i < m; ++i) {
    std::string text = s.ReadString();
    if (i < kMaxActionArguments) a.argumentTexts[static_cast<size_t>(i)] = std::move(text);
  }
  a.negate = s.ReadBoolean();
  return true;
}

void WriteActionRecord(data::CStream& s, const CAction& a) {
  s.WriteInteger(kActionVersion);
  s.WriteInteger(a.libraryId);
  s.WriteInteger(a.actionId);
  s.WriteInteger(a.kind);
  s.WriteBoolean(a.mayBeRelative);
  s.WriteBoolean(a.isQuestion);
  s.WriteBoolean(a.appliesToSomething);
  s.WriteInteger(a.executionType);
  s.WriteString(a.functionName);
  s.WriteString(a.code);
  s.WriteInteger(a.argumentCount);
  s.WriteInteger(kMaxActionArguments);
  for (int32_t k : a.argumentKinds) s.WriteInteger(k);
  s.WriteInteger(a.appliesTo);
  s.WriteBoolean(a.relative);
  s.WriteInteger(kMaxActionArguments);
  for (const std::string& t : a.argumentTexts) s.WriteString(t);
  s.WriteBoolean(a.negate);
}

bool ReadObjectRecord(data::CStream& s, CObject& o) {
  if (s.ReadInteger() != kObjectVersion) return false;
  o.sprite = s.ReadInteger();
  o.solid = s.ReadBoolean();
  o.visible = s.ReadBoolean();
  o.depth = s.ReadInteger();
  o.persistent = s.ReadBoolean();
  o.parent = s.ReadInteger();
  o.mask = s.ReadInteger();
  const int32_t lastKind = s.ReadInteger();
  // Only twelve kinds exist; a larger one is damaged data.
  if (lastKind >= kEventKindCount) return false;
  for (int32_t kind = 0; kind <= lastKind; ++kind) {
    for (int32_t number = s.ReadInteger(); number >= 0; number = s.ReadInteger()) {
      CEvent* e = o.eventSlot(kind, number);
      if (s.ReadInteger() != kEventVersion) return false;
      const auto count = data::ReadCount(s, 4);
      if (!count) return false;
      e->actions.clear();
      e->actions.reserve(static_cast<size_t>(*count));
      for (int32_t i = 0; i < *count; ++i) {
        CAction a;
        if (!ReadActionRecord(s, a)) return false;
        e->actions.push_back(std::move(a));
      }
    }
  }
  return true;
}

void WriteObjectRecord(data::CStream& s, const CObject& o) {
  s.WriteInteger(kObjectVersion);
  s.WriteInteger(o.sprite);
  s.WriteBoolean(o.solid);
  s.WriteBoolean(o.visible);
  s.WriteInteger(o.depth);
  s.WriteBoolean(o.persistent);
  s.WriteInteger(o.parent);
  s.WriteInteger(o.mask);
  s.WriteInteger(kEventKindCount - 1);
  for (const auto& kind : o.events) {
    for (const auto& [number, e] : kind) {
      if (!e) continue;
      s.WriteInteger(number);
      s.WriteInteger(kEventVersion);
      s.WriteInteger(static_cast<int32_t>(e->actions.size()));
      for (const CAction& a : e->actions) WriteActionRecord(s, a);
    }
    s.WriteInteger(-1);
  }
}

bool ReadObjectsChunk(data::CStream& s) {
  ClearObjects();
  const bool ok = data::ReadStandardFrame(s, data::Chunk(data::ChunkId::Objects).version,
                                            [](data::FrameSlot& slot) {
    if (!slot.exists) {
      if (ObjectCount() <= slot.index) SetObject(slot.index, {}, nullptr);
      return true;
    }
    auto o = std::make_unique<CObject>();
    if (!ReadObjectRecord(slot.record, *o)) return false;
    SetObject(slot.index, slot.name, std::move(o));
    return true;
  });
  if (!ok) return false;
  // Function names resolve once every object is read (scripts were read before the objects).
  for (int32_t i = 0; i < ObjectCount(); ++i) {
    CObject* o = GetObject(i);
    if (!o) continue;
    for (auto& kind : o->events)
      for (auto& [number, e] : kind)
        for (CAction& a : e->actions) {
          a.functionIndex = code::FindFunction(a.functionName);
          if (a.executionType == exec_function && a.functionIndex < 0)
            code::HandleError("Failed to locate action function " + a.functionName, false);
        }
  }
  return true;
}

// ---- compilation --------------------------------------------------------------------------------

namespace {
std::string takeRecordedError() {
  std::string message = code::errorState().current;
  code::ClearRecordedError();
  return message;
}
}  // namespace

bool CompileAction(CAction& a) {
  if (a.kind == act_variable) {
    a.code = a.argumentTexts[0] + (a.relative ? " += " : " = ") + a.argumentTexts[1];
    a.kind = act_normal;
    a.argumentCount = 0;
  } else if (a.kind == act_code) {
    a.code = a.argumentTexts[0];
    a.kind = act_normal;
    a.argumentCount = 0;
  }
  if (a.executionType == exec_code) {
    a.compiled = std::make_shared<code::CCode>(a.code, false);
    if (!a.compiled->Compile()) {
      code::ReportActionError("COMPILATION ERROR in code action\r" + takeRecordedError(), true);
      return false;
    }
  }
  a.code.clear();
  for (int32_t i = 0; i < a.argumentCount; ++i) {
    const auto k = static_cast<size_t>(i);
    std::string& text = a.argumentTexts[k];
    int32_t& kind = a.argumentKinds[k];
    if (kind == 2) kind = (!text.empty() && (text[0] == '\'' || text[0] == '"')) ? 0 : 1;
    if (kind == 1 || kind == 15) {
      a.argumentConstants[k].setString(std::string_view(text));
      kind = kArgumentConstant;
    } else if (kind != kArgumentConstant) {
      auto expression = std::make_shared<code::CCode>(text, true);
      if (!expression->Compile()) {
        code::ReportActionError("COMPILATION ERROR in argument " + std::to_string(i) + "\r" + takeRecordedError(), true);
        return false;
      }
      if (expression->kind() == code::kConstantExpression) {
        a.argumentConstants[k] = expression->constant();
        kind = kArgumentConstant;
      } else {
        a.argumentCode[k] = std::move(expression);
      }
    }
    text.clear();
  }
  return true;
}

bool CompileObjects() {
  for (int32_t i = 0; i < ObjectCount(); ++i) {
    CObject* o = GetObject(i);
    if (!o) continue;
    for (int32_t kind = 0; kind < kEventKindCount; ++kind)
      for (auto& [number, e] : o->events[static_cast<size_t>(kind)])
        for (size_t n = 0; n < e->actions.size(); ++n) {
          ScopedEventContext context(i, kind, number);
          eventContext().action = static_cast<int32_t>(n);
          if (!CompileAction(e->actions[n])) return false;
        }
  }
  return true;
}

}  // namespace qv::world
