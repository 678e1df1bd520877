// Room transitions: the last picture of the room that is left passes into the first picture of
// the room that is entered, over a fixed number of frames during which the game does nothing else.
//
// Leaving a room prepares (the old picture is drawn into a surface and drawing is redirected into
// a second one, which the entered room's first drawing fills); entering plays (the two pictures
// are drawn frame by frame by one of 21 built-in kinds or by a script the game defined for the
// kind). Kinds are 1 to 21 built in; 1 to 999999 can be defined and replace a built-in kind.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "code/builtin.h"
#include "code/instance_base.h"

namespace qv::graphics {

inline constexpr int kBuiltinTransitionKinds = 21;

// The number of steps of every transition (at least 1; 80 until set). Setting rounds to the
// nearest integer.
int TransitionSteps();
void SetTransitionSteps(double steps);

bool TransitionExists(int kind);

// Records the kind; when it exists, draws the room being left into the old picture (`drawRoom`
// draws the room, with any pending room change set aside by the caller) and makes the new picture
// the drawing target.
void PrepareTransition(int kind, const std::function<void()>& drawRoom);
// After the entered room was drawn once: plays the prepared kind (or, without one, ends and
// presents the frame) and frees both pictures. `temporaryInstance` makes the self and other of a
// defined kind's script.
void PlayTransition(const std::function<std::unique_ptr<code::CInstanceBase>()>& temporaryInstance);
// A prepared transition that is not played (the entered room asked for another room, or draws
// nothing itself): both pictures are freed and drawing goes to the screen again.
void CancelTransition();
bool TransitionPrepared();

// One frame of built-in kind 1 to 21 at fraction f, drawn with the pictures `oldPicture` and
// `newPicture` (surface ids) of w x h into the current target; `steps` is the transition's frames - 1.
void DrawTransitionFrame(int kind, double f, int oldPicture, int newPicture, int w, int h, int steps);

// Waits for the vertical blank between the frames of a transition (set by the game loop when it
// paces the game; by default no wait, as in unpaced headless runs).
std::function<void()>& transitionFrameWait();

// transition_define, transition_exists.
code::BuiltinFamily TransitionBuiltins();

// Forgets every defined kind and the prepared state (game start).
void ResetTransitions();

}  // namespace qv::graphics
