#include "world/caption_settings.h"

namespace qv::world {

CaptionSettings& captionSettings() {
  static CaptionSettings s;
  return s;
}

}  // namespace qv::world
