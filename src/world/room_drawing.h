// Drawing the current room at the end of a step: the background colour, the background layers,
// the instances from the highest depth to the lowest (their draw event, or their sprite), then the
// foreground layers. Views, tiles and the caption are drawn by the full room renderer, which
// replaces this one.
#pragma once

namespace qv::world {

void DrawCurrentRoom();

// Makes the display draw the current room whenever it redraws (the end of each step, repaints).
void AttachRoomDrawing();

}  // namespace qv::world
