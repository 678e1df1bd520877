// Display: the window state, the region and its scaling into the window, the device and its render
// states, the frame cycle, the mouse mappings through views and captures of the back buffer.
//
// The device keeps a back buffer of the desktop's size; a frame uses its top-left render-size
// corner, and presenting scales that corner into the drawing rectangle of the window. Everything
// here also works without a window or device (the state and the formulas), which unit tests use.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/bitmap32.h"
#include "data/stream.h"
#include "platform/device.h"
#include "platform/game_window.h"

namespace qv::graphics {

// The game settings this part reads; the runner fills it from the game's settings.
struct DisplaySettings {
  bool fullScreen = false;
  bool interpolate = false;    // interpolate colours between pixels
  bool noBorder = false;
  bool noButtons = false;
  bool displayCursor = true;
  int scaling = -1;            // percent; 0 stretches, a negative value keeps the aspect ratio
  bool integerScaling = false; // with a negative scaling: whole multiples of the region only
  bool allowResize = false;
  bool stayOnTop = false;
  int32_t windowColour = 0;    // script colour outside the drawn picture
  bool setResolution = false;
  int colourDepthCode = 0, resolutionCode = 0, frequencyCode = 0;
  bool vsync = false;          // synchronization
};

// One entry of the view mapping table; the room drawing fills entries 0 to 7 every frame.
struct ViewMapping {
  bool active = false;
  double viewX = 0, viewY = 0, viewWidth = 0, viewHeight = 0;
  double portX = 0, portY = 0, portWidth = 0, portHeight = 0;
  double angle = 0;
};

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

class Display {
 public:
  static constexpr int kViewCount = 32;

  // --- window state (defaults as a new window has them) ---
  bool fullscreen = false, showBorder = true, showIcons = true, sizeable = true, stayOnTop = false;
  int clientX = 100, clientY = 100, clientWidth = 640, clientHeight = 480;
  int frameExtraWidth = 8, frameExtraHeight = 32;
  int regionWidth = 640, regionHeight = 480;
  double regionScale = 1.0;
  // The player's choice of whole multiples: a negative region scale then takes the largest whole
  // scale that fits the window (a fractional one only when not even 1 fits), so pixels stay even.
  bool integerScaling = false;
  bool applying = false;
  int32_t windowColour = 0;
  std::string caption;
  int cursor = 0;
  bool displayCursor = true;

  // --- device state ---
  int renderWidth = 640, renderHeight = 480;
  bool synchronization = false, mode3d = false, interpolation = true, textureBlending = true, textureRepeat = false;
  bool hiddenSurfaceRemoval = true, perspective = true, lighting = false, smoothShading = true;
  bool fog = false;
  int32_t fogColour = 0;
  double fogStart = 0.0, fogEnd = 1.0;
  int srcBlend = 5, destBlend = 6;
  bool culling = false;
  bool automaticDraw = true;
  // Whether the game window has the input focus; a window that never heard otherwise counts as
  // active (so does the absence of a window).
  bool windowActive = true;

  // --- views ---
  std::array<ViewMapping, kViewCount> views{};
  int currentView = 0;

  // Screen size used by every rule that cuts to the screen (the desktop's unless a test sets it).
  int screenWidth = 1024, screenHeight = 768;

  // Draws the room into the open frame (filled in by the room drawing; nothing until then).
  std::function<void()> drawRoom;

  // --- binding ---
  // Uses this window from now on (its desktop gives the screen size) and applies the window state.
  void bindWindow(platform::GameWindow* window);
  platform::GameWindow* window() const { return window_; }
  platform::Device* device() const { return device_.get(); }
  // Preparation at start: display mode, window state, device, interpolation, first frame.
  // Textures of the resources are made by the caller between device creation and the first frame.
  bool prepare(const DisplaySettings& settings);

  // --- device ---
  bool createDevice(int width, int height, bool sync);
  // Uses a given device (tests pass a recording device).
  void useDevice(std::unique_ptr<platform::Device> device);
  bool resetDevice();
  void releaseDevice();
  void applyRenderStates();
  void setRenderSize(int w, int h);
  void setViewport(int x, int y, int w, int h);
  // The projection of a view, the room or a surface: the perspective one in 3D mode with
  // perspective on, the orthographic one of 2D drawing otherwise.
  void setProjection(double x, double y, double w, double h, double angle);
  void setOrthoProjection(double x, double y, double w, double h, double angle);
  void setPerspectiveProjection(double x, double y, double w, double h, double angle);

  // --- frame cycle ---
  void beginFrame();
  void endFrame();       // end scene, present (reset after a failed present), begin is the caller's
  void presentOnly();
  void redraw();         // screen_redraw: draw the room, end and present, begin the next frame
  // Repaint after an expose or resize: the bands and the last frame again.
  void repaint();

  // --- window ---
  platform::Rect drawingRect() const;
  void applyWindowState();
  void recordBounds();
  void setFullscreen(bool on);
  void setShowBorder(bool on);
  void setShowIcons(bool on);
  void setSizeable(bool on);
  void setStayOnTop(bool on);
  void setVisible(bool on);
  bool visible() const;
  void setCaption(const std::string& text);
  void setCursor(int shape);
  void setWindowColour(int32_t colour);
  void setPosition(int x, int y);
  void setSize(int w, int h);
  void setRectangle(int x, int y, int w, int h);
  void center();
  void setDefault();
  void setRegionSize(int w, int h, bool adapt);
  void setRegionScale(double scale, bool adapt);
  // The user resized the client area to w x h.
  void userResized(int w, int h);
  // Window events between steps: resize, expose, and F4 which switches full screen.
  // Returns false when the player asked to close the window.
  bool processEvents();
  // Receives the window's key, character and mouse events (the game's input handlers).
  std::function<void(const platform::WindowEvent&)> inputHandler;

  // --- display modes ---
  platform::DisplayMode displayMode() const;
  bool setDisplayMode(int w, int h, int frequency, int depth);  // resets the device
  bool testDisplayMode(int w, int h, int frequency, int depth) const;
  void resetDisplayMode();

  // --- mouse ---
  Point mouseInWindow() const;
  Point windowToRegion(int mx, int my) const;
  Point windowToRoom(int view, int mx, int my) const;
  Point windowToRoomAllViews(int mx, int my) const;
  // Room point seen through a view as a region point; nullopt for an unusable entry.
  std::optional<Point> roomToRegion(int view, double x, double y) const;
  // Client-relative cursor position for a region point.
  Point regionToWindow(double rx, double ry) const;
  void moveMouseInWindow(int x, int y);
  void moveMouseToRegion(double rx, double ry);
  bool anyViewActive() const;

  // --- captures ---
  // Back-buffer rectangle (clamped to the render size), opaque; empty when nothing is left.
  data::TBitmap32 capture(int x, int y, int w, int h);
  // screen_save / screen_save_part: PNG (alpha 255) for ".png", otherwise a 32-bit Windows bitmap.
  bool saveScreen(const std::string& hostPath, int x, int y, int w, int h);

 private:
  double effectiveScale() const;
  platform::GameWindow* window_ = nullptr;
  platform::Rect windowed_{100, 100, 640, 480};
  std::unique_ptr<platform::Device> device_;
};

Display& display();

// The display's section of a saved game: whether the room is drawn automatically. The reader
// returns what makes the value current (never refuses).
void WriteSavedDrawing(data::CStream& s);
std::function<void()> ReadSavedDrawing(data::CStream& s);

}  // namespace qv::graphics
