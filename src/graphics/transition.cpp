#include "graphics/transition.h"

#include <cmath>
#include <vector>

#include "code/errors.h"
#include "code/interpreter.h"
#include "code/registry.h"
#include "graphics/colour.h"
#include "graphics/display.h"
#include "graphics/drawing.h"
#include "graphics/sprite_drawing.h"
#include "graphics/surface.h"

namespace qv::graphics {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxDefinedKind = 999999;

struct Defined {
  int32_t function = -1;
  std::string name;
};

struct TransitionState {
  int prepared = 0;
  int oldPicture = -1, newPicture = -1;
  int steps = 80;
  std::vector<Defined> table;
};

TransitionState& state() {
  static TransitionState s;
  return s;
}

const Defined* DefinedKind(int kind) {
  const auto& table = state().table;
  if (kind < 1 || size_t(kind) >= table.size() || table[size_t(kind)].function == -1) return nullptr;
  return &table[size_t(kind)];
}

// Rounding to the nearest integer, halves to even.
int Round(double v) { return int(std::nearbyint(v)); }

constexpr uint32_t kWhite = 0xFFFFFFFF;

void Whole(int picture, double x, double y) { DrawImage(SurfaceImage(picture), x, y); }
// The rectangle (l, t, pw, ph) of a picture drawn at the same place, unscaled.
void Part(int picture, int l, int t, int pw, int ph) {
  DrawImageGeneral(SurfaceImage(picture), l, t, pw, ph, l, t, 1, 1, 0, {kWhite, kWhite, kWhite, kWhite});
}
void Faded(int picture, double x, double y, double scale, double degrees, double alpha) {
  DrawImageExt(SurfaceImage(picture), x, y, scale, scale, degrees, ScriptToDevice(0xFFFFFF, alpha));
}

// Kinds 1 to 5: the new picture grows over the old one from a side or the centre.
void Create(int side, double f, int o, int n, int w, int h) {
  Whole(o, 0, 0);
  const int rw = Round(w * f), rh = Round(h * f);
  switch (side) {
    case 1: Part(n, 0, 0, rw, h); break;
    case 2: Part(n, w - rw, 0, rw, h); break;
    case 3: Part(n, 0, 0, w, rh); break;
    case 4: Part(n, 0, h - rh, w, rh); break;
    default: Part(n, Round((w - w * f) * 0.5), Round((h - h * f) * 0.5), rw, rh); break;
  }
}

// Kinds 10 to 13: stripes of the new picture at every second place, one more each frame from the
// named side; in the second half of the frames the create kind of that side fills the gaps.
void Interlaced(int side, bool vertical, int direction, double f, int o, int n, int w, int h, int steps) {
  const int c = Round(steps * f), half = steps / 2;
  if (c == steps) {
    Whole(n, 0, 0);
    return;
  }
  if (c > half) {
    Create(side, double(c - half) / half, o, n, w, h);
  } else {
    Whole(o, 0, 0);
  }
  for (int i = 0; i <= half; ++i) {
    if (direction > 0 ? i > c : i < half - c) continue;
    if (vertical) {
      Part(n, Round(2.0 * i * w / steps), 0, Round(double(w) / steps), h);
    } else {
      Part(n, 0, Round(2.0 * i * h / steps), w, Round(double(h) / steps));
    }
  }
}

// Kinds 18 and 19: the new picture grows and turns about the centre, one whole turn at the end.
void Rotate(double turn, double f, int o, int n, int w, int h) {
  Whole(o, 0, 0);
  const double a = turn * std::sqrt(f) * 2 * kPi, s = f;
  const double x = w / 2.0 - (s * std::sin(a) * h) / 2 - (s * std::cos(a) * w) / 2;
  const double y = h / 2.0 - (s * std::cos(a) * h) / 2 + (s * std::sin(a) * w) / 2;
  Faded(n, x, y, s, a * 180 / kPi, 1);
}

// A defined kind's function for one frame, with a temporary instance as self and other; a
// built-in function's index calls nothing.
void RunDefined(const Defined& d, double f,
                const std::function<std::unique_ptr<code::CInstanceBase>()>& temporaryInstance) {
  if (d.function < code::kScriptIndexBase) return;
  const TransitionState& s = state();
  const code::RValue args[5] = {code::RValue(double(s.oldPicture)), code::RValue(double(s.newPicture)),
                                code::RValue(double(display().renderWidth)),
                                code::RValue(double(display().renderHeight)), code::RValue(f)};
  auto temporary = temporaryInstance ? temporaryInstance() : nullptr;
  code::RValue result;
  if (!code::CallFunction(d.function, temporary.get(), temporary.get(), result, args, 5)) {
    const std::string message = code::errorState().current;
    code::ClearRecordedError();
    code::HandleError("ERROR in transition function " + d.name + "\r" + message, false);
  }
}

void FreePictures() {
  TransitionState& s = state();
  SurfaceFree(s.oldPicture);
  SurfaceFree(s.newPicture);
  s.oldPicture = s.newPicture = -1;
}

}  // namespace

int TransitionSteps() { return state().steps; }
void SetTransitionSteps(double steps) {
  const double r = std::nearbyint(steps);
  state().steps = !(r >= 1) ? 1 : r > 1e9 ? 1000000000 : int(r);
}

bool TransitionExists(int kind) { return (kind >= 1 && kind <= kBuiltinTransitionKinds) || DefinedKind(kind); }

