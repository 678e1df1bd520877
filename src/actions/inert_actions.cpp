// Members old games still call that do nothing at all: registered, so that the games run.
#include "actions/action_families.h"

namespace qv::actions {

namespace {

void nothing(code::BuiltinCall&) {}

constexpr code::BuiltinFunction kInertActions[] = {
    {"action_path_old", nothing, code::kAnyArguments},
    {"action_draw_font", nothing, code::kAnyArguments},
    {"action_draw_font_old", nothing, code::kAnyArguments},
    {"action_fill_color", nothing, code::kAnyArguments},
    {"action_line_color", nothing, code::kAnyArguments},
    {"action_highscore", nothing, code::kAnyArguments},
};

}  // namespace

code::BuiltinFamily InertActions() { return kInertActions; }

}  // namespace qv::actions
