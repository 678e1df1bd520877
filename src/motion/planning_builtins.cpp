// The mp_* functions of game code: straight and potential stepping and paths, and grids.
#include <cmath>

#include "code/builtin.h"
#include "code/errors.h"
#include "graphics/colour.h"
#include "graphics/draw_state.h"
#include "graphics/drawing.h"
#include "motion/builtins.h"
#include "motion/collision_search.h"
#include "motion/grid_planning.h"
#include "motion/motion_planning.h"
#include "motion/path.h"
#include "world/instance.h"

namespace qv::motion {
namespace {

using code::BuiltinCall;
using code::BuiltinFunction;

// self and other, as object arguments, name the instances themselves.
int32_t Named(const BuiltinCall& c, int32_t object) {
  if (object == kSelf) return world::Self(c) ? world::Self(c)->id : kNoone;
  if (object == kOther) return world::Other(c) ? world::Other(c)->id : kNoone;
  return object;
}

Blocking CheckAll(const BuiltinCall& c, int i) { return Blocking{c.truth(i) ? Blocking::Any : Blocking::Solid, 0}; }
Blocking OfObject(const BuiltinCall& c, int i) { return Blocking{Blocking::Object, Named(c, c.integer(i))}; }

template <Blocking (*Against)(const BuiltinCall&, int)>
void LinearStepFunction(BuiltinCall& c) {
  if (world::CInstance* self = world::Self(c))
    c.result = code::truthValue(LinearStep(*self, c.real(0), c.real(1), c.real(2), Against(c, 3)));
}
template <Blocking (*Against)(const BuiltinCall&, int)>
void PotentialStepFunction(BuiltinCall& c) {
  if (world::CInstance* self = world::Self(c))
    c.result = code::truthValue(PotentialStep(*self, c.real(0), c.real(1), c.real(2), Against(c, 3)));
}

CPath* PathArgument(const BuiltinCall& c, int i) {
  CPath* p = paths().get(c.integer(i));
  if (!p) code::ReportActionError("Trying to assign to a non-existing path.");
  return p;
}

template <Blocking (*Against)(const BuiltinCall&, int)>
void LinearPathFunction(BuiltinCall& c) {
  world::CInstance* self = world::Self(c);
  CPath* path = PathArgument(c, 0);
  if (self && path) c.result = code::truthValue(LinearPath(*self, *path, c.real(1), c.real(2), c.real(3), Against(c, 4)));
}
template <Blocking (*Against)(const BuiltinCall&, int)>
void PotentialPathFunction(BuiltinCall& c) {
  world::CInstance* self = world::Self(c);
  CPath* path = PathArgument(c, 0);
  if (self && path)
    c.result = code::truthValue(PotentialPath(*self, *path, c.real(1), c.real(2), c.real(3), c.real(4), Against(c, 5)));
}

void mp_potential_settings(BuiltinCall& c) { SetPotentialSettings(c.real(0), c.real(1), c.real(2), c.truth(3)); }

void mp_grid_create(BuiltinCall& c) {
  c.result = double(CreateGrid(c.integer(0), c.integer(1), c.integer(2), c.integer(3), c.integer(4), c.integer(5)));
}
void mp_grid_destroy(BuiltinCall& c) { DestroyGrid(c.integer(0)); }
void mp_grid_clear_all(BuiltinCall& c) {
  if (CGrid* g = Grid(c.integer(0))) std::fill(g->cells.begin(), g->cells.end(), 0);
}
void mp_grid_clear_cell(BuiltinCall& c) {
  if (CGrid* g = Grid(c.integer(0))) g->set(c.integer(1), c.integer(2), 0);
}
void mp_grid_add_cell(BuiltinCall& c) {
  if (CGrid* g = Grid(c.integer(0))) g->set(c.integer(1), c.integer(2), CGrid::kForbidden);
}
void mp_grid_clear_rectangle(BuiltinCall& c) {
  if (CGrid* g = Grid(c.integer(0))) g->setRectangle(c.integer(1), c.integer(2), c.integer(3), c.integer(4), 0);
}
void mp_grid_add_rectangle(BuiltinCall& c) {
  if (CGrid* g = Grid(c.integer(0)))
    g->setRectangle(c.integer(1), c.integer(2), c.integer(3), c.integer(4), CGrid::kForbidden);
}
// Each instance's own box gives the cells to look at, so the cost follows the instances of the
// object and the cells they cover, never the whole grid or the whole room.
void mp_grid_add_instances(BuiltinCall& c) {
  CGrid* g = Grid(c.integer(0));
  if (!g) return;
  const bool precise = c.truth(2);
  FindInstance(Named(c, c.integer(1)), nullptr, [&](world::CInstance& in) {
    g->forbidInstance(in, precise);
    return false;
  });
}
void mp_grid_path(BuiltinCall& c) {
  CGrid* g = Grid(c.integer(0));
  if (!g) return;
  CPath* path = PathArgument(c, 1);
  if (!path) return;
  c.result = code::truthValue(g->findPath(*path, c.real(2), c.real(3), c.real(4), c.real(5), c.truth(6)));
}
void mp_grid_draw(BuiltinCall& c) {
  const CGrid* g = Grid(c.integer(0));
  if (!g) return;
  const double alpha = graphics::drawState().alpha;
  const uint32_t forbidden = graphics::ScriptToDevice(255, alpha), free = graphics::ScriptToDevice(32768, alpha);
  for (int32_t h = 0; h < g->hcells; ++h)
    for (int32_t v = 0; v < g->vcells; ++v) {
      const double x = double(g->left) + double(h) * g->cellWidth, y = double(g->top) + double(v) * g->cellHeight;
      const uint32_t colour = g->at(h, v) == CGrid::kForbidden ? forbidden : free;
      graphics::DrawRectangle(x, y, x + g->cellWidth, y + g->cellHeight, {colour, colour, colour, colour}, false);
    }
}

const BuiltinFunction kPlanningFunctions[] = {
    {"mp_linear_step", LinearStepFunction<CheckAll>, 4},
    {"mp_linear_step_object", LinearStepFunction<OfObject>, 4},
    {"mp_linear_path", LinearPathFunction<CheckAll>, 5},
    {"mp_linear_path_object", LinearPathFunction<OfObject>, 5},
    {"mp_potential_settings", mp_potential_settings, 4},
    {"mp_potential_step", PotentialStepFunction<CheckAll>, 4},
    {"mp_potential_step_object", PotentialStepFunction<OfObject>, 4},
    {"mp_potential_path", PotentialPathFunction<CheckAll>, 6},
    {"mp_potential_path_object", PotentialPathFunction<OfObject>, 6},
    {"mp_grid_create", mp_grid_create, 6},
    {"mp_grid_destroy", mp_grid_destroy, 1},
    {"mp_grid_clear_all", mp_grid_clear_all, 1},
    {"mp_grid_clear_cell", mp_grid_clear_cell, 3},
    {"mp_grid_clear_rectangle", mp_grid_clear_rectangle, 5},
    {"mp_grid_add_cell", mp_grid_add_cell, 3},
    {"mp_grid_add_rectangle", mp_grid_add_rectangle, 5},
    {"mp_grid_add_instances", mp_grid_add_instances, 3},
    {"mp_grid_path", mp_grid_path, 7},
    {"mp_grid_draw", mp_grid_draw, 1},
};

}  // namespace

code::BuiltinFamily PlanningFunctions() { return kPlanningFunctions; }

}  // namespace qv::motion
