#include "world/room_drawing.h"

#include <cmath>

#include "graphics/background.h"
#include "graphics/colour.h"
#include "graphics/display.h"
#include "graphics/drawing.h"
#include "graphics/sprite_drawing.h"
#include "graphics/sprite.h"
#include "world/event_names.h"
#include "world/event_performer.h"
#include "world/game_world.h"
#include "world/object.h"

namespace qv::world {

namespace {

void drawLayers(const CRoom& room, bool foreground) {
  for (const CBack& back : room.backgrounds) {
    if (!back.visible || back.foreground != foreground) continue;
    const graphics::CBackground* b = graphics::backgrounds().get(back.index);
    if (!b) continue;
    const uint32_t colour = graphics::ScriptToDevice(back.blend, back.alpha);
    const graphics::Area roomArea{0, 0, double(room.width), double(room.height)};
    graphics::DrawImageTiled(graphics::BackgroundImage(*b), back.x, back.y, back.xscale, back.yscale, colour,
                             back.htiled, back.vtiled, roomArea);
  }
}

// An instance draws itself through its draw event when its object (or an ancestor) has one;
// otherwise its sprite's current frame is drawn with its scale, angle, blend and alpha.
void drawInstance(CInstance& in) {
  if (FindEventInherited(in.objectIndex, ev_draw, 0).event) {
    PerformEvent(&in, &in, in.objectIndex, ev_draw, 0);
    return;
  }
  const graphics::CSprite* sprite = graphics::sprites().get(in.spriteIndex);
  if (!sprite) return;
  graphics::DrawSpriteExt(*sprite, static_cast<int>(std::floor(in.imageIndex)), in.x, in.y, in.imageXscale,
                          in.imageYscale, in.imageAngle, in.imageBlend, in.imageAlpha);
}

}  // namespace

void DrawCurrentRoom() {
  platform::Device* device = graphics::display().device();
  if (!device) return;
  CRoom& room = CurrentRoom();
  if (room.drawBackgroundColor) device->clear(true, graphics::ScriptToDevice(room.backgroundColor, 1.0), true, 1.0f);
  drawLayers(room, false);
  SortByDepth(room);
  // By position against the live list: draw events may create or destroy instances.
  for (size_t k = 0; k < room.instances.size(); ++k) {
    CInstance& in = *room.instances[k];
    if (in.visible && !in.destroyed) drawInstance(in);
  }
  drawLayers(room, true);
}

void AttachRoomDrawing() { graphics::display().drawRoom = DrawCurrentRoom; }

}  // namespace qv::world
