#include "world/event_performer.h"

#include <array>

#include "code/builtin.h"
#include "code/builtin_variables.h"
#include "code/errors.h"
#include "code/interpreter.h"
#include "code/registry.h"
#include "world/game_world.h"
#include "world/instance.h"
#include "world/time_line.h"
#include "world/transfer.h"
#include "world/trigger.h"

namespace qv::world {

namespace {
int32_t& contextDepth() {
  static int32_t depth = 0;
  return depth;
}
}  // namespace

EventContext& eventContext() {
  static EventContext context;
  return context;
}
bool& argumentRelative() {
  static bool relative = false;
  return relative;
}
int32_t& transferRequest() {
  static int32_t request = kTransferNone;
  return request;
}

ScopedEventContext::ScopedEventContext(int32_t object, int32_t kind, int32_t number) {
  EventContext& c = eventContext();
  object_ = c.object;
  kind_ = c.kind;
  number_ = c.number;
  c.object = object;
  c.kind = kind;
  c.number = number;
  ++contextDepth();
}

ScopedEventContext::~ScopedEventContext() {
  EventContext& c = eventContext();
  c.object = object_;
  c.kind = kind_;
  c.number = number_;
  --contextDepth();
}

// ---- the executor -------------------------------------------------------------------------------
//
// Walks one event's actions by index. Every step returns the next index to execute; `stop` is set
// by exit and by a pending transfer, and ends the whole list through blocks and repeats.
namespace {

class Executor {
 public:
  Executor(CInstance* self, CInstance* other, const CEvent& event)
      : self_(self), other_(other), actions_(event.actions), end_(actions_.size()) {}

  void run() {
    for (size_t i = 0; i < end_ && !stop_;) i = one(i);
  }

 private:
  size_t one(size_t i) {
    if (i >= end_ || stop_) return end_;
    if (TransferPending()) return halt();
    const CAction& a = actions_[i];
    size_t next;
    if (a.kind == act_begin) next = block(i);
    else if (a.kind == act_repeat) next = repeat(i);
    else if (a.isQuestion) next = question(i);
    else next = normal(i);
    if (TransferPending()) return halt();
    return next;
  }

  size_t halt() {
    stop_ = true;
    return end_;
  }

  size_t block(size_t i) {
    size_t j = i + 1;
    while (j < end_ && !stop_ && actions_[j].kind != act_end) j = one(j);
    if (stop_ || j >= end_) return end_;
    return j + 1;
  }

  size_t repeat(size_t i) {
    code::RValue count;
    evaluateArgument(actions_[i], 0, self_, other_, count);
    const int64_t r = code::roundToInt64(count.real);
    for (int64_t k = 0; k < r && !stop_; ++k) one(i + 1);
    return stop_ ? end_ : skip(i + 1);
  }

  size_t question(size_t i) {
    const bool truth = ask(i);
    if (stop_) return end_;
    size_t next = truth ? one(i + 1) : skip(i + 1);
    if (stop_) return end_;
    if (next < end_ && actions_[next].kind == act_else) next = truth ? skip(next + 1) : one(next + 1);
    return stop_ ? end_ : next;
  }

  // Past the end stays there; a block is skipped whole, a question with what it guards, a repeat
  // with what it repeats; anything else is one action.
  size_t skip(size_t i) const {
    if (i >= end_) return end_;
    const CAction& a = actions_[i];
    if (a.kind == act_begin) {
      int depth = 1;
      size_t j = i + 1;
      for (; j < end_ && depth > 0; ++j) {
        if (actions_[j].kind == act_begin) ++depth;
        else if (actions_[j].kind == act_end) --depth;
      }
      return depth == 0 ? j : end_;
    }
    if (a.isQuestion || a.kind == act_repeat) return skip(i + 1);
    return i + 1;
  }

  size_t normal(size_t i) {
    eventContext().action = static_cast<int32_t>(i);
    const CAction& a = actions_[i];
    if (a.kind == act_exit) return halt();
    forTargets(a, [&](CInstance* self, CInstance* other) {
      code::RValue unused;
      runAction(a, self, other, unused);
      return true;
    });
    return i + 1;
  }

