// Question actions and the code actions: each question answers 1 or 0 (the executor applies the
// action's "not"); comparisons take 0 equal to, 1 smaller than, 2 larger than.
#include <cmath>
#include <cstdint>
#include <string>

#include "actions/action_families.h"
#include "actions/relative.h"
#include "code/errors.h"
#include "code/interpreter.h"
#include "code/random.h"
#include "code/registry.h"
#include "code/rounding.h"
#include "motion/collision_search.h"
#include "world/builtins.h"
#include "world/event_performer.h"
#include "world/input.h"
#include "world/instance.h"

namespace qv::actions {

namespace {

using code::BuiltinCall;
using world::CInstance;

// The comparison of a question: 0 equal to, 1 smaller than, 2 larger than; any other operation is
// never true.
template <class T>
bool Compare(const T& a, const T& b, int32_t operation) {
  switch (operation) {
    case 0: return a == b;
    case 1: return a < b;
    case 2: return a > b;
    default: return false;
  }
}

void answer(BuiltinCall& c, bool yes) { c.result = code::truthValue(yes); }

void action_if(BuiltinCall& c) { c.result = c.args[0]; }

// Free of solid instances (against 0) or of every instance (anything else) at the position.
bool emptyAt(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return true;
  const Position p = RelativePosition(*self, c.real(0), c.real(1));
  return IndexArgument(c, 2) == 0 ? motion::PlaceFree(*self, p.x, p.y) : motion::PlaceEmpty(*self, p.x, p.y);
}

void action_if_empty(BuiltinCall& c) { answer(c, emptyAt(c)); }
void action_if_collision(BuiltinCall& c) { answer(c, !emptyAt(c)); }

void action_if_object(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return answer(c, false);
  const Position p = RelativePosition(*self, c.real(1), c.real(2));
  int32_t object = IndexArgument(c, 0);
  // self and other stand for themselves, by id.
  if (object == motion::kSelf) object = self->id;
  else if (object == motion::kOther) object = world::Other(c) ? world::Other(c)->id : motion::kNoone;
  answer(c, motion::PlaceCollision(*self, p.x, p.y, object, false) != nullptr);
}

void action_if_number(BuiltinCall& c) {
  answer(c, Compare<double>(world::InstanceNumber(c, IndexArgument(c, 0)), c.real(1), IndexArgument(c, 2)));
}

// True for up to one side; else a draw below n = 1000 × sides (rounded) that is 1000 or less.
void action_if_dice(BuiltinCall& c) {
  const double sides = c.real(0);
  if (sides <= 1) return answer(c, true);
  const int64_t n = code::roundToInt64(1000 * sides);
  if (n == code::kIndefiniteInteger) return answer(c, false);
  const uint32_t range = n > int64_t{UINT32_MAX} ? UINT32_MAX : static_cast<uint32_t>(n);
  answer(c, code::RandomInteger(range) <= 1000);
}

// Buttons 1 to 3: held, or released in this step; any other value: no button held.
void action_if_mouse(BuiltinCall& c) {
  const world::InputState& in = world::input();
  const int64_t button = code::roundToInt64(c.real(0));
  if (button >= 1 && button <= 3) {
    const auto k = static_cast<size_t>(button);
    return answer(c, in.buttonDown[k] || in.buttonReleased[k]);
  }
  answer(c, !in.buttonDown[1] && !in.buttonDown[2] && !in.buttonDown[3]);
}

bool alignedTo(double coordinate, double snap) {
  return snap <= 0 || std::fabs(coordinate - std::nearbyint(coordinate / snap) * snap) < 0.001;
}

void action_if_aligned(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  answer(c, self && alignedTo(self->x, c.real(0)) && alignedTo(self->y, c.real(1)));
}

// Two reals or two strings (strings by character codes, case-sensitive); mixed kinds cannot be
// compared.
void action_if_variable(BuiltinCall& c) {
  const code::RValue &a = c.args[0], &b = c.args[1];
  const int32_t operation = IndexArgument(c, 2);
  if (a.isString() && b.isString()) return answer(c, Compare(a.str, b.str, operation));
  if (!a.isString() && !b.isString()) return answer(c, Compare(a.real, b.real, operation));
  code::ReportActionError("Cannot compare arguments.");
  answer(c, false);
}

// ---- code and variables ----

// The script's result is the action's; a failure inside is reported and the game goes on.
void action_execute_script(BuiltinCall& c) {
  const int32_t script = IndexArgument(c, 0);
  if (!code::ScriptExists(script)) {
    code::ReportActionError("Trying to execute non-existing script.");
    return;
  }
  if (!code::CallScript(script, c.self, c.other, c.result, c.args + 1, c.argc - 1)) {
    const std::string message = code::errorState().current;
    code::ClearRecordedError();
    code::ReportActionError(message);
  }
}

void action_inherited(BuiltinCall& c) { world::PerformInherited(world::Self(c), world::Other(c)); }

constexpr code::BuiltinFunction kQuestionActions[] = {
    {"action_if", action_if, 1},
    {"action_if_empty", action_if_empty, 3},
    {"action_if_collision", action_if_collision, 3},
    {"action_if_object", action_if_object, 3},
    {"action_if_number", action_if_number, 3},
    {"action_if_dice", action_if_dice, 1},
    {"action_if_mouse", action_if_mouse, 1},
    {"action_if_aligned", action_if_aligned, 2},
    {"action_if_variable", action_if_variable, 3},
    {"action_execute_script", action_execute_script, 6},
    {"action_inherited", action_inherited, 0},
};

}  // namespace

code::BuiltinFamily QuestionActions() { return kQuestionActions; }

}  // namespace qv::actions
