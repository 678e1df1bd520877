// Whether the screen saver and monitor power-down may start while the game runs. The video
// subsystem refuses them by default; a game whose setting allows them gets them back.
#pragma once

namespace qv::platform {

// Takes effect at once when the video subsystem is running and whenever it is started later.
void setScreenSaverAllowed(bool allowed);

// The current state: the video subsystem's when it runs, else what it will start with.
bool screenSaverAllowed();

}  // namespace qv::platform