void PrepareTransition(int kind, const std::function<void()>& drawRoom) {
  TransitionState& s = state();
  // A transition prepared before and never played leaves nothing behind.
  if (s.oldPicture >= 0 || s.newPicture >= 0) CancelTransition();
  s.prepared = kind;
  if (!TransitionExists(kind)) return;
  const Display& d = display();
  s.oldPicture = SurfaceCreate(d.renderWidth, d.renderHeight);
  if (s.oldPicture < 0) {
    s.prepared = -1;
    return;
  }
  SurfaceSetTarget(s.oldPicture);
  if (drawRoom) drawRoom();
  s.newPicture = SurfaceCreate(d.renderWidth, d.renderHeight);
  if (s.newPicture >= 0) {
    SurfaceSetTarget(s.newPicture);
    return;
  }
  s.prepared = -1;
  SurfaceResetTarget();
  FreePictures();
}

void PlayTransition(const std::function<std::unique_ptr<code::CInstanceBase>()>& temporaryInstance) {
  TransitionState& s = state();
  Display& d = display();
  if (!TransitionExists(s.prepared) || s.newPicture < 0) {
    d.endFrame();
    s.prepared = 0;
    return;
  }
  SurfaceResetTarget();
  const int kind = s.prepared, steps = s.steps;
  for (int count = 0; count <= steps; ++count) {
    const double f = double(count) / steps;
    d.beginFrame();
    if (const Defined* defined = DefinedKind(kind)) {
      RunDefined(*defined, f, temporaryInstance);
    } else {
      DrawTransitionFrame(kind, f, s.oldPicture, s.newPicture, d.renderWidth, d.renderHeight, steps);
    }
    if (transitionFrameWait()) transitionFrameWait()();
    d.endFrame();
  }
  FreePictures();
  // The kind is played once: a later room entry that was not prepared (a game restart or load)
  // shows its first frame without one.
  s.prepared = 0;
}

void CancelTransition() {
  TransitionState& s = state();
  if (SurfaceTarget() >= 0 && (SurfaceTarget() == s.oldPicture || SurfaceTarget() == s.newPicture))
    SurfaceResetTarget();
  FreePictures();
  s.prepared = 0;
}

bool TransitionPrepared() { return state().newPicture >= 0; }

void DrawTransitionFrame(int kind, double f, int o, int n, int w, int h, int steps) {
  const int rw = Round(w * f), rh = Round(h * f);
  switch (kind) {
    case 1: case 2: case 3: case 4: case 5: Create(kind, f, o, n, w, h); break;
    case 6: Whole(o, 0, 0); Whole(n, rw - w, 0); break;
    case 7: Whole(o, 0, 0); Whole(n, w - rw, 0); break;
    case 8: Whole(o, 0, 0); Whole(n, 0, rh - h); break;
    case 9: Whole(o, 0, 0); Whole(n, 0, h - rh); break;
    case 10: Interlaced(1, true, 1, f, o, n, w, h, steps); break;
    case 11: Interlaced(2, true, -1, f, o, n, w, h, steps); break;
    case 12: Interlaced(3, false, 1, f, o, n, w, h, steps); break;
    case 13: Interlaced(4, false, -1, f, o, n, w, h, steps); break;
    case 14: Whole(o, rw, 0); Whole(n, rw - w, 0); break;
    case 15: Whole(o, -rw, 0); Whole(n, w - rw, 0); break;
    case 16: Whole(o, 0, rh); Whole(n, 0, rh - h); break;
    case 17: Whole(o, 0, -rh); Whole(n, 0, h - rh); break;
    case 18: Rotate(1, f, o, n, w, h); break;
    case 19: Rotate(-1, f, o, n, w, h); break;
    case 20: Whole(o, 0, 0); Faded(n, 0, 0, 1, 0, f); break;
    case 21:
      if (platform::Device* device = display().device()) device->clear(true, 0xFF000000, false, 1.0f);
      if (f > 0.5) {
        Faded(n, 0, 0, 1, 0, 2 * f - 1);
      } else {
        Faded(o, 0, 0, 1, 0, 1 - 2 * f);
      }
      break;
    default: break;
  }
}

std::function<void()>& transitionFrameWait() {
  static std::function<void()> wait;
  return wait;
}

void ResetTransitions() {
  CancelTransition();
  state().table.clear();
}

namespace {

void transition_define(code::BuiltinCall& c) {
  const std::string& name = c.string(1);
  const int32_t function = code::FindFunction(name);
  if (function < 0) {
    c.result = 0.0;
    return;
  }
  const double kind = std::nearbyint(c.real(0));
  if (kind >= 1 && kind <= kMaxDefinedKind) {
    auto& table = state().table;
    if (size_t(kind) >= table.size()) table.resize(size_t(kind) + 1000);
    table[size_t(kind)] = Defined{function, name};
  }
  c.result = 1.0;
}

void transition_exists(code::BuiltinCall& c) {
  const double kind = std::nearbyint(c.real(0));
  c.result = kind >= 1 && kind <= kMaxDefinedKind && TransitionExists(int(kind)) ? 1.0 : 0.0;
}

const code::BuiltinFunction kTransitionFunctions[] = {
    {"transition_define", transition_define, 2},
    {"transition_exists", transition_exists, 1},
};

}  // namespace

code::BuiltinFamily TransitionBuiltins() { return kTransitionFunctions; }

}  // namespace qv::graphics
