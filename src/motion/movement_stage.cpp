// The two stages of the step that belong to motion: moving every instance, then telling instances
// that have left the room (or a view) or touch its edge.
#include <vector>

#include "graphics/sprite.h"
#include "motion/movement.h"
#include "world/dispatch.h"
#include "world/event_names.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/instance.h"

namespace qv::motion {

namespace {

constexpr int32_t kOutsideViewEvent = 40;   // "Outside View 0" .. 7
constexpr int32_t kBoundaryViewEvent = 50;  // "Boundary View 0" .. 7

struct Rect {
  double left, top, right, bottom;
};

bool hasCollisionSprite(const world::CInstance& in) {
  return graphics::sprites().exists(in.maskIndex >= 0 ? in.maskIndex : in.spriteIndex);
}

// Entirely outside the rectangle: the box, or the position for an instance without a sprite.
bool outside(const world::CInstance& in, const Rect& r) {
  if (!hasCollisionSprite(in)) return in.x < r.left || in.x > r.right || in.y < r.top || in.y > r.bottom;
  return in.bboxRight < r.left || in.bboxLeft > r.right || in.bboxBottom < r.top || in.bboxTop > r.bottom;
}

// Crossing an edge of the rectangle (partly or entirely outside); without a sprite, outside.
bool crossing(const world::CInstance& in, const Rect& r) {
  if (!hasCollisionSprite(in)) return outside(in, r);
  return in.bboxLeft < r.left || in.bboxRight > r.right || in.bboxTop < r.top || in.bboxBottom > r.bottom;
}

// Performs (other, number) for every instance, object by object, whose test against the
// rectangle holds.
template <class Test>
void raiseWhere(int32_t number, const Rect& r, Test test) {
  world::RaiseEventWhere(world::ev_other, number, [&](const world::CInstance& in) { return test(in, r); });
}

}  // namespace

void MovementStage() {
  // By position against the live list, as the other per-instance stages: an instance that event
  // code creates here moves in this step too.
  constexpr size_t kAhead = 12;  // records fetched ahead of the one being moved
  for (size_t k = 0; k < world::CurrentRoom().instances.size(); ++k) {
    const auto& list = world::CurrentRoom().instances;
    if (k + kAhead < list.size()) world::PrefetchStepFields(list[k + kAhead].get());
    MoveInstance(*list[k]);
  }
}

void OutsideAndBoundaryStage() {
  const world::CRoom& room = world::CurrentRoom();
  const Rect whole{0, 0, double(room.width), double(room.height)};
  raiseWhere(world::ev_outside, whole, outside);
  raiseWhere(world::ev_boundary, whole, crossing);
  if (!world::CurrentRoom().viewsEnabled) return;
  for (int32_t v = 0; v < world::kRoomLayers; ++v) {
    const world::CView& view = world::CurrentRoom().views[size_t(v)];
    if (!view.visible) continue;
    const Rect r{double(view.xview), double(view.yview), double(view.xview) + view.wview,
                 double(view.yview) + view.hview};
    raiseWhere(kOutsideViewEvent + v, r, outside);
    raiseWhere(kBoundaryViewEvent + v, r, crossing);
  }
}

}  // namespace qv::motion
