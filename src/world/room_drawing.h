// Drawing the current room: for each visible view (or the whole room when views are off) the
// background colour, the background layers, the depth merge of instances, tiles and particle
// systems, the foreground layers and the cursor sprite; then the window caption. Views follow
// their instances before the drawing, and the display's region is sized for a room on entry.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "world/room.h"

namespace qv::world {

void DrawCurrentRoom();

// Makes the display draw the current room whenever it redraws (the end of each step, repaints).
void AttachRoomDrawing();

// On room entry: the region becomes the room size (views off) or the extent of the visible view
// ports (at least 8 x 8), cut to the screen; when that differs from the current region, the region
// is set with adapt, the window takes its default size and the render size follows.
void SizeRegionForRoom(const CRoom& room);

// Moves every visible view that follows an object or instance (borders, room edges, speed limits).
void FollowViews(CRoom& room);
// Stable sort of the tile list by depth, largest first; nothing when already in that order.
void SortTilesByDepth(CRoom& room);
// Fills the display's view mapping entries 0 to 7 from the room's visible views (when views are
// enabled); the other entries are cleared.
void RefreshViewMappings(const CRoom& room);

// The window caption: the room caption with the score, lives and health as the game shows them.
std::string RoomCaptionText(const CRoom& room);

// Particle systems drawn with the room (filled in by the particle subsystem; nothing until then).
// `nextDepthBelow(d)` gives the largest depth of an automatically drawn system below d (d may be
// +infinity), or -1e9 when there is none; `drawAt(depth)` draws every such system whose depth is
// within 0.01 of it.
struct RoomParticleDrawing {
  std::function<double(double below)> nextDepthBelow;
  std::function<void(double depth)> drawAt;
};
RoomParticleDrawing& roomParticleDrawing();

// Counts room drawings; the cursor sprite shows the frame it selects.
int64_t& cursorFrameCounter();

}  // namespace qv::world
