// Interrupt signals: SIGINT (Ctrl-C) and SIGTERM ask the game to end the way closing it does (the
// game end events, clean-up, the temporary directory removed). A second signal while the first is
// still being answered ends the process at once, so a game stuck in a loop can still be stopped.
#pragma once

namespace qv::platform {

// Installs the handlers (once; later calls do nothing). Must run before SDL starts, which then
// leaves them in place.
void CatchInterruptSignals();

// The signal that asked the game to end (SIGINT or SIGTERM), or 0.
int InterruptSignal();

// Tests: forgets a signal received.
void ClearInterruptSignal();

}  // namespace qv::platform