  bool ask(size_t i) {
    eventContext().action = static_cast<int32_t>(i);
    const CAction& a = actions_[i];
    bool all = true;
    forTargets(a, [&](CInstance* self, CInstance* other) {
      code::RValue result;
      runAction(a, self, other, result);
      bool truth = result.kind == code::ty_real && result.real >= 0.5;
      if (a.negate) truth = !truth;
      all = truth;
      return truth;
    });
    return all;
  }

  // Calls f(self, other) for the action's targets until it returns false.
  template <class F>
  void forTargets(const CAction& a, F f) {
    if (!a.appliesToSomething || a.appliesTo == -1) {
      f(self_, other_);
      return;
    }
    if (a.appliesTo == -2) {
      f(other_, self_);
      return;
    }
    if (a.appliesTo < 0 || a.appliesTo >= ObjectCount()) return;
    // Walk by position against the live list: code may add to it while it runs.
    const int32_t object = a.appliesTo;
    for (size_t k = 0;; ++k) {
      const auto& list = CurrentRoom().InstancesOf(object);
      if (k >= list.size() || TransferPending()) return;
      CInstance* in = list[k];
      if (in->destroyed) continue;
      if (!f(in, other_)) return;
    }
  }

  static void evaluateArgument(const CAction& a, size_t k, CInstance* self, CInstance* other, code::RValue& out) {
    if (a.argumentKinds[k] == kArgumentConstant || !a.argumentCode[k]) {
      out = a.argumentConstants[k];
      return;
    }
    code::ExecuteAction(*a.argumentCode[k], self, other, out);
  }

  void runAction(const CAction& a, CInstance* self, CInstance* other, code::RValue& result) {
    argumentRelative() = a.mayBeRelative && a.relative;
    // The common case, a code action without arguments, needs no argument tables.
    if (a.executionType == exec_code && a.argumentCount == 0) {
      if (!a.compiled) return;
      const bool relative = argumentRelative();
      code::ExecuteAction(*a.compiled, self, other, result);
      argumentRelative() = relative;
      return;
    }
    std::array<code::RValue, kMaxActionArguments> args;
    const auto argc = static_cast<size_t>(a.argumentCount);
    for (size_t k = 0; k < argc; ++k) evaluateArgument(a, k, self, other, args[k]);
    if (a.executionType == exec_function) {
      callFunction(a.functionIndex, self, other, args.data(), static_cast<int>(argc), result);
    } else if (a.executionType == exec_code && a.compiled) {
      code::RValue* table = code::scriptArguments();
      std::array<code::RValue, kMaxActionArguments> saved;
      for (size_t k = 0; k < argc; ++k) {
        saved[k] = std::move(table[k]);
        table[k] = args[k];
      }
      const bool relative = argumentRelative();
      code::ExecuteAction(*a.compiled, self, other, result);
      for (size_t k = 0; k < argc; ++k) table[k] = std::move(saved[k]);
      argumentRelative() = relative;
    }
  }

  // Through the same call as code's; a script that fails reports its message as the action's
  // error, and an index that names nothing (an unresolved action function) does nothing.
  static void callFunction(int32_t index, CInstance* self, CInstance* other, const code::RValue* args,
                           int argc, code::RValue& result) {
    if (code::CallFunction(index, self, other, result, args, argc)) return;
    if (index < code::kScriptIndexBase || index >= code::kExtensionIndexBase) return;
    const std::string message = code::errorState().current;
    code::ClearRecordedError();
    if (!message.empty()) code::ReportActionError(message, false);
  }

