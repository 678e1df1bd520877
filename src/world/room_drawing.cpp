#include "world/room_drawing.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "code/rounding.h"
#include "graphics/background.h"
#include "graphics/colour.h"
#include "graphics/display.h"
#include "graphics/draw_state.h"
#include "graphics/drawing.h"
#include "graphics/sprite.h"
#include "graphics/sprite_drawing.h"
#include "world/caption_settings.h"
#include "world/event_names.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/object.h"
#include "world/saved_game.h"

namespace qv::world {

namespace {

using graphics::display;

constexpr double kNoParticles = -1e9;
constexpr double kBackgroundDepth = 12000, kForegroundDepth = -12000, kCursorDepth = -13000;
constexpr double kDeepestDrawnDepth = 11000;

// The room rectangle one view (or the whole room) shows: left, top, right, bottom.
struct Bounds {
  double left = 0, top = 0, right = 0, bottom = 0;
};

// Drawing depths only reach vertices in 3D mode; in 2D every vertex stays at 0.
void useDepth(double depth) {
  if (display().mode3d) graphics::drawState().depth = depth;
}

void drawLayers(const CRoom& room, bool foreground, const Bounds& area) {
  useDepth(foreground ? kForegroundDepth : kBackgroundDepth);
  const graphics::Area cells{area.left, area.top, area.right - area.left, area.bottom - area.top};
  for (const CBack& back : room.backgrounds) {
    if (!back.visible || back.foreground != foreground) continue;
    const graphics::CBackground* b = graphics::backgrounds().get(back.index);
    if (!b) continue;
    graphics::DrawImageTiled(graphics::BackgroundImage(*b), back.x, back.y, back.xscale, back.yscale,
                             graphics::ScriptToDevice(back.blend, back.alpha), back.htiled, back.vtiled, cells);
  }
}

// An instance draws itself through its draw event when its object (or an ancestor) has one;
// otherwise its sprite's frame: the plain quad when scale, angle, blend and alpha are exactly the
// defaults, the scaled and rotated quad otherwise.
void drawInstance(CInstance& in) {
  useDepth(std::min(in.depth, kDeepestDrawnDepth));
  if (FindEventInherited(in.objectIndex, ev_draw, 0).event) {
    PerformEvent(&in, &in, in.objectIndex, ev_draw, 0);
    return;
  }
  const graphics::CSprite* sprite = graphics::sprites().get(in.spriteIndex);
  if (!sprite) return;
  const int frame = code::floorModulo(in.imageIndex, sprite->frameCount());
  if (in.imageXscale == 1 && in.imageYscale == 1 && in.imageAngle == 0 && in.imageBlend == 0xFFFFFF &&
      in.imageAlpha == 1) {
    graphics::DrawSprite(*sprite, frame, in.x, in.y);
    return;
  }
  graphics::DrawSpriteExt(*sprite, frame, in.x, in.y, in.imageXscale, in.imageYscale, in.imageAngle, in.imageBlend,
                          in.imageAlpha);
}

// A tile is drawn when its scaled box touches the area (edges included) and its background exists.
void drawTile(const CTile& t, const Bounds& area) {
  const double xEnd = t.x + t.width * t.xscale, yEnd = t.y + t.height * t.yscale;
  if (std::min(t.x, xEnd) > area.right || std::min(t.y, yEnd) > area.bottom) return;
  if (area.left > std::max(t.x, xEnd) || area.top > std::max(t.y, yEnd)) return;
  const graphics::CBackground* b = graphics::backgrounds().get(t.background);
  if (!b) return;
  useDepth(std::min(t.depth, kDeepestDrawnDepth));
  const uint32_t c = graphics::ScriptToDevice(t.blend, t.alpha);
  graphics::DrawImageGeneral(graphics::BackgroundImage(*b), t.left, t.top, t.width, t.height, t.x, t.y, t.xscale,
                             t.yscale, 0, {c, c, c, c});
}

double nextParticleDepthBelow(double depth) {
  const RoomParticleDrawing& p = roomParticleDrawing();
  return p.nextDepthBelow ? p.nextDepthBelow(depth) : kNoParticles;
}

// Instances (j), tiles (i) and particle systems (by distinct depth p) merged by descending depth;
// at equal depth particle systems come first, then instances, then tiles. Lengths are re-read on
// every pass because draw events may add or remove instances and tiles.
void drawDepthMerge(CRoom& room, const Bounds& area) {
  size_t i = 0, j = 0;
  double p = nextParticleDepthBelow(std::numeric_limits<double>::infinity());
  while (i < room.tiles.size() || j < room.instances.size() || p > kNoParticles) {
    CInstance* in = j < room.instances.size() ? room.instances[j].get() : nullptr;
    const CTile* tile = i < room.tiles.size() ? &room.tiles[i] : nullptr;
    if (in && (in->destroyed || !in->visible)) {
      ++j;
      continue;
    }
    if (tile && !tile->visible) {
      ++i;
      continue;
    }
    if ((in && p < in->depth) || (tile && p < tile->depth) || p <= kNoParticles) {
      if (!in || (tile && in->depth < tile->depth)) {
        ++i;
        drawTile(*tile, area);  // tiles run no game code: the reference stays valid
      } else {
        ++j;
        drawInstance(*in);
      }
      continue;
    }
    useDepth(std::min(p, kDeepestDrawnDepth));
    if (roomParticleDrawing().drawAt) roomParticleDrawing().drawAt(p);
    p = nextParticleDepthBelow(p);
  }
}

void drawCursorSprite() {
  const graphics::CSprite* sprite = graphics::sprites().get(gameCounters().cursorSprite);
  if (!sprite || sprite->frameCount() < 1) return;
  useDepth(kCursorDepth);
  const graphics::Point window = display().mouseInWindow();
  const graphics::Point at = display().windowToRoomAllViews(window.x, window.y);
  const int frame = static_cast<int>(cursorFrameCounter() % sprite->frameCount());
  graphics::DrawSpriteExt(*sprite, frame, at.x, at.y, 1, 1, 0, 0xFFFFFF, 1);
}

void drawContent(CRoom& room, const Bounds& area) {
  platform::Device* device = display().device();
  if (display().mode3d) device->clear(false, 0, true, 1.0f);
  if (room.drawBackgroundColor) device->clear(true, graphics::ScriptToDevice(room.backgroundColor, 1.0), false, 1.0f);
  drawLayers(room, false, area);
  drawDepthMerge(room, area);
  drawLayers(room, true, area);
  drawCursorSprite();
}

// View following works in 64 bits and saturates: sizes, borders and room sizes come from game
// code and saved games, and may be anything a 32-bit integer holds.
int32_t follow(int64_t position, int64_t start, int64_t size, int64_t border) {
  if (2 * border >= size) return code::saturateToInt32(position - size / 2);
  if (position - border < start) return code::saturateToInt32(position - border);
  if (start + size < position + border) return code::saturateToInt32(position + border - size);
  return code::saturateToInt32(start);
}

int32_t keepInRoom(int64_t start, int64_t size, int64_t roomSize) {
  if (start < 0) start = 0;
  if (start + size > roomSize) start = roomSize - size;
  return code::saturateToInt32(start);
}

int32_t limitSpeed(int64_t from, int64_t to, int64_t speed) {
  if (speed < 0 || std::abs(to - from) <= speed) return code::saturateToInt32(to);
  return code::saturateToInt32(to > from ? from + speed : from - speed);
}

CInstance* followedInstance(CRoom& room, int32_t object) {
  if (object >= 100000) {
    CInstance* in = room.FindById(object);
    return in && !in->destroyed ? in : nullptr;
  }
  if (!ObjectExists(object)) return nullptr;
  for (CInstance* in : room.InstancesOfObjectOnly(object))
    if (!in->destroyed) return in;
  return nullptr;
}

}  // namespace

void SortTilesByDepth(CRoom& room) {
  auto& tiles = room.tiles;
  const auto deeperFirst = [](const CTile& a, const CTile& b) { return a.depth > b.depth; };
  if (!std::is_sorted(tiles.begin(), tiles.end(), deeperFirst)) std::stable_sort(tiles.begin(), tiles.end(), deeperFirst);
}

RoomParticleDrawing& roomParticleDrawing() {
  static RoomParticleDrawing p;
  return p;
}

int64_t& cursorFrameCounter() {
  static int64_t counter = 0;
  return counter;
}

void FollowViews(CRoom& room) {
  for (CView& v : room.views) {
    if (!v.visible || v.object < 0) continue;
    const CInstance* in = followedInstance(room, v.object);
    if (!in) continue;
    const int32_t ix = code::roundToInt32(in->x), iy = code::roundToInt32(in->y);
    int32_t vx = follow(ix, v.xview, v.wview, v.hborder);
    int32_t vy = follow(iy, v.yview, v.hview, v.vborder);
    vx = keepInRoom(vx, v.wview, room.width);
    vy = keepInRoom(vy, v.hview, room.height);
    v.xview = limitSpeed(v.xview, vx, v.hspeed);
    v.yview = limitSpeed(v.yview, vy, v.vspeed);
  }
}

void RefreshViewMappings(const CRoom& room) {
  auto& table = display().views;
  for (auto& entry : table) entry = graphics::ViewMapping{};
  if (!room.viewsEnabled) return;
  for (size_t k = 0; k < room.views.size(); ++k) {
    const CView& v = room.views[k];
    if (!v.visible) continue;
    table[k] = graphics::ViewMapping{true, double(v.xview), double(v.yview), double(v.wview), double(v.hview),
                                     double(v.xport), double(v.yport), double(v.wport), double(v.hport), v.angle};
  }
}

std::string RoomCaptionText(const CRoom& room) {
  const CaptionSettings& s = captionSettings();
  const GameCounters& g = gameCounters();
  std::string text = room.caption;
  if (s.showScore && (g.score > 0 || s.scoreShownAlways)) text += " " + s.scoreCaption + std::to_string(g.score);
  if (s.showLives) text += " " + s.livesCaption + std::to_string(g.lives);
  if (s.showHealth) text += " " + s.healthCaption + std::to_string(code::roundToInt64(g.health));
  return text;
}

void DrawCurrentRoom() {
  graphics::Display& d = display();
  platform::Device* device = d.device();
  if (!device) return;
  CRoom& room = CurrentRoom();
  FollowViews(room);
  RefreshViewMappings(room);
  SortByDepth(room);
  SortTilesByDepth(room);
  ++cursorFrameCounter();
  if (room.viewsEnabled) {
    d.setViewport(0, 0, d.regionWidth, d.regionHeight);
    device->clear(true, graphics::ScriptToDevice(d.windowColour, 1.0), false, 1.0f);
    for (int k = 0; k < kRoomLayers; ++k) {
      d.currentView = k;
      // Re-read each time: a draw event may change the views.
      const CView v = room.views[static_cast<size_t>(k)];
      if (!v.visible) continue;
      d.setViewport(v.xport, v.yport, v.wport, v.hport);
      d.setProjection(v.xview, v.yview, v.wview, v.hview, v.angle);
      Bounds area{double(v.xview), double(v.yview), double(v.xview) + v.wview, double(v.yview) + v.hview};
      if (std::fabs(v.angle) >= 0.01) {
        const int32_t halfW = v.wview / 2, halfH = v.hview / 2;
        area = {area.left - halfH, area.top - halfW, area.right + halfH, area.bottom + halfW};
      }
      drawContent(room, area);
    }
    d.setViewport(0, 0, d.regionWidth, d.regionHeight);
    d.setProjection(0, 0, d.regionWidth, d.regionHeight, 0);
  } else {
    d.currentView = 0;
    d.setViewport(0, 0, room.width, room.height);
    d.setProjection(0, 0, room.width, room.height, 0);
    drawContent(room, Bounds{0, 0, double(room.width), double(room.height)});
  }
  d.setCaption(RoomCaptionText(room));
  d.currentView = 0;
}

void SizeRegionForRoom(const CRoom& room) {
  graphics::Display& d = display();
  int32_t w = room.width, h = room.height;
  if (room.viewsEnabled) {
    w = 8;
    h = 8;
    for (const CView& v : room.views) {
      if (!v.visible) continue;
      w = std::max(w, code::saturateToInt32(int64_t{v.xport} + v.wport));
      h = std::max(h, code::saturateToInt32(int64_t{v.yport} + v.hport));
    }
  }
  // A room of width or height 0 would leave a region nothing can be scaled from.
  w = std::max(1, std::min(w, d.screenWidth));
  h = std::max(1, std::min(h, d.screenHeight));
  if (w == d.regionWidth && h == d.regionHeight) return;
  d.setRegionSize(w, h, true);
  d.setDefault();
  d.setRenderSize(w, h);
}

void AttachRoomDrawing() { display().drawRoom = DrawCurrentRoom; }

}  // namespace qv::world
