// 3D drawing: 3D mode and its settings, the 3D primitive buffer, the ready shapes, the
// projections, the world transformation with its stack, and lights. Models are d3d_model.h; the
// d3d_* built-ins are d3d_builtins.cpp. The items of the device state (3D mode, perspective,
// hidden surface removal, lighting, shading, fog, culling, texture repeat) live in the Display,
// which applies them again after every reset; docs/3d.md has the decisions.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/device.h"

namespace qv::graphics {

// --- mode and settings ---------------------------------------------------------------------------

// d3d_start (on) and d3d_end (off): false when the device could not be reset into the mode.
bool SetMode3D(bool on);
void SetPerspective(bool on);
void SetHiddenSurfaceRemoval(bool on);
// The drawing depth: 0 outside 3D mode, else limited to -16000 .. 16000.
void SetDrawDepth(double depth);
void SetLighting(bool on);
void SetSmoothShading(bool on);
void SetFog(bool on, int32_t scriptColour, double start, double end);
void SetCulling(bool on);

// --- the 3D primitive buffer ---------------------------------------------------------------------

inline constexpr int kMax3DVertices = 32001;

struct Primitive3D {
  int kind = 0;
  int texture = -1;
  std::vector<platform::Vertex> vertices;
};
Primitive3D& primitive3D();

platform::Vertex Vertex3D(double x, double y, double z, double nx, double ny, double nz, uint32_t argb, double u,
                          double v);
void Primitive3DBegin(int kind, int texture);
// Appends a vertex; beyond kMax3DVertices vertices are ignored.
void Primitive3DVertex(const platform::Vertex& v);
// Draws the buffer (it stays filled until the next begin).
void Primitive3DEnd();
// How many vertices of n a primitive of the kind draws: 0 for an unknown kind or too few vertices.
int UsedVertices(int kind, int n);
// Draws n vertices as a primitive of the kind with the texture id (-1 none), addressing by the
// texture repeat item of the display.
void DrawPrimitive3D(int kind, int texture, const platform::Vertex* v, int n);

// --- shapes --------------------------------------------------------------------------------------

// One group of a shape: a primitive kind (5 strip, 6 fan) and its vertices.
struct ShapeGroup {
  int kind = 0;
  std::vector<platform::Vertex> vertices;
};
using Shape = std::vector<ShapeGroup>;

struct Box3D {
  double x1 = 0, y1 = 0, z1 = 0, x2 = 0, y2 = 0, z2 = 0;
};
// The vertex layouts of the ready shapes, every vertex with colour c; h and v are hrepeat and vrepeat.
Shape BlockShape(const Box3D& b, double h, double v, uint32_t c);
Shape CylinderShape(const Box3D& b, double h, double v, bool closed, int steps, uint32_t c);
Shape ConeShape(const Box3D& b, double h, double v, bool closed, int steps, uint32_t c);
Shape EllipsoidShape(const Box3D& b, double h, double v, int steps, uint32_t c);
Shape WallShape(const Box3D& b, double h, double v, uint32_t c);  // empty when the corners share x and y
Shape FloorShape(const Box3D& b, double h, double v, uint32_t c);
// Steps of the curved shapes: limited to 3 .. 128.
int ShapeSteps(int steps);
// Draws the groups with the texture, texture repeat on meanwhile (restored after).
void DrawShape3D(const Shape& shape, int texture);

// --- projections ---------------------------------------------------------------------------------

void SetProjectionLookAt(double xf, double yf, double zf, double xt, double yt, double zt, double xu, double yu,
                         double zu);
void SetProjectionExt(double xf, double yf, double zf, double xt, double yt, double zt, double xu, double yu,
                      double zu, double angle, double aspect, double znear, double zfar);
void SetProjectionOrtho(double x, double y, double w, double h, double angle);
void SetProjectionPerspective(double x, double y, double w, double h, double angle);

// --- the world transformation and its stack -----------------------------------------------------

inline constexpr int kTransformSlots = 1001;

struct TransformStack {
  std::array<platform::Matrix, kTransformSlots> slots{};
  int top = -1;  // -1 when empty
};
TransformStack& transformStack();

// The matrices of the set and add functions (angles in degrees, turned into -angle radians).
platform::Matrix RotationXMatrix(double degrees);
platform::Matrix RotationYMatrix(double degrees);
platform::Matrix RotationZMatrix(double degrees);
platform::Matrix RotationAxisMatrix(double xa, double ya, double za, double degrees);
// The world matrix (identity without a device).
platform::Matrix WorldMatrix();
void SetWorld(const platform::Matrix& m);
// W x M: M acts after what is in place.
void AddWorld(const platform::Matrix& m);
bool StackPush();
bool StackPop();
bool StackTop();
bool StackDiscard();
void StackClear();
bool StackEmpty();

// --- lights --------------------------------------------------------------------------------------

void LightDefineDirection(int index, double dx, double dy, double dz, int32_t scriptColour);
void LightDefinePoint(int index, double x, double y, double z, double range, int32_t scriptColour);
void LightEnable(int index, bool on);

// The 3D state that lasts a game (stack, buffer, models) back to its start.
void Reset3D();

}  // namespace qv::graphics