  CInstance* self_;
  CInstance* other_;
  const std::vector<CAction>& actions_;
  size_t end_;
  bool stop_ = false;
};

}  // namespace

void ExecuteActions(CInstance* self, CInstance* other, const CEvent& event) {
  // The usual event of a step, one code action without arguments for the instance itself, takes
  // the executor's steps for it directly: the transfer check, the action's number, the relative
  // flag set for the code and restored after it.
  if (event.actions.size() == 1) {
    const CAction& a = event.actions[0];
    if (a.kind != act_begin && a.kind != act_repeat && a.kind != act_exit && !a.isQuestion &&
        a.executionType == exec_code && a.argumentCount == 0 && (!a.appliesToSomething || a.appliesTo == -1)) {
      if (TransferPending()) return;
      eventContext().action = 0;
      argumentRelative() = a.mayBeRelative && a.relative;
      if (!a.compiled) return;
      const bool relative = argumentRelative();
      code::RValue unused;
      code::ExecuteAction(*a.compiled, self, other, unused);
      argumentRelative() = relative;
      return;
    }
  }
  Executor(self, other, event).run();
}

void PerformEvent(CInstance* self, CInstance* other, int32_t object, int32_t kind, int32_t number) {
  if (TransferPending()) return;
  const InheritedEvent found = FindEventInherited(object, kind, number);
  if (!found.event) return;
  // The event stays alive while it runs, even if game code clears or replaces it.
  const EventRef event = *found.event;
  ScopedEventContext context(found.owner, kind, number);
  ExecuteActions(self, other, *event);
}

void PerformEventFor(CInstance* instance, CInstance* other, int32_t kind, int32_t number) {
  if (instance) PerformEvent(instance, other, instance->objectIndex, kind, number);
}

void PerformEventForAll(int32_t kind, int32_t number) {
  const size_t count = CurrentRoom().instances.size();
  for (size_t k = 0; k < count; ++k) {
    auto& list = CurrentRoom().instances;
    if (k >= list.size()) return;
    CInstance* in = list[k].get();
    if (!in->destroyed) PerformEvent(in, in, in->objectIndex, kind, number);
  }
}

// ---- dispatch tables ------------------------------------------------------------------------------

namespace {
std::array<std::vector<std::vector<int32_t>>, kEventKindCount>& tables() {
  static std::array<std::vector<std::vector<int32_t>>, kEventKindCount> t;
  return t;
}
}  // namespace

int32_t DispatchRange(int32_t kind) {
  switch (kind) {
    case ev_create: case ev_destroy: case ev_draw: return 1;
    case ev_alarm: return 13;
    case ev_step: return 17;
    case ev_keyboard: case ev_mouse: case ev_other: case ev_keypress: case ev_keyrelease: return 129;
    case ev_trigger: return static_cast<int32_t>(triggers().size());
    default: return 0;  // collisions use the pair list
  }
}

void RebuildDispatchTables() {
  auto& t = tables();
  for (int32_t kind = 0; kind < kEventKindCount; ++kind) {
    auto& lists = t[static_cast<size_t>(kind)];
    lists.assign(static_cast<size_t>(DispatchRange(kind)), {});
    for (int32_t number = 0; number < static_cast<int32_t>(lists.size()); ++number)
      for (int32_t o = 0; o < ObjectCount(); ++o)
        if (ObjectExists(o) && FindEventInherited(o, kind, number).event)
          lists[static_cast<size_t>(number)].push_back(o);
  }
}

const std::vector<int32_t>& DispatchList(int32_t kind, int32_t number) {
  static const std::vector<int32_t> none;
  if (kind < 0 || kind >= kEventKindCount) return none;
  const auto& lists = tables()[static_cast<size_t>(kind)];
  if (number < 0 || static_cast<size_t>(number) >= lists.size()) return none;
  return lists[static_cast<size_t>(number)];
}

void InstallEventHooks() {
  code::SetActionHeaderSource([](code::ActionHeader& header) {
    if (contextDepth() <= 0) return false;
    const EventContext& c = eventContext();
    header.actionNumber = c.action;
    header.timeLine = c.kind == kTimeLineEventKind;
    if (header.timeLine) {
      header.step = c.number;
      header.timeLineName = TimeLineName(c.object);
      return true;
    }
    header.eventName = EventName(c.kind, c.number);
    header.objectName = ObjectName(c.object);
    return true;
  });
  code::SetAbortHandler([] { transferRequest() = kTransferAbort; });
}

}  // namespace qv::world
