// The drawing state of game code (current colour and alpha, drawing depth, circle precision and
// its table, the primitive buffer) and the builders every drawing function ends in: coloured
// shapes and the textured quad.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/device.h"

namespace qv::graphics {

struct DrawState {
  uint32_t colour = 0xFF000000;  // device colour with the current alpha folded in
  double alpha = 1.0;
  double depth = 0.0;            // z of every vertex; 0 while 3D mode is off
  int circlePrecision = 24;      // sides of the polygons standing for circles: a multiple of 4, 4..64
  std::array<double, 65> circleCos{}, circleSin{};  // k = 0 .. precision
  // The primitive buffer: kind (1..6), texture (-1 none) and up to kMaxPrimitiveVertices vertices.
  static constexpr int kMaxPrimitiveVertices = 1001;
  int primitiveKind = 0;
  int primitiveTexture = -1;
  std::vector<platform::Vertex> primitive;

  DrawState() { setCirclePrecision(24); }
  // Raises below 4 to 4, lowers above 64 to 64, rounds down to a multiple of 4; refills the table.
  void setCirclePrecision(int precision);
  // Script colour of the current colour.
  int32_t scriptColour() const;
};

DrawState& drawState();

// One vertex at the current drawing depth.
platform::Vertex MakeVertex(double x, double y, uint32_t argb, double u = 0.0, double v = 0.0);
// Untextured vertices of one kind, drawn as they are.
void DrawShape(platform::PrimitiveType type, const platform::Vertex* vertices, int count);

// The full textured quad: the source rectangle (srcX, srcY, srcW, srcH) of texture `texture` in
// image pixels, its corners at offsets (left, top) .. (right, bottom) from (x, y), turned about
// (x, y) by rot degrees counter-clockwise (not when |rot| is below 0.001 radians), with colours
// for the top-left, top-right, bottom-right and bottom-left corners. Addressing is clamped.
void DrawTexturedQuad(int texture, double srcX, double srcY, double srcW, double srcH, double x, double y,
                      double left, double top, double right, double bottom, double rot,
                      const std::array<uint32_t, 4>& colours);

}  // namespace qv::graphics
