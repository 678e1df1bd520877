// The d3d_* functions of game code: 74 thin adapters over d3d.h and d3d_model.h.
#include "code/builtin.h"
#include "graphics/bitmap_ops.h"
#include "graphics/builtins.h"
#include "graphics/colour.h"
#include "graphics/d3d.h"
#include "graphics/d3d_model.h"
#include "graphics/d3dx.h"
#include "graphics/draw_state.h"
#include "graphics/seams.h"

namespace qv::graphics {
namespace {

using code::BuiltinCall;
using code::BuiltinFunction;
using platform::Vertex;

double Flag(bool ok) { return ok ? 1.0 : 0.0; }
uint32_t Current() { return drawState().colour; }
uint32_t Col(BuiltinCall& c, int i) { return ScriptToDevice(c.integer(i), c.real(i + 1)); }

// --- mode and settings ---
void d3d_start(BuiltinCall& c) { c.result = Flag(SetMode3D(true)); }
void d3d_end(BuiltinCall& c) { c.result = Flag(SetMode3D(false)); }
void d3d_set_perspective(BuiltinCall& c) { SetPerspective(c.truth(0)); }
void d3d_set_hidden(BuiltinCall& c) { SetHiddenSurfaceRemoval(c.truth(0)); }
void d3d_set_depth(BuiltinCall& c) { SetDrawDepth(c.real(0)); }
void d3d_set_lighting(BuiltinCall& c) { SetLighting(c.truth(0)); }
void d3d_set_shading(BuiltinCall& c) { SetSmoothShading(c.truth(0)); }
void d3d_set_fog(BuiltinCall& c) { SetFog(c.truth(0), c.integer(1), c.real(2), c.real(3)); }
void d3d_set_culling(BuiltinCall& c) { SetCulling(c.truth(0)); }

// --- primitives (the vertex forms read their arguments from `first`, after a model id) ---
// The vertex of each d3d_vertex form from its arguments.
enum Form { kPlain, kColour, kTexture, kTextureColour, kNormal, kNormalColour, kNormalTexture, kNormalTextureColour };
Vertex FormVertex(BuiltinCall& c, int first, Form f) {
  const auto r = [&](int i) { return c.real(first + i); };
  const bool normal = f >= kNormal;
  const int base = normal ? 6 : 3;
  const bool texture = f == kTexture || f == kTextureColour || f == kNormalTexture || f == kNormalTextureColour;
  const bool colour = f == kColour || f == kTextureColour || f == kNormalColour || f == kNormalTextureColour;
  const double nx = normal ? r(3) : 0, ny = normal ? r(4) : 0, nz = normal ? r(5) : 0;
  const double u = texture ? r(base) : 0, v = texture ? r(base + 1) : 0;
  const uint32_t argb = colour ? Col(c, first + base + (texture ? 2 : 0)) : Current();
  return Vertex3D(r(0), r(1), r(2), nx, ny, nz, argb, u, v);
}
void d3d_primitive_begin(BuiltinCall& c) { Primitive3DBegin(c.integer(0), -1); }
void d3d_primitive_begin_texture(BuiltinCall& c) { Primitive3DBegin(c.integer(0), c.integer(1)); }
void d3d_primitive_end(BuiltinCall&) { Primitive3DEnd(); }
template <Form F>
void d3d_vertex_form(BuiltinCall& c) { Primitive3DVertex(FormVertex(c, 0, F)); }

// --- shapes ---
Box3D Corners(BuiltinCall& c, int first) {
  return Box3D{c.real(first), c.real(first + 1), c.real(first + 2), c.real(first + 3), c.real(first + 4),
               c.real(first + 5)};
}
void d3d_draw_block(BuiltinCall& c) { DrawShape3D(BlockShape(Corners(c, 0), c.real(7), c.real(8), Current()), c.integer(6)); }
void d3d_draw_cylinder(BuiltinCall& c) {
  DrawShape3D(CylinderShape(Corners(c, 0), c.real(7), c.real(8), c.truth(9), c.integer(10), Current()), c.integer(6));
}
void d3d_draw_cone(BuiltinCall& c) {
  DrawShape3D(ConeShape(Corners(c, 0), c.real(7), c.real(8), c.truth(9), c.integer(10), Current()), c.integer(6));
}
void d3d_draw_ellipsoid(BuiltinCall& c) {
  DrawShape3D(EllipsoidShape(Corners(c, 0), c.real(7), c.real(8), c.integer(9), Current()), c.integer(6));
}
void d3d_draw_wall(BuiltinCall& c) { DrawShape3D(WallShape(Corners(c, 0), c.real(7), c.real(8), Current()), c.integer(6)); }
void d3d_draw_floor(BuiltinCall& c) { DrawShape3D(FloorShape(Corners(c, 0), c.real(7), c.real(8), Current()), c.integer(6)); }

// --- projections ---
void d3d_set_projection(BuiltinCall& c) {
  SetProjectionLookAt(c.real(0), c.real(1), c.real(2), c.real(3), c.real(4), c.real(5), c.real(6), c.real(7), c.real(8));
}
void d3d_set_projection_ext(BuiltinCall& c) {
  SetProjectionExt(c.real(0), c.real(1), c.real(2), c.real(3), c.real(4), c.real(5), c.real(6), c.real(7), c.real(8),
                   c.real(9), c.real(10), c.real(11), c.real(12));
}
void d3d_set_projection_ortho(BuiltinCall& c) { SetProjectionOrtho(c.real(0), c.real(1), c.real(2), c.real(3), c.real(4)); }
void d3d_set_projection_perspective(BuiltinCall& c) {
  SetProjectionPerspective(c.real(0), c.real(1), c.real(2), c.real(3), c.real(4));
}

// --- transformations ---
void d3d_transform_set_identity(BuiltinCall&) { SetWorld(platform::Matrix{}); }
void d3d_transform_set_translation(BuiltinCall& c) { SetWorld(D3DXMatrixTranslation(c.real(0), c.real(1), c.real(2))); }
void d3d_transform_set_scaling(BuiltinCall& c) { SetWorld(D3DXMatrixScaling(c.real(0), c.real(1), c.real(2))); }
void d3d_transform_set_rotation_x(BuiltinCall& c) { SetWorld(RotationXMatrix(c.real(0))); }
void d3d_transform_set_rotation_y(BuiltinCall& c) { SetWorld(RotationYMatrix(c.real(0))); }
void d3d_transform_set_rotation_z(BuiltinCall& c) { SetWorld(RotationZMatrix(c.real(0))); }
void d3d_transform_set_rotation_axis(BuiltinCall& c) {
  SetWorld(RotationAxisMatrix(c.real(0), c.real(1), c.real(2), c.real(3)));
}
void d3d_transform_add_translation(BuiltinCall& c) { AddWorld(D3DXMatrixTranslation(c.real(0), c.real(1), c.real(2))); }
void d3d_transform_add_scaling(BuiltinCall& c) { AddWorld(D3DXMatrixScaling(c.real(0), c.real(1), c.real(2))); }
void d3d_transform_add_rotation_x(BuiltinCall& c) { AddWorld(RotationXMatrix(c.real(0))); }
void d3d_transform_add_rotation_y(BuiltinCall& c) { AddWorld(RotationYMatrix(c.real(0))); }
void d3d_transform_add_rotation_z(BuiltinCall& c) { AddWorld(RotationZMatrix(c.real(0))); }
void d3d_transform_add_rotation_axis(BuiltinCall& c) {
  AddWorld(RotationAxisMatrix(c.real(0), c.real(1), c.real(2), c.real(3)));
}
void d3d_transform_stack_clear(BuiltinCall&) { StackClear(); }
void d3d_transform_stack_empty(BuiltinCall& c) { c.result = Flag(StackEmpty()); }
void d3d_transform_stack_push(BuiltinCall& c) { c.result = Flag(StackPush()); }
void d3d_transform_stack_pop(BuiltinCall& c) { c.result = Flag(StackPop()); }
void d3d_transform_stack_top(BuiltinCall& c) { c.result = Flag(StackTop()); }
void d3d_transform_stack_discard(BuiltinCall& c) { c.result = Flag(StackDiscard()); }

// --- lights ---
void d3d_light_define_direction(BuiltinCall& c) {
  LightDefineDirection(c.integer(0), c.real(1), c.real(2), c.real(3), c.integer(4));
}
void d3d_light_define_point(BuiltinCall& c) {
  LightDefinePoint(c.integer(0), c.real(1), c.real(2), c.real(3), c.real(4), c.integer(5));
}
void d3d_light_enable(BuiltinCall& c) { LightEnable(c.integer(0), c.truth(1)); }

// --- models ---
void d3d_model_create(BuiltinCall& c) { c.result = double(ModelCreate()); }
void d3d_model_destroy(BuiltinCall& c) { ModelDestroy(c.integer(0)); }
void d3d_model_clear(BuiltinCall& c) {
  if (C3DModel* m = GetModel(c.integer(0))) m->clear();
}
void d3d_model_save(BuiltinCall& c) {
  C3DModel* m = GetModel(c.integer(0));
  if (!m || !ImageWriteAllowed(c.string(1))) return;
  ModelSave(*m, HostPath(c.string(1)));
}
void d3d_model_load(BuiltinCall& c) {
  if (C3DModel* m = GetModel(c.integer(0))) ModelLoad(*m, HostPath(c.string(1)));
}
void d3d_model_draw(BuiltinCall& c) {
  if (C3DModel* m = GetModel(c.integer(0))) ModelDraw(*m, c.real(1), c.real(2), c.real(3), c.integer(4));
}
// Records an entry of the kind from the arguments after the model id.
template <int Kind>
void d3d_model_record(BuiltinCall& c) {
  C3DModel* m = GetModel(c.integer(0));
  if (!m) return;
  ModelEntry e;
  e.kind = Kind;
  for (int i = 1; i < c.argc && i <= 10; ++i) e.e[size_t(i - 1)] = c.real(i);
  m->append(e);
}

const BuiltinFunction kD3DFunctions[] = {
    {"d3d_start", d3d_start, 0},
    {"d3d_end", d3d_end, 0},
    {"d3d_set_perspective", d3d_set_perspective, 1},
    {"d3d_set_hidden", d3d_set_hidden, 1},
    {"d3d_set_depth", d3d_set_depth, 1},
    {"d3d_set_lighting", d3d_set_lighting, 1},
    {"d3d_set_shading", d3d_set_shading, 1},
    {"d3d_set_fog", d3d_set_fog, 4},
    {"d3d_set_culling", d3d_set_culling, 1},
    {"d3d_primitive_begin", d3d_primitive_begin, 1},
    {"d3d_primitive_begin_texture", d3d_primitive_begin_texture, 2},
    {"d3d_vertex", d3d_vertex_form<kPlain>, 3},
    {"d3d_vertex_color", d3d_vertex_form<kColour>, 5},
    {"d3d_vertex_texture", d3d_vertex_form<kTexture>, 5},
    {"d3d_vertex_texture_color", d3d_vertex_form<kTextureColour>, 7},
    {"d3d_vertex_normal", d3d_vertex_form<kNormal>, 6},
    {"d3d_vertex_normal_color", d3d_vertex_form<kNormalColour>, 8},
    {"d3d_vertex_normal_texture", d3d_vertex_form<kNormalTexture>, 8},
    {"d3d_vertex_normal_texture_color", d3d_vertex_form<kNormalTextureColour>, 10},
    {"d3d_primitive_end", d3d_primitive_end, 0},
    {"d3d_draw_block", d3d_draw_block, 9},
    {"d3d_draw_cylinder", d3d_draw_cylinder, 11},
    {"d3d_draw_cone", d3d_draw_cone, 11},
    {"d3d_draw_ellipsoid", d3d_draw_ellipsoid, 10},
    {"d3d_draw_wall", d3d_draw_wall, 9},
    {"d3d_draw_floor", d3d_draw_floor, 9},
    {"d3d_set_projection", d3d_set_projection, 9},
    {"d3d_set_projection_ext", d3d_set_projection_ext, 13},
    {"d3d_set_projection_ortho", d3d_set_projection_ortho, 5},
    {"d3d_set_projection_perspective", d3d_set_projection_perspective, 5},
    {"d3d_transform_set_identity", d3d_transform_set_identity, 0},
    {"d3d_transform_set_translation", d3d_transform_set_translation, 3},
    {"d3d_transform_set_scaling", d3d_transform_set_scaling, 3},
    {"d3d_transform_set_rotation_x", d3d_transform_set_rotation_x, 1},
    {"d3d_transform_set_rotation_y", d3d_transform_set_rotation_y, 1},
    {"d3d_transform_set_rotation_z", d3d_transform_set_rotation_z, 1},
    {"d3d_transform_set_rotation_axis", d3d_transform_set_rotation_axis, 4},
    {"d3d_transform_add_translation", d3d_transform_add_translation, 3},
    {"d3d_transform_add_scaling", d3d_transform_add_scaling, 3},
    {"d3d_transform_add_rotation_x", d3d_transform_add_rotation_x, 1},
    {"d3d_transform_add_rotation_y", d3d_transform_add_rotation_y, 1},
    {"d3d_transform_add_rotation_z", d3d_transform_add_rotation_z, 1},
    {"d3d_transform_add_rotation_axis", d3d_transform_add_rotation_axis, 4},
    {"d3d_transform_stack_clear", d3d_transform_stack_clear, 0},
    {"d3d_transform_stack_empty", d3d_transform_stack_empty, 0},
    {"d3d_transform_stack_push", d3d_transform_stack_push, 0},
    {"d3d_transform_stack_pop", d3d_transform_stack_pop, 0},
    {"d3d_transform_stack_top", d3d_transform_stack_top, 0},
    {"d3d_transform_stack_discard", d3d_transform_stack_discard, 0},
    {"d3d_light_define_direction", d3d_light_define_direction, 5},
    {"d3d_light_define_point", d3d_light_define_point, 6},
    {"d3d_light_enable", d3d_light_enable, 2},
    {"d3d_model_create", d3d_model_create, 0},
    {"d3d_model_destroy", d3d_model_destroy, 1},
    {"d3d_model_clear", d3d_model_clear, 1},
    {"d3d_model_save", d3d_model_save, 2},
    {"d3d_model_load", d3d_model_load, 2},
    {"d3d_model_draw", d3d_model_draw, 5},
    {"d3d_model_primitive_begin", d3d_model_record<0>, 2},
    {"d3d_model_primitive_end", d3d_model_record<1>, 1},
    {"d3d_model_vertex", d3d_model_record<2>, 4},
    {"d3d_model_vertex_color", d3d_model_record<3>, 6},
    {"d3d_model_vertex_texture", d3d_model_record<4>, 6},
    {"d3d_model_vertex_texture_color", d3d_model_record<5>, 8},
    {"d3d_model_vertex_normal", d3d_model_record<6>, 7},
    {"d3d_model_vertex_normal_color", d3d_model_record<7>, 9},
    {"d3d_model_vertex_normal_texture", d3d_model_record<8>, 9},
    {"d3d_model_vertex_normal_texture_color", d3d_model_record<9>, 11},
    {"d3d_model_block", d3d_model_record<10>, 9},
    {"d3d_model_cylinder", d3d_model_record<11>, 11},
    {"d3d_model_cone", d3d_model_record<12>, 11},
    {"d3d_model_ellipsoid", d3d_model_record<13>, 10},
    {"d3d_model_wall", d3d_model_record<14>, 9},
    {"d3d_model_floor", d3d_model_record<15>, 9},
};

}  // namespace

code::BuiltinFamily D3DBuiltins() { return kD3DFunctions; }

}  // namespace qv::graphics
