// Instance and sprite actions: creating, changing and destroying instances, and the sprite an
// instance shows with its scale, angle, blend colour and alpha.
#include <cstdint>
#include <filesystem>
#include <cctype>
#include <string>
#include <string_view>

#include "actions/action_families.h"
#include "actions/relative.h"
#include "code/errors.h"
#include "code/random.h"
#include "graphics/background.h"
#include "graphics/builtins.h"
#include "graphics/seams.h"
#include "graphics/sprite.h"
#include "motion/collision_builtins.h"
#include "world/bounding_box.h"
#include "world/instances.h"
#include "world/motion_setters.h"
#include "world/object.h"

namespace qv::actions {

namespace {

using code::BuiltinCall;
using world::CInstance;

// action_create_object(object, x, y): the position relative to self with the option.
void createAt(BuiltinCall& c, int32_t object, double x, double y) {
  CInstance* self = world::Self(c);
  const Position p = self ? RelativePosition(*self, x, y) : Position{x, y};
  world::CreateInstance(object, p.x, p.y);
}

void action_create_object(BuiltinCall& c) { createAt(c, IndexArgument(c, 0), c.real(1), c.real(2)); }

// The new instance gets its speed and then its direction before its create event runs.
void action_create_object_motion(BuiltinCall& c) {
  const int32_t object = IndexArgument(c, 0);
  CInstance* self = world::Self(c);
  const Position p = self ? RelativePosition(*self, c.real(1), c.real(2)) : Position{c.real(1), c.real(2)};
  const double speed = c.real(3), direction = c.real(4);
  world::CreateInstanceWith(object, p.x, p.y, [&](CInstance& in) {
    world::SetSpeed(in, speed);
    world::SetDirection(in, direction);
  });
}

// One of the existing objects among the four, drawn uniformly (draws repeat until an existing one
// comes up); nothing, and no draw, when none exists.
void action_create_object_random(BuiltinCall& c) {
  int32_t objects[4];
  bool any = false;
  for (int k = 0; k < 4; ++k) {
    objects[k] = IndexArgument(c, k);
    any = any || world::ObjectExists(objects[k]);
  }
  if (!any) return;
  int32_t chosen;
  do {
    chosen = objects[code::RandomInteger(4)];
  } while (!world::ObjectExists(chosen));
  createAt(c, chosen, c.real(4), c.real(5));
}

void action_change_object(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) world::ChangeInstance(*self, IndexArgument(c, 0), c.truth(1));
}

void action_kill_object(BuiltinCall& c) {
  if (CInstance* self = world::Self(c)) world::DestroyInstance(*self);
}

void action_kill_position(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  const Position p = self ? RelativePosition(*self, c.real(0), c.real(1)) : Position{c.real(0), c.real(1)};
  motion::PositionDestroy(p.x, p.y);
}

// ---- sprites ----

void action_sprite_set(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  world::SetSprite(*self, IndexArgument(c, 0));
  if (c.real(1) >= 0) self->imageIndex = c.real(1);
  self->imageSpeed = c.real(2);
}

void action_set_sprite(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  world::SetSprite(*self, IndexArgument(c, 0));
  const double scale = c.real(1);
  if (scale > 0) {
    world::SetImageXscale(*self, scale);
    world::SetImageYscale(*self, scale);
  }
}

// Mirror: 0 none, 1 horizontal, 2 vertical, 3 both.
void action_sprite_transform(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  const int32_t mirror = IndexArgument(c, 3);
  const double xs = c.real(0), ys = c.real(1);
  world::SetImageXscale(*self, mirror == 1 || mirror == 3 ? -xs : xs);
  world::SetImageYscale(*self, mirror == 2 || mirror == 3 ? -ys : ys);
  world::SetImageAngle(*self, c.real(2));
}

void action_sprite_color(BuiltinCall& c) {
  CInstance* self = world::Self(c);
  if (!self) return;
  self->imageBlend = c.integer(0);
  self->imageAlpha = c.real(1);
}

// The file's extension, compared without regard to case.
bool HasExtension(const std::string& name, std::string_view extension) {
  if (name.size() < extension.size()) return false;
  for (size_t k = 0; k < extension.size(); ++k) {
    const char ch = name[name.size() - extension.size() + k];
    if (std::tolower(static_cast<unsigned char>(ch)) != extension[k]) return false;
  }
  return true;
}

// The two checks the replacing members share: a resource that exists and a file that does.
bool CanReplace(const void* resource, const code::RValue& name) {
  if (!resource) {
    code::ReportActionError("Trying to replace non-existing resource.");
    return false;
  }
  std::error_code ec;
  if (!name.isString() || !std::filesystem::is_regular_file(graphics::HostPath(name.str), ec)) {
    code::ReportActionError("File does not exist.");
    return false;
  }
  return true;
}

// A sprite file replaces the sprite as it is; any other image gives that many frames with the
// background removed, no smoothing and the sprite's current origin.
void action_replace_sprite(BuiltinCall& c) {
  graphics::CSprite* s = graphics::sprites().get(IndexArgument(c, 0));
  if (!CanReplace(s, c.args[1])) return;
  const std::string& file = c.string(1);
  if (HasExtension(file, ".qvspr")) graphics::ReplaceSpriteFromFile(*s, file);
  else graphics::ReplaceSprite(*s, file, c.integer(2), true, false, s->xOrigin, s->yOrigin);
}

void action_replace_background(BuiltinCall& c) {
  graphics::CBackground* b = graphics::backgrounds().get(IndexArgument(c, 0));
  if (!CanReplace(b, c.args[1])) return;
  const std::string& file = c.string(1);
  if (HasExtension(file, ".qvbck")) graphics::ReplaceBackgroundFromFile(*b, file);
  else graphics::ReplaceBackground(*b, file, false, false);
}

constexpr code::BuiltinFunction kInstanceActions[] = {
    {"action_create_object", action_create_object, 3},
    {"action_create_object_motion", action_create_object_motion, 5},
    {"action_create_object_random", action_create_object_random, 6},
    {"action_change_object", action_change_object, 2},
    {"action_kill_object", action_kill_object, 0},
    {"action_kill_position", action_kill_position, 2},
};

constexpr code::BuiltinFunction kSpriteActions[] = {
    {"action_sprite_set", action_sprite_set, 3},
    {"action_set_sprite", action_set_sprite, 2},
    {"action_sprite_transform", action_sprite_transform, 4},
    {"action_sprite_color", action_sprite_color, 2},
    {"action_replace_sprite", action_replace_sprite, 3},
    {"action_replace_background", action_replace_background, 2},
};

}  // namespace

code::BuiltinFamily InstanceActions() { return kInstanceActions; }
code::BuiltinFamily SpriteActions() { return kSpriteActions; }

}  // namespace qv::actions
