// Seams: what graphics needs from parts that are built on top of it (instances, rooms, files).
// Each has a default that works without them; the world and the file layer fill them in when they
// start. See docs/graphics.md.
#pragma once

#include <functional>
#include <string>


namespace qv::code {
class CInstanceBase;
}

namespace qv::graphics {

struct GraphicsSeams {
  // `image_index` of the calling instance (for sprite_get_texture with a negative subimg); 0 by default.
  std::function<double(code::CInstanceBase*)> imageIndex;
  // Host path of a game file name (the file layer maps Windows paths); unchanged by default.
  std::function<std::string(const std::string&)> hostPath;
};

GraphicsSeams& seams();

// Helpers that apply the seams with their defaults.
double CallerImageIndex(code::CInstanceBase* self);
std::string HostPath(const std::string& gamePath);

}  // namespace qv::graphics
