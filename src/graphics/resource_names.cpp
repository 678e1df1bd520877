#include "code/registry.h"
#include "graphics/background.h"
#include "graphics/builtins.h"
#include "graphics/font.h"
#include "graphics/sprite.h"

namespace qv::graphics {

void InstallResourceNames() {
  code::SetResourceNameLookup(code::ResourceKind::Sprite, [](std::string_view n) { return sprites().find(n); });
  code::SetResourceNameLookup(code::ResourceKind::Background, [](std::string_view n) { return backgrounds().find(n); });
  code::SetResourceNameLookup(code::ResourceKind::Font, [](std::string_view n) { return fonts().find(n); });
}

}  // namespace qv::graphics
