#include "platform/fluidsynth_library.h"

#include "platform/late_library.h"

namespace qv::platform {

const FluidSynthLibrary* FluidSynth() {
  static const FluidSynthLibrary* const loaded = []() -> const FluidSynthLibrary* {
    static LateLibraries libraries;
    if (!libraries.open({QV_LIBFLUIDSYNTH_SONAME})) return nullptr;
    static FluidSynthLibrary library;
    bool complete = true;
#define QV_FLUIDSYNTH_LOOKUP(name) complete = libraries.resolve(library.name, #name) && complete;
    QV_FLUIDSYNTH_FUNCTIONS(QV_FLUIDSYNTH_LOOKUP)
#undef QV_FLUIDSYNTH_LOOKUP
    return complete ? &library : nullptr;
  }();
  return loaded;
}

}  // namespace qv::platform
