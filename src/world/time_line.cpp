#include "world/time_line.h"

#include <algorithm>

#include "code/builtin.h"
#include "code/errors.h"
#include "code/registry.h"
#include "data/container.h"
#include "data/stream.h"
#include "world/event_performer.h"
#include "world/instance.h"
#include "world/transfer.h"

namespace qv::world {

namespace {
constexpr int32_t kTimeLineVersion = 500;
constexpr int32_t kEventVersion = 400;
}  // namespace

int32_t CTimeLine::FirstAtOrAfter(double position) const {
  if (steps.empty()) return -1;
  if (steps.back() < position) return count();
  return static_cast<int32_t>(std::lower_bound(steps.begin(), steps.end(), position,
                                               [](int32_t step, double p) { return step < p; }) - steps.begin());
}

int32_t CTimeLine::LastAtOrBefore(double position) const {
  if (steps.empty() || steps.front() > position) return -1;
  return static_cast<int32_t>(std::upper_bound(steps.begin(), steps.end(), position,
                                               [](double p, int32_t step) { return p < step; }) - steps.begin()) - 1;
}

CEvent& CTimeLine::MomentAt(int32_t step) {
  auto it = std::lower_bound(steps.begin(), steps.end(), step);
  const auto at = it - steps.begin();
  if (it == steps.end() || *it != step) {
    steps.insert(it, step);
    moments.insert(moments.begin() + at, std::make_shared<CEvent>());
  }
  return *moments[static_cast<size_t>(at)];
}

std::vector<std::unique_ptr<CTimeLine>>& timeLines() {
  static std::vector<std::unique_ptr<CTimeLine>> list;
  return list;
}
std::vector<std::string>& timeLineNames() {
  static std::vector<std::string> names;
  return names;
}
bool TimeLineExists(int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < timeLines().size() && timeLines()[static_cast<size_t>(index)];
}
CTimeLine* GetTimeLine(int32_t index) { return TimeLineExists(index) ? timeLines()[static_cast<size_t>(index)].get() : nullptr; }
std::string TimeLineName(int32_t index) { return TimeLineExists(index) ? timeLineNames()[static_cast<size_t>(index)] : "<undefined>"; }
int32_t FindTimeLine(std::string_view name) {
  for (size_t i = 0; i < timeLines().size(); ++i)
    if (timeLines()[i] && timeLineNames()[i] == name) return static_cast<int32_t>(i);
  return -1;
}

bool ReadTimeLineRecord(data::CStream& s, CTimeLine& t) {
  if (s.ReadInteger() != kTimeLineVersion) return false;
  const auto count = data::ReadCount(s, 12);
  if (!count) return false;
  for (int32_t i = 0; i < *count; ++i) {
    const int32_t step = s.ReadInteger();
    CEvent& moment = t.MomentAt(step);  // kept sorted and unique whatever the data says
    if (s.ReadInteger() != kEventVersion) return false;
    const auto actions = data::ReadCount(s, 4);
    if (!actions) return false;
    for (int32_t k = 0; k < *actions; ++k) {
      CAction a;
      if (!ReadActionRecord(s, a)) return false;
      moment.actions.push_back(std::move(a));
    }
  }
  return true;
}

void WriteTimeLineRecord(data::CStream& s, const CTimeLine& t) {
  s.WriteInteger(kTimeLineVersion);
  s.WriteInteger(t.count());
  for (size_t i = 0; i < t.steps.size(); ++i) {
    s.WriteInteger(t.steps[i]);
    s.WriteInteger(kEventVersion);
    s.WriteInteger(static_cast<int32_t>(t.moments[i]->actions.size()));
    for (const CAction& a : t.moments[i]->actions) WriteActionRecord(s, a);
  }
}

bool ReadTimeLinesChunk(data::CStream& s) {
  timeLines().clear();
  timeLineNames().clear();
  return data::ReadStandardFrame(s, data::Chunk(data::ChunkId::TimeLines).version, [](data::FrameSlot& slot) {
    const auto index = static_cast<size_t>(slot.index);
    if (timeLines().size() <= index) {
      timeLines().resize(index + 1);
      timeLineNames().resize(index + 1);
    }
    if (!slot.exists) return true;
    auto t = std::make_unique<CTimeLine>();
    if (!ReadTimeLineRecord(slot.record, *t)) return false;
    // Function names resolve here rather than in the record reader, so that tools can read
    // records without the function table.
    for (auto& moment : t->moments)
      for (CAction& a : moment->actions) {
        a.functionIndex = code::FindFunction(a.functionName);
        if (a.executionType == exec_function && a.functionIndex < 0)
          code::HandleError("Failed to locate action function " + a.functionName, false);
      }
    timeLines()[index] = std::move(t);
    timeLineNames()[index] = slot.name;
    return true;
  });
}

bool CompileTimeLines() {
  for (size_t i = 0; i < timeLines().size(); ++i) {
    CTimeLine* t = timeLines()[i].get();
    if (!t) continue;
    for (size_t m = 0; m < t->moments.size(); ++m) {
      auto& actions = t->moments[m]->actions;
      for (size_t n = 0; n < actions.size(); ++n) {
        ScopedEventContext context(static_cast<int32_t>(i), kTimeLineEventKind, t->steps[m]);
        eventContext().action = static_cast<int32_t>(n);
        if (!CompileAction(actions[n])) return false;
      }
    }
  }
  return true;
}

void PerformMoment(CInstance* self, CInstance* other, int32_t timeLine, int32_t k) {
  if (TransferPending()) return;
  const CTimeLine* t = GetTimeLine(timeLine);
  if (!t || k < 0 || k >= t->count()) return;
  const EventRef moment = t->moments[static_cast<size_t>(k)];
  const int32_t step = t->steps[static_cast<size_t>(k)];
  ScopedEventContext context(timeLine, kTimeLineEventKind, step);
  ExecuteActions(self, other, *moment);
}

bool AnyTimeLineMoments() {
  for (const auto& t : timeLines())
    if (t && t->count() > 0) return true;
  return false;
}

void AdvanceTimeLine(CInstance& in) {
  const CTimeLine* t = GetTimeLine(in.timelineIndex);
  if (in.timelineIndex < 0 || !t || t->count() == 0 || !in.timelineRunning || in.timelineSpeed == 0) return;
  const int32_t index = in.timelineIndex;
  if (in.timelineSpeed > 0) {
    const int32_t a = t->FirstAtOrAfter(in.timelinePosition);
    in.timelinePosition += in.timelineSpeed;
    const int32_t b = t->FirstAtOrAfter(in.timelinePosition);
    for (int32_t k = a; k < b; ++k) PerformMoment(&in, &in, index, k);
    // Game code may have changed or deleted the time line meanwhile.
    const CTimeLine* now = GetTimeLine(index);
    if (now && now->count() > 0 && now->steps.back() < in.timelinePosition && in.timelineLoop) in.timelinePosition = 0;
  } else {
    const int32_t a = t->LastAtOrBefore(in.timelinePosition);
    in.timelinePosition += in.timelineSpeed;
    const int32_t b = t->LastAtOrBefore(in.timelinePosition);
    for (int32_t k = a; k > b; --k) PerformMoment(&in, &in, index, k);
    const CTimeLine* now = GetTimeLine(index);
    if (now && now->count() > 0 && in.timelinePosition < 0 && in.timelineLoop) in.timelinePosition = now->steps.back();
  }
}

// ---- timeline_* ----

namespace {

using code::BuiltinCall;

void timeline_exists(BuiltinCall& c) { c.result.setReal(code::truthValue(TimeLineExists(c.integer(0)))); }
void timeline_name(BuiltinCall& c) { c.result.setString(TimeLineName(c.integer(0))); }
void timeline_add(BuiltinCall& c) {
  const auto index = static_cast<int32_t>(timeLines().size());
  timeLines().push_back(std::make_unique<CTimeLine>());
  timeLineNames().push_back("__newtimeline" + std::to_string(index));
  c.result.setReal(index);
}
void timeline_delete(BuiltinCall& c) {
  const int32_t index = c.integer(0);
  if (!TimeLineExists(index)) {
    code::ReportActionError("Trying to delete non-existing timeline.");
    return;
  }
  timeLines()[static_cast<size_t>(index)].reset();
  timeLineNames()[static_cast<size_t>(index)].clear();
}
void timeline_clear(BuiltinCall& c) {
  if (CTimeLine* t = GetTimeLine(c.integer(0))) {
    t->steps.clear();
    t->moments.clear();
  }
}
void timeline_moment_clear(BuiltinCall& c) {
  CTimeLine* t = GetTimeLine(c.integer(0));
  if (!t) return;
  auto it = std::find(t->steps.begin(), t->steps.end(), c.integer(1));
  if (it == t->steps.end()) return;
  const auto at = it - t->steps.begin();
  t->steps.erase(it);
  t->moments.erase(t->moments.begin() + at);
}
void timeline_moment_add(BuiltinCall& c) {
  CTimeLine* t = GetTimeLine(c.integer(0));
  if (!t) return;
  CAction action = CodeAction(c.string(2));
  if (!CompileAction(action)) return;
  const int32_t step = c.integer(1);
  t->MomentAt(step);
  // Copy on write: a running moment keeps its own list.
  auto it = std::lower_bound(t->steps.begin(), t->steps.end(), step);
  EventRef& slot = t->moments[static_cast<size_t>(it - t->steps.begin())];
  auto grown = std::make_shared<CEvent>(*slot);
  grown->actions.push_back(std::move(action));
  slot = std::move(grown);
}

constexpr code::BuiltinFunction kTimeLineFunctions[] = {
    {"timeline_exists", timeline_exists, 1},
    {"timeline_name", timeline_name, 1},
    {"timeline_get_name", timeline_name, 1},
    {"timeline_add", timeline_add, 0},
    {"timeline_delete", timeline_delete, 1},
    {"timeline_clear", timeline_clear, 1},
    {"timeline_moment_clear", timeline_moment_clear, 2},
    {"timeline_moment_add", timeline_moment_add, 3},
};

}  // namespace

code::BuiltinFamily TimeLineFunctions() { return kTimeLineFunctions; }

}  // namespace qv::world
