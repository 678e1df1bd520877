// Dialogs the game does not wait for: a splash in a window of its own, or the game information,
// shown while the game goes on (their "game waits" setting off). Each kind has one window, as the
// splash and the information each have one: showing another of the same kind replaces it. Their
// events, timers, video and drawing are looked after between steps; one closes when its dialog is
// done (its close button, Escape, a click, its timer or the end of its video).
//
// Headless (or when no window can be opened) nothing is shown: a line on stderr says what would
// be, and the dialog's time still passes, so a timer or a video that does not loop still ends it.
#pragma once

#include <memory>

#include "windows/modal_dialog.h"

namespace qv::windows {

enum class ModelessKind { Splash, Information };

// Shows the dialog beside the game and returns at once.
void ShowModeless(ModelessKind kind, std::unique_ptr<ModalDialog> dialog);
// Handles the open dialogs' events and time and draws them; closes those that are done.
void ServiceModelessDialogs();
bool ModelessDialogOpen(ModelessKind kind);
// Closes every one (when the game ends, or before a dialog the game waits for shows).
void CloseModelessDialog(ModelessKind kind);
void CloseModelessDialogs();

}  // namespace qv::windows
