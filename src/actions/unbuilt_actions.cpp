// Members whose capability this runner does not have yet (splash screens), and the members old games still call that do nothing at all.
//
// A member without its capability reports, non-fatally, which capability is missing and leaves
// the result 0, so a game that uses it learns why nothing happened.
#include <string>
#include <string_view>

#include "actions/action_families.h"
#include "code/errors.h"

namespace qv::actions {

namespace {

using code::BuiltinCall;

void reportMissing(std::string_view member, std::string_view capability) {
  code::ReportActionError(std::string(member) + ": " + std::string(capability) + " not available in this runner yet.");
}

#define QV_MISSING(member, capability) \
  void member(BuiltinCall&) { reportMissing(#member, capability); }

constexpr std::string_view kSplash = "the splash screen is";

QV_MISSING(action_show_video, kSplash)
QV_MISSING(action_splash_video, kSplash)
QV_MISSING(action_splash_text, kSplash)
QV_MISSING(action_splash_image, kSplash)
QV_MISSING(action_splash_web, kSplash)
QV_MISSING(action_splash_settings, kSplash)

#undef QV_MISSING

// Kept for old games: registered, and they do nothing.
void nothing(BuiltinCall&) {}

constexpr code::BuiltinFunction kUnbuiltActions[] = {
    {"action_show_video", action_show_video, 3},
    {"action_splash_video", action_splash_video, 2},
    {"action_splash_text", action_splash_text, 1},
    {"action_splash_image", action_splash_image, 1},
    {"action_splash_web", action_splash_web, 2},
    {"action_splash_settings", action_splash_settings, 5},
    {"action_path_old", nothing, code::kAnyArguments},
    {"action_draw_font", nothing, code::kAnyArguments},
    {"action_draw_font_old", nothing, code::kAnyArguments},
    {"action_fill_color", nothing, code::kAnyArguments},
    {"action_line_color", nothing, code::kAnyArguments},
    {"action_highscore", nothing, code::kAnyArguments},
};

}  // namespace

code::BuiltinFamily UnbuiltActions() { return kUnbuiltActions; }

}  // namespace qv::actions
