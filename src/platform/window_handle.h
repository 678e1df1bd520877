// A number that names the game window for game code (`window_handle`): the SDL id of the window
// holding the current OpenGL context, 0 when there is none (as in qvscript). Stable for the run.
#pragma once

namespace qv::platform {

double gameWindowHandle();

}  // namespace qv::platform
