// Members whose capability this runner does not have yet (particles, motion planning, messages,
// questions, the highscore table and splash screens), and the members old games still
// call that do nothing at all.
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

constexpr std::string_view kParticles = "particle systems are";
constexpr std::string_view kMotionPlanning = "motion planning is";
constexpr std::string_view kMessages = "the message window is";
constexpr std::string_view kSplash = "the splash screen is";
constexpr std::string_view kHighscore = "the highscore table is";

QV_MISSING(action_partsyst_create, kParticles)
QV_MISSING(action_partsyst_destroy, kParticles)
QV_MISSING(action_partsyst_clear, kParticles)
QV_MISSING(action_parttype_create, kParticles)
QV_MISSING(action_parttype_create_old, kParticles)
QV_MISSING(action_parttype_color, kParticles)
QV_MISSING(action_parttype_life, kParticles)
QV_MISSING(action_parttype_speed, kParticles)
QV_MISSING(action_parttype_gravity, kParticles)
QV_MISSING(action_parttype_secondary, kParticles)
QV_MISSING(action_partemit_create, kParticles)
QV_MISSING(action_partemit_destroy, kParticles)
QV_MISSING(action_partemit_burst, kParticles)
QV_MISSING(action_partemit_stream, kParticles)
QV_MISSING(action_effect, kParticles)
QV_MISSING(action_linear_step, kMotionPlanning)
QV_MISSING(action_potential_step, kMotionPlanning)
QV_MISSING(action_message, kMessages)
QV_MISSING(action_if_question, kMessages)
QV_MISSING(action_show_video, kSplash)
QV_MISSING(action_splash_video, kSplash)
QV_MISSING(action_splash_text, kSplash)
QV_MISSING(action_splash_image, kSplash)
QV_MISSING(action_splash_web, kSplash)
QV_MISSING(action_splash_settings, kSplash)
QV_MISSING(action_highscore_show, kHighscore)
QV_MISSING(action_highscore_clear, kHighscore)

#undef QV_MISSING

// Kept for old games: registered, and they do nothing.
void nothing(BuiltinCall&) {}

constexpr code::BuiltinFunction kUnbuiltActions[] = {
    {"action_partsyst_create", action_partsyst_create, 1},
    {"action_partsyst_destroy", action_partsyst_destroy, 0},
    {"action_partsyst_clear", action_partsyst_clear, 0},
    {"action_parttype_create", action_parttype_create, 6},
    {"action_parttype_create_old", action_parttype_create_old, 6},
    {"action_parttype_color", action_parttype_color, 6},
    {"action_parttype_life", action_parttype_life, 3},
    {"action_parttype_speed", action_parttype_speed, 6},
    {"action_parttype_gravity", action_parttype_gravity, 3},
    {"action_parttype_secondary", action_parttype_secondary, 5},
    {"action_partemit_create", action_partemit_create, 6},
    {"action_partemit_destroy", action_partemit_destroy, 1},
    {"action_partemit_burst", action_partemit_burst, 3},
    {"action_partemit_stream", action_partemit_stream, 3},
    {"action_effect", action_effect, 6},
    {"action_linear_step", action_linear_step, 4},
    {"action_potential_step", action_potential_step, 4},
    {"action_message", action_message, 1},
    {"action_if_question", action_if_question, 1},
    {"action_show_video", action_show_video, 3},
    {"action_splash_video", action_splash_video, 2},
    {"action_splash_text", action_splash_text, 1},
    {"action_splash_image", action_splash_image, 1},
    {"action_splash_web", action_splash_web, 2},
    {"action_splash_settings", action_splash_settings, 5},
    {"action_highscore_show", action_highscore_show, 5},
    {"action_highscore_clear", action_highscore_clear, 0},
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
