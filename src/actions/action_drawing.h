// What the drawing members of several families share: positions relative to self under the
// relative option, and text in the current colour, alpha, font and alignment.
#pragma once

#include <string>

#include "actions/relative.h"
#include "code/builtin.h"

namespace qv::actions {

// A drawing position: relative to self with the option (as given when there is no self).
Position DrawPosition(const code::BuiltinCall& c, double x, double y);
void DrawActionText(double x, double y, const std::string& text);

}  // namespace qv::actions
