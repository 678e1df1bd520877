#include "platform/sdl_events.h"

#include <SDL.h>

#include "platform/code_page.h"
#include "platform/virtual_keys.h"

namespace qv::platform {

void TranslateSdlEvent(const SDL_Event& e, std::vector<WindowEvent>& events) {
  WindowEvent out;
  switch (e.type) {
    case SDL_QUIT: out.kind = WindowEvent::Quit; break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      out.kind = e.type == SDL_KEYDOWN ? WindowEvent::KeyDown : WindowEvent::KeyUp;
      out.key = e.key.keysym.sym;
      out.vk = VirtualKeyFromSdl(e.key.keysym.sym);
      out.alt = (e.key.keysym.mod & KMOD_ALT) != 0;
      // Backspace produces no text event; games see it as character 8.
      if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_BACKSPACE) {
        events.push_back(out);
        out = WindowEvent{};
        out.kind = WindowEvent::Character;
        out.character = 8;
      }
      break;
    case SDL_TEXTINPUT:
      // The game's strings hold one code page 1252 byte a character; others are dropped whole.
      for (const char c : Utf8ToCp1252Dropping(e.text.text)) {
        WindowEvent ch;
        ch.kind = WindowEvent::Character;
        ch.character = static_cast<unsigned char>(c);
        events.push_back(ch);
      }
      return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int b = e.button.button == SDL_BUTTON_LEFT ? 1 : e.button.button == SDL_BUTTON_RIGHT ? 2
                    : e.button.button == SDL_BUTTON_MIDDLE ? 3 : 0;
      if (b == 0) return;
      out.kind = e.type == SDL_MOUSEBUTTONDOWN ? WindowEvent::MouseDown : WindowEvent::MouseUp;
      out.button = b;
      out.x = e.button.x;
      out.y = e.button.y;
      break;
    }
    case SDL_MOUSEMOTION:
      out.kind = WindowEvent::MouseMove;
      out.x = e.motion.x;
      out.y = e.motion.y;
      break;
    case SDL_MOUSEWHEEL:
      if (e.wheel.y == 0) return;
      out.kind = WindowEvent::Wheel;
      out.wheel = e.wheel.y > 0 ? 1 : -1;
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        out.kind = WindowEvent::Resized;
        out.width = e.window.data1;
        out.height = e.window.data2;
      } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        out.kind = WindowEvent::FocusGained;
      } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        out.kind = WindowEvent::FocusLost;
      } else if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        out.kind = WindowEvent::Close;
      } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
        out.kind = WindowEvent::Exposed;
      } else {
        return;
      }
      break;
    default: return;
  }
  events.push_back(out);
}

}  // namespace qv::platform
