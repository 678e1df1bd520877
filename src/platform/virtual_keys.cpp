#include "platform/virtual_keys.h"

#include <SDL.h>

namespace qv::platform {

namespace {

struct KeyPair {
  SDL_Keycode sdl;
  int vk;
};

// Keys whose code is not a letter, digit or function key.
constexpr KeyPair kKeys[] = {
    {SDLK_BACKSPACE, 8},      {SDLK_TAB, 9},           {SDLK_RETURN, 13},      {SDLK_KP_ENTER, 13},
    {SDLK_PAUSE, 19},         {SDLK_CAPSLOCK, 20},     {SDLK_ESCAPE, 27},      {SDLK_SPACE, 32},
    {SDLK_PAGEUP, 33},        {SDLK_PAGEDOWN, 34},     {SDLK_END, 35},         {SDLK_HOME, 36},
    {SDLK_LEFT, 37},          {SDLK_UP, 38},           {SDLK_RIGHT, 39},       {SDLK_DOWN, 40},
    {SDLK_PRINTSCREEN, 44},   {SDLK_INSERT, 45},       {SDLK_DELETE, 46},      {SDLK_LGUI, 91},
    {SDLK_RGUI, 92},          {SDLK_APPLICATION, 93},  {SDLK_KP_0, 96},        {SDLK_KP_1, 97},
    {SDLK_KP_2, 98},          {SDLK_KP_3, 99},         {SDLK_KP_4, 100},       {SDLK_KP_5, 101},
    {SDLK_KP_6, 102},         {SDLK_KP_7, 103},        {SDLK_KP_8, 104},       {SDLK_KP_9, 105},
    {SDLK_KP_MULTIPLY, 106},  {SDLK_KP_PLUS, 107},     {SDLK_KP_MINUS, 109},   {SDLK_KP_PERIOD, 110},
    {SDLK_KP_DIVIDE, 111},    {SDLK_NUMLOCKCLEAR, 144}, {SDLK_SCROLLLOCK, 145}, {SDLK_LSHIFT, 160},
    {SDLK_RSHIFT, 161},       {SDLK_LCTRL, 162},       {SDLK_RCTRL, 163},      {SDLK_LALT, 164},
    {SDLK_RALT, 165},         {SDLK_SEMICOLON, 186},   {SDLK_EQUALS, 187},     {SDLK_COMMA, 188},
    {SDLK_MINUS, 189},        {SDLK_PERIOD, 190},      {SDLK_SLASH, 191},      {SDLK_BACKQUOTE, 192},
    {SDLK_LEFTBRACKET, 219},  {SDLK_BACKSLASH, 220},   {SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222},
};

}  // namespace

int VirtualKeyFromSdl(int sdlKey) {
  if (sdlKey >= SDLK_a && sdlKey <= SDLK_z) return 'A' + (sdlKey - SDLK_a);
  if (sdlKey >= SDLK_0 && sdlKey <= SDLK_9) return '0' + (sdlKey - SDLK_0);
  if (sdlKey >= SDLK_F1 && sdlKey <= SDLK_F12) return 112 + (sdlKey - SDLK_F1);
  if (sdlKey >= SDLK_F13 && sdlKey <= SDLK_F24) return 124 + (sdlKey - SDLK_F13);
  for (const KeyPair& p : kKeys)
    if (p.sdl == sdlKey) return p.vk;
  return 0;
}

int SdlScancodeFromVirtualKey(int vk) {
  SDL_Keycode key = SDLK_UNKNOWN;
  if (vk >= 'A' && vk <= 'Z') key = SDLK_a + (vk - 'A');
  else if (vk >= '0' && vk <= '9') key = SDLK_0 + (vk - '0');
  else if (vk >= 112 && vk <= 123) key = SDLK_F1 + (vk - 112);
  else if (vk >= 124 && vk <= 135) key = SDLK_F13 + (vk - 124);
  else
    for (const KeyPair& p : kKeys)
      if (p.vk == vk) {
        key = p.sdl;
        break;
      }
  if (key == SDLK_UNKNOWN) return 0;
  // Keys without a character carry their scancode; letters and digits have fixed scancodes; the
  // rest go through SDL's current layout.
  if (key & SDLK_SCANCODE_MASK) return key & ~SDLK_SCANCODE_MASK;
  if (key >= SDLK_a && key <= SDLK_z) return SDL_SCANCODE_A + (key - SDLK_a);
  if (key == SDLK_0) return SDL_SCANCODE_0;
  if (key >= SDLK_1 && key <= SDLK_9) return SDL_SCANCODE_1 + (key - SDLK_1);
  return static_cast<int>(SDL_GetScancodeFromKey(key));
}

bool VirtualKeyHeldNow(int vk) {
  if (vk == 16) return VirtualKeyHeldNow(160) || VirtualKeyHeldNow(161);
  if (vk == 17) return VirtualKeyHeldNow(162) || VirtualKeyHeldNow(163);
  if (vk == 18) return VirtualKeyHeldNow(164) || VirtualKeyHeldNow(165);
  const int scancode = SdlScancodeFromVirtualKey(vk);
  if (scancode <= 0 || scancode >= SDL_NUM_SCANCODES) return false;
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  return state && scancode < count && state[scancode] != 0;
}

bool NumLockOn() { return (SDL_GetModState() & KMOD_NUM) != 0; }

void SetNumLockState(bool on) {
  const SDL_Keymod mod = SDL_GetModState();
  SDL_SetModState(static_cast<SDL_Keymod>(on ? (mod | KMOD_NUM) : (mod & ~KMOD_NUM)));
}

}  // namespace qv::platform
