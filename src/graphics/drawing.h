// Drawing functions of game code as C++ calls: shapes (each the full version with a colour per
// corner, which the single-colour forms use), the primitive buffer, and the textured forms of
// sprites and backgrounds (part, general, stretched, tiled). Colours here are device colours
// (0xAARRGGBB) unless named script colours.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "graphics/background.h"
#include "graphics/sprite.h"

namespace qv::graphics {

// Shapes.
void DrawPoint(double x, double y, uint32_t c);
void DrawLine(double x1, double y1, double x2, double y2, uint32_t c1, uint32_t c2);
void DrawLineWidth(double x1, double y1, double x2, double y2, double w, uint32_t c1, uint32_t c2);
// Colours at (x1, y1), (x2, y1), (x2, y2), (x1, y2) after the corners are ordered.
void DrawRectangle(double x1, double y1, double x2, double y2, const std::array<uint32_t, 4>& c, bool outline);
// centre: colour at the centre (filled), edge: colour on the outline.
void DrawRoundRect(double x1, double y1, double x2, double y2, uint32_t centre, uint32_t edge, bool outline);
void DrawTriangle(double x1, double y1, double x2, double y2, double x3, double y3, uint32_t c1, uint32_t c2,
                  uint32_t c3, bool outline);
void DrawEllipse(double x1, double y1, double x2, double y2, uint32_t centre, uint32_t edge, bool outline);
void DrawArrow(double x1, double y1, double x2, double y2, double size, uint32_t c);
void DrawButton(double x1, double y1, double x2, double y2, bool up, uint32_t face);
// Script colours; amount 0..100 (clamped); alpha for every part.
void DrawHealthbar(double x1, double y1, double x2, double y2, double amount, int32_t back, int32_t minColour,
                   int32_t maxColour, int direction, bool showBack, bool showBorder, double alpha);

// The primitive buffer.
void PrimitiveBegin(int kind, int texture);
void PrimitiveVertex(double x, double y, double u, double v, uint32_t c);
void PrimitiveEnd();

// Textured images: a frame or background with its texture, size and origin.
struct Image {
  int texture = -1;
  int width = 0, height = 0;
  int xOrigin = 0, yOrigin = 0;
};
// A sprite's frame (-1 texture when the sprite has no frames).
Image SpriteImage(const CSprite& s, int subimg);
Image BackgroundImage(const CBackground& b);

// Scaled and rotated about (x, y) with one colour (the _ext forms and instances).
void DrawImageExt(const Image& img, double x, double y, double xscale, double yscale, double rot, uint32_t c);
// A part, its top-left at (x, y) (the origin is not used), scaled and rotated, a colour per corner.
void DrawImageGeneral(const Image& img, double left, double top, double width, double height, double x, double y,
                      double xscale, double yscale, double rot, const std::array<uint32_t, 4>& c);
// Stretched to w x h, origin not used; nothing unless w > 0, h > 0 and the image has pixels.
void DrawImageStretched(const Image& img, double x, double y, double w, double h, uint32_t c);
// Repeated over the area from (x, y), in cells of round(width x xscale) by round(height x yscale).
struct Area {
  double left = 0, top = 0, width = 0, height = 0;
};
void DrawImageTiled(const Image& img, double x, double y, double xscale, double yscale, uint32_t c, bool tileH,
                    bool tileV, const Area& area);

// The area the tiled functions cover: the room, (0, 0, room width, room height). Until rooms fill
// it in, the region (0, 0, region width, region height).
std::function<Area()>& roomArea();

}  // namespace qv::graphics
