// Time lines: lists of moments (a step and an action list) that instances run through as their
// time-line position advances.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "code/builtin.h"
#include "world/object.h"

namespace qv::data {
class CStream;
}

namespace qv::world {

class CInstance;

// The event kind that marks a running moment in the event context.
inline constexpr int32_t kTimeLineEventKind = 100000;

struct CTimeLine {
  // Ascending and unique steps; moments[i] belongs to steps[i]. Moments are shared so that a
  // moment that is running stays alive when game code clears it.
  std::vector<int32_t> steps;
  std::vector<EventRef> moments;

  int32_t count() const { return static_cast<int32_t>(steps.size()); }
  // -1 without moments; the count when every step is below position; else the first step >= position.
  int32_t FirstAtOrAfter(double position) const;
  // -1 without moments or when the first step is above position; else the last step <= position.
  int32_t LastAtOrBefore(double position) const;
  // The moment at `step`, made in its sorted place when missing.
  CEvent& MomentAt(int32_t step);
};

std::vector<std::unique_ptr<CTimeLine>>& timeLines();
std::vector<std::string>& timeLineNames();
bool TimeLineExists(int32_t index);
CTimeLine* GetTimeLine(int32_t index);
std::string TimeLineName(int32_t index);  // "<undefined>" for a missing one
int32_t FindTimeLine(std::string_view name);

// Record version 500: count, then step and event record per moment.
bool ReadTimeLineRecord(data::CStream& s, CTimeLine& timeLine);
void WriteTimeLineRecord(data::CStream& s, const CTimeLine& timeLine);
bool ReadTimeLinesChunk(data::CStream& s);

bool CompileTimeLines();
void PerformMoment(CInstance* self, CInstance* other, int32_t timeLine, int32_t k);
// Stage 6 of the step for one instance.
void AdvanceTimeLine(CInstance& instance);
// Whether any time line has a moment: without one, advancing an instance's time line does nothing.
bool AnyTimeLineMoments();

// timeline_* functions.
code::BuiltinFamily TimeLineFunctions();

}  // namespace qv::world
