// The built-in variables of instances, of the current room and of the running event.
#pragma once

namespace qv::world {

// Binds the getters and setters (once, at start; binding again is harmless).
void BindWorldVariables();

}  // namespace qv::world
