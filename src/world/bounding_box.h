// The bounding box of an instance: the rectangle (both ends inclusive, room pixels) that its
// collision sprite covers at its position, scale and angle.
//
// The collision sprite is `mask_index` when it is 0 or more, else `sprite_index`. The box is
// recomputed when the instance is created and whenever its position, sprite, mask, scales, angle or
// object change; never for `image_index`.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace qv::world {
class CInstance;
}

namespace qv::world {

// The value of all four fields when the collision sprite does not exist.
inline constexpr int32_t kNoBox = -100000;

void ComputeBoundingBox(world::CInstance& instance);

// Counts the changes of any instance's box since start: caches of boxes (the broad phase) are valid
// while it stands still.
uint64_t BoxVersion();
// Puts the count back after a change that was undone exactly (a search that moves its instance
// for a test and back); the changes after `version` are forgotten with it.
void RestoreBoxVersion(uint64_t version);
// The instances whose boxes changed after `version`, oldest first (an instance that changed twice
// is named twice), so a cache can follow the changes instead of starting again; nothing when the
// record does not reach back that far (it keeps the last 65,536 changes). The instances named are
// alive as long as no instance list changed since `version`.
std::optional<std::span<world::CInstance* const>> BoxChangesSince(uint64_t version);

// Position setter: writes x and y and recomputes the box, only when either value changes.
void SetPosition(world::CInstance& instance, double x, double y);
// Sprite, mask, scale and angle setters: store and recompute the box when the value changes.
void SetMaskIndex(world::CInstance& instance, int32_t mask);
void SetImageXscale(world::CInstance& instance, double scale);
void SetImageYscale(world::CInstance& instance, double scale);
void SetImageAngle(world::CInstance& instance, double angle);

}  // namespace qv::world
