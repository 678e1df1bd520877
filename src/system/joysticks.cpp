#include "system/joysticks.h"

namespace qv::system {

namespace {

using code::BuiltinCall;
using code::BuiltinFunction;
using platform::JoystickCapabilities;
using platform::JoystickReading;

bool read(const BuiltinCall& c, JoystickReading& r) { return joystickSource().read(JoystickDevice(c.integer(0)), r); }
bool capabilities(const BuiltinCall& c, JoystickCapabilities& caps) {
  return joystickSource().capabilities(JoystickDevice(c.integer(0)), caps);
}

void Exists(BuiltinCall& c) {
  JoystickReading r;
  c.result = read(c, r) ? 1.0 : 0.0;
}
void Name(BuiltinCall& c) {
  JoystickCapabilities caps;
  c.result.setString(capabilities(c, caps) ? caps.name : std::string());
}
void Axes(BuiltinCall& c) {
  JoystickCapabilities caps;
  c.result = capabilities(c, caps) ? caps.axes : 0.0;
}
void Buttons(BuiltinCall& c) {
  JoystickCapabilities caps;
  c.result = capabilities(c, caps) ? caps.buttons : 0.0;
}
void HasPov(BuiltinCall& c) {
  JoystickCapabilities caps;
  c.result = capabilities(c, caps) && caps.hasPov ? 1.0 : 0.0;
}
void Direction(BuiltinCall& c) {
  JoystickReading r;
  c.result = read(c, r) ? JoystickDirection(r) : 101.0;
}
void CheckButton(BuiltinCall& c) {
  const int numb = c.integer(1);
  JoystickReading r;
  c.result = numb >= 1 && numb <= 32 && read(c, r) && (r.buttons >> (numb - 1) & 1u) ? 1.0 : 0.0;
}
// Raw 0..65535 becomes -1..1 (the centre 32767 gives exactly 0).
template <int Axis>
void Position(BuiltinCall& c) {
  JoystickReading r;
  c.result = read(c, r) ? double(r.axes[Axis]) / 32767.0 - 1.0 : 0.0;
}
void Pov(BuiltinCall& c) {
  JoystickReading r;
  if (!read(c, r)) {
    c.result = -1.0;
    return;
  }
  const double degrees = double(r.pov) / 100.0;
  c.result = degrees >= 360.0 ? -1.0 : degrees;
}

const BuiltinFunction kJoystickFunctions[] = {
    {"joystick_exists", Exists, 1},
    {"joystick_name", Name, 1},
    {"joystick_axes", Axes, 1},
    {"joystick_buttons", Buttons, 1},
    {"joystick_has_pov", HasPov, 1},
    {"joystick_direction", Direction, 1},
    {"joystick_check_button", CheckButton, 2},
    {"joystick_xpos", Position<0>, 1},
    {"joystick_ypos", Position<1>, 1},
    {"joystick_zpos", Position<2>, 1},
    {"joystick_rpos", Position<3>, 1},
    {"joystick_upos", Position<4>, 1},
    {"joystick_vpos", Position<5>, 1},
    {"joystick_pov", Pov, 1},
};

// Band of a raw axis value: 0 below 20000, 1 from 20000 to 44000, 2 above.
int band(uint32_t raw) { return raw < 20000 ? 0 : raw <= 44000 ? 1 : 2; }

}  // namespace

JoystickSource& joystickSource() {
  static JoystickSource source;
  return source;
}

int JoystickDevice(int id) { return id == 2 ? 1 : 0; }

int JoystickDirection(const JoystickReading& r) {
  static constexpr int kRow[3] = {6, 3, 0};     // up, middle, down
  static constexpr int kColumn[3] = {1, 2, 3};  // left, middle, right
  return 96 + kRow[band(r.axes[1])] + kColumn[band(r.axes[0])];
}

code::BuiltinFamily JoystickFunctions() { return kJoystickFunctions; }

}  // namespace qv::system
