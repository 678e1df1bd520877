// GameWindow: the one game window (an SDL window with an OpenGL 3.3 core context) and the display
// it is on. The graphics layer decides sizes, border and full screen; this class carries them out.
//
// Full screen is a borderless window of the desktop's size (no mode switch). A display mode is
// changed only when the game asks for one (setDisplayMode), and then through SDL's exclusive
// full-screen mode.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qv::platform {

struct DisplayMode {
  int width = 0, height = 0, bitsPerPixel = 0, refreshRate = 0;
};

enum class CursorShape { Default, None, Arrow, Cross, Beam, SizeNESW, SizeNS, SizeNWSE, SizeWE, UpArrow, HourGlass,
                         Drag, No, HSplit, VSplit, MultiDrag, SQLWait, AppStart, Help, HandPoint, SizeAll };

// What the window reports to the game layer between frames. Close is the window's close button;
// Quit is a request from outside the window (a signal) to end at once.
struct WindowEvent {
  enum Kind { Quit, Close, FocusGained, FocusLost, Resized, Exposed, KeyDown, KeyUp, Character, MouseDown, MouseUp, MouseMove, Wheel } kind = Quit;
  int key = 0;        // SDL keycode for key events
  int vk = 0;         // the virtual key for key events (0 when the key has none)
  int character = 0;  // Character: the byte typed (8 for backspace)
  int button = 0;     // mouse buttons: 1 left, 2 right, 3 middle
  int x = 0, y = 0;   // mouse position in the window's client area
  int wheel = 0;      // Wheel: 1 up, -1 down
  bool alt = false;   // key events: an Alt key was held
  int width = 0, height = 0;
};

// Gives the keyboard to the game's window, when one is open (after a dialog of its own closed).
void GiveKeyboardToGameWindow();

class GameWindow {
 public:
  // Opens a hidden window with a GL context; nullptr when video or OpenGL 3.3 core is unavailable.
  static std::unique_ptr<GameWindow> Open(int clientWidth, int clientHeight);
  ~GameWindow();
  GameWindow(const GameWindow&) = delete;
  GameWindow& operator=(const GameWindow&) = delete;

  void setVisible(bool v);
  bool visible() const;
  void setTitle(const std::string& utf8);
  void setBordered(bool b);
  void setResizable(bool b);
  void setAlwaysOnTop(bool b);
  // Borderless desktop-sized window when on; the previous placement is restored by the caller.
  void setFullscreen(bool on);
  bool fullscreen() const;
  void setClientRect(int x, int y, int w, int h);
  void clientRect(int& x, int& y, int& w, int& h) const;
  // Size of the drawable area in pixels (the same as the client size without scaling).
  void drawableSize(int& w, int& h) const;
  void setVsync(bool on);
  void swap();

  // Display.
  DisplayMode currentMode() const;
  DisplayMode desktopMode() const;
  bool testDisplayMode(const DisplayMode& wanted) const;  // values below 1 are "keep"
  bool setDisplayMode(const DisplayMode& wanted);
  void restoreDisplayMode();

  // Mouse and cursor.
  void globalMouse(int& x, int& y) const;
  void setGlobalMouse(int x, int y);
  void setCursor(CursorShape shape);

  // Drains the event queue.
  std::vector<WindowEvent> poll();
  // Queues a key press as if the player made it (scripted input and tests).
  void pushKeyDown(int key);
  // The video driver in use ("x11", "offscreen", ...).
  static std::string driver();

  void* nativeWindow() const { return window_; }
  void* glContext() const { return context_; }

 private:
  GameWindow() = default;
  void* window_ = nullptr;   // SDL_Window*
  void* context_ = nullptr;  // SDL_GLContext
  void* cursor_ = nullptr;   // SDL_Cursor*
  bool modeChanged_ = false;
};

// Key code of F4 in the events above (so that callers need no SDL header).
int KeyCodeF4();

}  // namespace qv::platform
