// Sections: binding and preparation; device and render states; frame cycle; window state;
// display modes; mouse mappings; captures.
#include "graphics/display.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "code/rounding.h"
#include "graphics/bitmap_ops.h"
#include "graphics/colour.h"
#include "graphics/d3dx.h"
#include "graphics/surface.h"
#include "graphics/texture_table.h"

namespace qv::graphics {

using code::roundToInt32;
using platform::Rect;

Display& display() {
  static Display d;
  return d;
}

namespace {
// Start-up failures are shown to the player; headless runs write them to stderr.
void ShowMessage(const char* text) { std::fprintf(stderr, "%s\n", text); }

constexpr double kPi = 3.14159265358979323846;
}  // namespace

// --- binding and preparation ---------------------------------------------------------------------

void Display::bindWindow(platform::GameWindow* window) {
  window_ = window;
  if (window_) {
    const platform::DisplayMode m = window_->desktopMode();
    if (m.width > 0) screenWidth = m.width;
    if (m.height > 0) screenHeight = m.height;
  }
  applyWindowState();
}

bool Display::prepare(const DisplaySettings& s) {
  if (s.setResolution) {
    int depth = -1, w = -1, h = -1, freq = -1;
    if (s.colourDepthCode == 1) depth = 16;
    if (s.colourDepthCode == 2) depth = 32;
    static const int kSizes[6][2] = {{320, 240}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
    if (s.resolutionCode >= 1 && s.resolutionCode <= 6) {
      w = kSizes[s.resolutionCode - 1][0];
      h = kSizes[s.resolutionCode - 1][1];
    }
    static const int kFrequencies[5] = {60, 70, 85, 100, 120};
    if (s.frequencyCode >= 1 && s.frequencyCode <= 5) freq = kFrequencies[s.frequencyCode - 1];
    if (depth > 0 || w > 0 || freq > 0) setDisplayMode(w, h, freq, depth);
  }
  // A display that is neither 16 nor 32 bits (24-bit desktops count as 32) cannot be switched by
  // a question here; device creation reports it.
  setRegionSize(8, 8, true);
  integerScaling = s.integerScaling;
  setRegionScale(s.scaling / 100.0, true);
  sizeable = s.allowResize;
  stayOnTop = s.stayOnTop;
  windowColour = s.windowColour;
  showBorder = !s.noBorder;
  showIcons = !s.noButtons;
  fullscreen = s.fullScreen;
  displayCursor = s.displayCursor;
  if (window_) {
    window_->setAlwaysOnTop(stayOnTop);
    if (!displayCursor) window_->setCursor(platform::CursorShape::None);
  }
  applyWindowState();
  // The game's window is made hidden; it shows from here on, the game ready to draw into it.
  if (window_) window_->setVisible(true);
  if (!createDevice(640, 480, s.vsync)) return false;
  interpolation = s.interpolate;
  applyRenderStates();
  return true;
}

// --- device and render states --------------------------------------------------------------------

bool Display::createDevice(int width, int height, bool sync) {
  synchronization = sync;
  renderWidth = std::min(width, screenWidth);
  renderHeight = std::min(height, screenHeight);
  if (!window_) return false;
  const int depth = window_->currentMode().bitsPerPixel;
  if (depth != 16 && depth != 32) {
    ShowMessage("This program requires 16-bit (High Color) or 32-bit (Full Color) mode. Please change this in your "
                "display properties and run again.");
    return false;
  }
  const platform::DisplayMode desktop = window_->desktopMode();
  if (desktop.width < 1 || desktop.height < 1) {
    ShowMessage("Failed to retrieve display mode.");
    return false;
  }
  auto device = platform::CreateGLDevice(*window_, desktop.width, desktop.height);
  if (!device) {
    ShowMessage("Failed to initialize drawing surfaces. Please check that your graphics card meets the minimum "
                "requirements and that your drivers are up-to-date. If your graphics card has little memory, try "
                "switching your computer to a lower resolution.");
    return false;
  }
  window_->setVsync(synchronization);
  useDevice(std::move(device));
  return true;
}

void Display::useDevice(std::unique_ptr<platform::Device> device) {
  textures().attach(nullptr);
  ForgetSurfaces();
  device_ = std::move(device);
  textures().attach(device_.get());  // device creation empties the texture table
  if (!device_) return;
  device_->clear(true, 0, false, 1.0f);
  setViewport(0, 0, renderWidth, renderHeight);
  setProjection(0, 0, renderWidth, renderHeight, 0);
  applyRenderStates();
}

bool Display::resetDevice() {
  if (!device_) return false;
  FreeAllSurfaces();  // render targets do not survive a reset
  if (!device_->reset(mode3d)) return false;
  device_->clear(true, 0, false, 1.0f);
  // The world matrix and the lights are held by the device alone: a reset returns them to the
  // device's defaults.
  device_->setTransformWorld(platform::Matrix{});
  for (int i = 0; i < 8; ++i) device_->setLight(i, platform::Light{});
  applyRenderStates();
  return true;
}

void Display::releaseDevice() {
  textures().attach(nullptr);
  ForgetSurfaces();
  device_.reset();
}

void Display::applyRenderStates() {
  if (!device_) return;
  platform::RenderState s = device_->state();
  using namespace platform;
  s.alphaBlend = true;
  s.cull = culling ? CullMode::CounterClockwise : CullMode::None;
  s.srcBlend = BlendFactor(std::clamp(srcBlend, 1, 11));
  s.destBlend = BlendFactor(std::clamp(destBlend, 1, 11));
  s.lighting = lighting;
  s.shade = smoothShading ? ShadeMode::Gouraud : ShadeMode::Flat;
  if (mode3d && hiddenSurfaceRemoval) {
    // Fully transparent pixels write no depth.
    s.zEnable = true;
    s.alphaTest = true;
    s.alphaRef = 0;
    s.alphaFunc = CompareFunc::Greater;
  } else {
    s.zEnable = false;
    s.alphaTest = false;
  }
  s.fog = fog;
  s.fogTableMode = FogMode::None;
  s.fogVertexMode = FogMode::None;
  if (fog) {
    const DeviceLimits& caps = device_->limits();
    if (caps.tableFog) {
      s.fogTableMode = FogMode::Linear;
    } else if (caps.vertexFog) {
      s.fogVertexMode = FogMode::Linear;
      s.rangeFog = caps.rangeFog;
    } else {
      s.fog = false;
    }
    s.fogColour = ScriptToDevice(fogColour, 1.0);
    s.fogStart = float(fogStart);
    s.fogEnd = float(fogEnd);
  }
  const TextureFilter filter = interpolation ? TextureFilter::Linear : TextureFilter::Point;
  s.stage0.magFilter = filter;
  s.stage0.minFilter = filter;
  if (textureBlending) {
    s.stage0.colourOp = TextureOp::Modulate;
    s.stage0.alphaOp = TextureOp::Modulate;
  } else {
    s.stage0.colourOp = TextureOp::SelectArg1;
    s.stage0.alphaOp = TextureOp::SelectArg1;
  }
  s.stage0.colourArg1 = s.stage0.alphaArg1 = TextureArg::Texture;
  s.stage0.colourArg2 = s.stage0.alphaArg2 = TextureArg::Diffuse;
  const TextureAddress address = textureRepeat ? TextureAddress::Wrap : TextureAddress::Clamp;
  s.stage0.addressU = address;
  s.stage0.addressV = address;
  device_->setState(s);
}

void Display::setRenderSize(int w, int h) {
  w = std::min(w, screenWidth);
  h = std::min(h, screenHeight);
  if (w == renderWidth && h == renderHeight) return;
  renderWidth = w;
  renderHeight = h;
  setViewport(0, 0, w, h);
  setProjection(0, 0, w, h, 0);
}

void Display::setViewport(int x, int y, int w, int h) {
  if (device_) device_->setViewport(platform::Viewport{x, y, w, h, 0.0f, 1.0f});
}

void Display::setProjection(double x, double y, double w, double h, double angle) {
  if (mode3d && perspective) {
    setPerspectiveProjection(x, y, w, h, angle);
  } else {
    setOrthoProjection(x, y, w, h, angle);
  }
}

void Display::setPerspectiveProjection(double x, double y, double w, double h, double angle) {
  if (!device_) return;
  const double cx = x + w / 2, cy = y + h / 2;
  const double a = -angle * kPi / 180.0;
  device_->setTransformView(D3DXMatrixLookAtLH({cx, cy, -w}, {cx, cy, 0.0}, {std::sin(a), std::cos(a), 0.0}));
  device_->setTransformProjection(D3DXMatrixPerspectiveLH(1.0, h / w, 1.0, 32000.0));
}

void Display::setOrthoProjection(double x, double y, double w, double h, double angle) {
  if (!device_) return;
  const double cx = x + w / 2, cy = y + h / 2;
  const double a = -angle * kPi / 180.0;
  device_->setTransformView(D3DXMatrixLookAtLH({cx, cy, -16000.0}, {cx, cy, 0.0}, {std::sin(a), std::cos(a), 0.0}));
  device_->setTransformProjection(D3DXMatrixOrthoLH(w, -h, 1.0, 32000.0));
}

// --- frame cycle ---------------------------------------------------------------------------------

void Display::beginFrame() {
  if (device_) device_->beginScene();
}

void Display::endFrame() {
  if (!device_) return;
  device_->endScene();
  if (!device_->present(Rect{0, 0, renderWidth, renderHeight}, drawingRect(), ScriptToDevice(windowColour, 1.0),
                        interpolation))
    resetDevice();  // a lost device is restored this way, one attempt per frame
}

void Display::presentOnly() {
  if (!device_) return;
  device_->present(Rect{0, 0, renderWidth, renderHeight}, drawingRect(), ScriptToDevice(windowColour, 1.0),
                   interpolation);
}

void Display::redraw() {
  if (drawRoom) drawRoom();
  endFrame();
  beginFrame();
}

void Display::repaint() { presentOnly(); }

// --- window state --------------------------------------------------------------------------------

double Display::effectiveScale() const {
  if (regionScale > 0) return regionScale;
  const double rw = std::max(regionWidth, 1), rh = std::max(regionHeight, 1);
  const double fit = std::min(clientWidth / rw, clientHeight / rh);
  return integerScaling && fit >= 1 ? std::floor(fit) : fit;
}

platform::Rect Display::drawingRect() const {
  if (regionScale == 0) return Rect{0, 0, clientWidth, clientHeight};
  const double s = effectiveScale();
  const int w = roundToInt32(s * std::max(regionWidth, 1)), h = roundToInt32(s * std::max(regionHeight, 1));
  return Rect{(clientWidth - w) / 2, (clientHeight - h) / 2, w, h};
}

void Display::applyWindowState() {
  applying = true;
  if (window_) {
    if (fullscreen) {
      window_->setFullscreen(true);
      int x = 0, y = 0;
      window_->clientRect(x, y, clientWidth, clientHeight);
    } else {
      window_->setFullscreen(false);
      window_->setBordered(showBorder);
      window_->setResizable(sizeable);
      window_->setClientRect(clientX, clientY, clientWidth, clientHeight);
    }
  } else if (fullscreen) {
    clientWidth = screenWidth;
    clientHeight = screenHeight;
  }
  applying = false;
}

void Display::recordBounds() {
  if (fullscreen || applying || !window_) return;
  window_->clientRect(clientX, clientY, clientWidth, clientHeight);
}

void Display::setFullscreen(bool on) {
  recordBounds();
  if (on && !fullscreen) windowed_ = Rect{clientX, clientY, clientWidth, clientHeight};
  if (!on && fullscreen) {
    // Back to the windowed placement recorded when full screen began.
    clientX = windowed_.x;
    clientY = windowed_.y;
    clientWidth = windowed_.width;
    clientHeight = windowed_.height;
  }
  fullscreen = on;
  applyWindowState();
}

void Display::setShowBorder(bool on) {
  recordBounds();
  showBorder = on;
  applyWindowState();
}

void Display::setShowIcons(bool on) {
  recordBounds();
  showIcons = on;
  applyWindowState();
}

void Display::setSizeable(bool on) {
  recordBounds();
  sizeable = on;
  applyWindowState();
}

void Display::setStayOnTop(bool on) {
  stayOnTop = on;
  if (window_) window_->setAlwaysOnTop(on);
}

void Display::setVisible(bool on) {
  if (window_) window_->setVisible(on);
}

bool Display::visible() const { return window_ && window_->visible(); }

void Display::setCaption(const std::string& text) {
  if (text == caption) return;  // the room drawing sets it every frame
  caption = text;
  if (window_) window_->setTitle(text);
}

void Display::setCursor(int shape) {
  cursor = shape;
  displayCursor = shape != -1;
  if (!window_) return;
  using platform::CursorShape;
  static const CursorShape kShapes[23] = {
      CursorShape::Default,  CursorShape::None,      CursorShape::Arrow,    CursorShape::Cross,
      CursorShape::Beam,     CursorShape::Default,   CursorShape::SizeNESW, CursorShape::SizeNS,
      CursorShape::SizeNWSE, CursorShape::SizeWE,    CursorShape::UpArrow,  CursorShape::HourGlass,
      CursorShape::Drag,     CursorShape::No,        CursorShape::HSplit,   CursorShape::VSplit,
      CursorShape::MultiDrag, CursorShape::SQLWait,  CursorShape::No,       CursorShape::AppStart,
      CursorShape::Help,     CursorShape::HandPoint, CursorShape::SizeAll};
  window_->setCursor(shape <= 0 && shape >= -22 ? kShapes[-shape] : CursorShape::Default);
}

void Display::setWindowColour(int32_t colour) {
  windowColour = colour;
  repaint();
}

void Display::setPosition(int x, int y) {
  recordBounds();
  clientX = x;
  clientY = y;
  applyWindowState();
}

void Display::setSize(int w, int h) { setRectangle(clientX, clientY, w, h); }

void Display::setRectangle(int x, int y, int w, int h) {
  recordBounds();
  clientX = x;
  clientY = y;
  clientWidth = w;
  clientHeight = h;
  if (regionScale > 0) {
    clientWidth = std::max(clientWidth, roundToInt32(regionWidth * regionScale));
    clientHeight = std::max(clientHeight, roundToInt32(regionHeight * regionScale));
  }
  clientWidth = std::max(clientWidth, 1);
  clientHeight = std::max(clientHeight, 1);
  applyWindowState();
}

void Display::center() {
  recordBounds();
  clientX = (screenWidth - clientWidth) / 2;
  clientY = (screenHeight - clientHeight) / 2;
  applyWindowState();
}

void Display::setDefault() {
  recordBounds();
  int w = regionWidth, h = regionHeight;
  if (regionScale > 0) {
    w = roundToInt32(w * regionScale);
    h = roundToInt32(h * regionScale);
  }
  clientWidth = std::max(w, 1);
  clientHeight = std::max(h, 1);
  clientX = (screenWidth - clientWidth) / 2;
  clientY = (screenHeight - clientHeight) / 2;
  applyWindowState();
}

void Display::setRegionSize(int w, int h, bool adapt) {
  if (w >= 1) regionWidth = w;
  if (h >= 1) regionHeight = h;
  if (regionScale > 0) {
    recordBounds();
    const int sw = roundToInt32(regionWidth * regionScale), sh = roundToInt32(regionHeight * regionScale);
    clientWidth = adapt ? sw : std::max(clientWidth, sw);
    clientHeight = adapt ? sh : std::max(clientHeight, sh);
    applyWindowState();
  }
  repaint();
}

void Display::setRegionScale(double scale, bool adapt) {
  regionScale = std::isnan(scale) ? 1.0 : scale;
  setRegionSize(0, 0, adapt);
}

void Display::userResized(int w, int h) {
  if (applying) return;
  if (regionScale > 0) {
    w = std::max(w, roundToInt32(regionWidth * regionScale));
    h = std::max(h, roundToInt32(regionHeight * regionScale));
  }
  if (!fullscreen && window_ && (w != clientWidth || h != clientHeight)) {
    int x = 0, y = 0, cw = 0, ch = 0;
    window_->clientRect(x, y, cw, ch);
    if (cw != w || ch != h) window_->setClientRect(x, y, w, h);
  }
  clientWidth = w;
  clientHeight = h;
  recordBounds();
  repaint();
}

bool Display::processEvents() {
  if (!window_) return true;
  bool open = true;
  for (const platform::WindowEvent& e : window_->poll()) {
    switch (e.kind) {
      case platform::WindowEvent::Quit: open = false; break;
      case platform::WindowEvent::FocusGained: windowActive = true; break;
      case platform::WindowEvent::FocusLost: windowActive = false; break;
      case platform::WindowEvent::Close:
        // A running game decides what its close button does; without one the window just closes.
        if (inputHandler) inputHandler(e);
        else open = false;
        break;
      case platform::WindowEvent::Resized: userResized(e.width, e.height); break;
      case platform::WindowEvent::Exposed: repaint(); break;
      case platform::WindowEvent::KeyDown:
        // Without input handlers (no game world) F4 switches full screen here; with them the
        // step's function-key stage does it, according to the game's settings.
        if (inputHandler) inputHandler(e);
        else if (e.key == platform::KeyCodeF4()) setFullscreen(!fullscreen);
        break;
      default:
        if (inputHandler) inputHandler(e);
        break;
    }
  }
  return open;
}

// --- display modes -------------------------------------------------------------------------------

platform::DisplayMode Display::displayMode() const {
  if (window_) return window_->currentMode();
  return platform::DisplayMode{screenWidth, screenHeight, 32, 0};
}

bool Display::setDisplayMode(int w, int h, int frequency, int depth) {
  const bool ok = window_ && window_->setDisplayMode(platform::DisplayMode{w, h, depth, frequency});
  if (ok && window_) {
    const platform::DisplayMode m = window_->currentMode();
    if (m.width > 0) screenWidth = m.width;
    if (m.height > 0) screenHeight = m.height;
  }
  resetDevice();  // whether or not the change succeeded
  return ok;
}

bool Display::testDisplayMode(int w, int h, int frequency, int depth) const {
  return window_ && window_->testDisplayMode(platform::DisplayMode{w, h, depth, frequency});
}

void Display::resetDisplayMode() {
  if (window_) window_->restoreDisplayMode();
  resetDevice();
}

// --- mouse mappings ------------------------------------------------------------------------------

Point Display::mouseInWindow() const {
  if (!window_) return {};
  int gx = 0, gy = 0, x = 0, y = 0, w = 0, h = 0;
  window_->globalMouse(gx, gy);
  window_->clientRect(x, y, w, h);
  return Point{gx - x, gy - y};
}

Point Display::windowToRegion(int mx, int my) const {
  const int rw = std::max(regionWidth, 1), rh = std::max(regionHeight, 1);
  if (regionScale == 0)
    return Point{roundToInt32(double(mx) * rw / std::max(clientWidth, 1)),
                 roundToInt32(double(my) * rh / std::max(clientHeight, 1))};
  const double s = effectiveScale();
  if (s == 0) return Point{0, 0};
  const int ox = (clientWidth - roundToInt32(rw * s)) / 2, oy = (clientHeight - roundToInt32(rh * s)) / 2;
  return Point{roundToInt32((mx - ox) / s), roundToInt32((my - oy) / s)};
}

Point Display::windowToRoom(int v, int mx, int my) const {
  const Point r = windowToRegion(mx, my);
  if (v < 0 || v >= kViewCount) return r;  // no such view: as an inactive entry
  const ViewMapping& m = views[size_t(v)];
  if (!m.active || m.portWidth == 0 || m.portHeight == 0) return r;
  const double u = (r.x - m.portX) * m.viewWidth / m.portWidth;
  const double w = (r.y - m.portY) * m.viewHeight / m.portHeight;
  if (std::fabs(m.angle) < 0.01) return Point{roundToInt32(u + m.viewX), roundToInt32(w + m.viewY)};
  const double a = -m.angle * kPi / 180.0;
  const double u2 = u - m.viewWidth / 2, w2 = w - m.viewHeight / 2;
  return Point{roundToInt32(std::cos(a) * u2 + std::sin(a) * w2 + m.viewWidth / 2 + m.viewX),
               roundToInt32(-std::sin(a) * u2 + std::cos(a) * w2 + m.viewHeight / 2 + m.viewY)};
}

bool Display::anyViewActive() const {
  return std::any_of(views.begin(), views.end(), [](const ViewMapping& m) { return m.active; });
}

Point Display::windowToRoomAllViews(int mx, int my) const {
  int lowest = -1;
  for (int v = kViewCount - 1; v >= 0; --v) {
    const ViewMapping& m = views[size_t(v)];
    if (!m.active) continue;
    lowest = v;
    const Point p = windowToRoom(v, mx, my);
    if (m.viewX <= p.x && p.x < m.viewX + m.viewWidth && m.viewY <= p.y && p.y < m.viewY + m.viewHeight) return p;
  }
  if (lowest < 0) return windowToRegion(mx, my);
  return windowToRoom(lowest, mx, my);
}

std::optional<Point> Display::roomToRegion(int v, double x, double y) const {
  if (v < 0 || v >= kViewCount) return std::nullopt;
  const ViewMapping& m = views[size_t(v)];
  if (!m.active || m.viewWidth == 0 || m.viewHeight == 0) return std::nullopt;
  const double u = (x - m.viewX) * m.portWidth / m.viewWidth;
  const double w = (y - m.viewY) * m.portHeight / m.viewHeight;
  if (std::fabs(m.angle) < 0.01) return Point{roundToInt32(u + m.portX), roundToInt32(w + m.portY)};
  const double a = m.angle * kPi / 180.0;
  const double u2 = u - m.portWidth / 2, w2 = w - m.portHeight / 2;
  return Point{roundToInt32(std::cos(a) * u2 + std::sin(a) * w2 + m.portWidth / 2 + m.portX),
               roundToInt32(-std::sin(a) * u2 + std::cos(a) * w2 + m.portHeight / 2 + m.portY)};
}

Point Display::regionToWindow(double rx, double ry) const {
  const int rw = std::max(regionWidth, 1), rh = std::max(regionHeight, 1);
  if (regionScale == 0)
    return Point{roundToInt32(rx * clientWidth / rw), roundToInt32(ry * clientHeight / rh)};
  const double s = effectiveScale();
  return Point{clientWidth / 2 - roundToInt32(s * rw) / 2 + roundToInt32(s * rx),
               clientHeight / 2 - roundToInt32(s * rh) / 2 + roundToInt32(s * ry)};
}

void Display::moveMouseInWindow(int x, int y) {
  if (!window_) return;
  int cx = 0, cy = 0, w = 0, h = 0;
  window_->clientRect(cx, cy, w, h);
  window_->setGlobalMouse(cx + x, cy + y);
}

void Display::moveMouseToRegion(double rx, double ry) {
  const Point p = regionToWindow(rx, ry);
  moveMouseInWindow(p.x, p.y);
}

// --- captures ------------------------------------------------------------------------------------

data::TBitmap32 Display::capture(int x, int y, int w, int h) {
  x = std::max(x, 0);
  y = std::max(y, 0);
  w = std::min(w, renderWidth - x);
  h = std::min(h, renderHeight - y);
  if (w < 1 || h < 1 || !device_) return data::TBitmap32();
  std::vector<uint32_t> pixels = device_->capture(Rect{x, y, w, h});
  if (pixels.size() != size_t(w) * size_t(h)) return data::TBitmap32();
  data::TBitmap32 b;
  b.width = w;
  b.height = h;
  b.pixels = std::move(pixels);
  // The back buffer has no alpha channel: its pixels are opaque.
  for (uint32_t& p : b.pixels) p |= 0xFF000000;
  return b;
}

bool Display::saveScreen(const std::string& hostPath, int x, int y, int w, int h) {
  data::TBitmap32 b = capture(x, y, w, h);
  if (b.empty()) return false;
  if (FileExtension(hostPath) == ".png") return SavePng(b, hostPath);
  return SaveBmp(b, hostPath);
}

void WriteSavedDrawing(data::CStream& s) { s.WriteBoolean(display().automaticDraw); }

std::function<void()> ReadSavedDrawing(data::CStream& s) {
  const bool automatic = s.ReadBoolean();
  return [automatic] { display().automaticDraw = automatic; };
}

}  // namespace qv::graphics
