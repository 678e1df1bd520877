// The action library: the `action_*` built-ins that drag-and-drop actions call, one family per
// theme, each member a thin adapter over its subsystem's own function.
#pragma once

#include "code/builtin.h"

namespace qv::actions {

code::BuiltinFamily MotionActions();  // moving, speeds, gravity, friction, positions

}  // namespace qv::actions
