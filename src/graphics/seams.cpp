#include "graphics/seams.h"

namespace qv::graphics {

GraphicsSeams& seams() {
  static GraphicsSeams s;
  return s;
}

double CallerImageIndex(code::CInstanceBase* self) { return seams().imageIndex ? seams().imageIndex(self) : 0.0; }

std::string HostPath(const std::string& gamePath) { return seams().hostPath ? seams().hostPath(gamePath) : gamePath; }

}  // namespace qv::graphics
