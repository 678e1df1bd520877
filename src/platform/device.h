// Device: the drawing device with Direct3D 8 semantics that every drawing part of the runner uses.
//
// The state model is the fixed-function pipeline of that API: render states (blending, alpha test,
// depth, culling, shading, fog, lighting), one texture stage with its operations, filters and
// addressing, eight lights, a material and the world, view and projection transforms. Enum values
// are the API's own numbers, so game-visible constants (blend modes 1..11) pass straight through.
//
// Conventions kept by every back-end:
// - matrices are row-major and act on row vectors (v' = v * M), left-handed;
// - pixel centres lie on integer coordinates (a quad from -0.5 to w-0.5 covers pixels 0..w-1);
// - render targets keep memory row 0 as the top row; colours are 0xAARRGGBB, not premultiplied;
// - clears cover the viewport only;
// - the whole state survives reset(): the back-end applies it again.
//
// Back-ends: GLDevice (OpenGL 3.3 core, gl_device.cpp) and RecordingDevice (recording_device.h),
// which logs vertex streams and state for exact geometry tests.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace qv::platform {

enum class BlendFactor : int32_t {
  Zero = 1, One = 2, SrcColor = 3, InvSrcColor = 4, SrcAlpha = 5, InvSrcAlpha = 6,
  DestAlpha = 7, InvDestAlpha = 8, DestColor = 9, InvDestColor = 10, SrcAlphaSat = 11,
};
enum class CullMode : int32_t { None = 1, Clockwise = 2, CounterClockwise = 3 };
enum class ShadeMode : int32_t { Flat = 1, Gouraud = 2 };
enum class CompareFunc : int32_t {
  Never = 1, Less = 2, Equal = 3, LessEqual = 4, Greater = 5, NotEqual = 6, GreaterEqual = 7, Always = 8,
};
enum class TextureOp : int32_t { Disable = 1, SelectArg1 = 2, SelectArg2 = 3, Modulate = 4 };
enum class TextureArg : int32_t { Diffuse = 0, Current = 1, Texture = 2 };
enum class TextureFilter : int32_t { Point = 1, Linear = 2 };
enum class TextureAddress : int32_t { Wrap = 1, Mirror = 2, Clamp = 3 };
enum class FogMode : int32_t { None = 0, Linear = 3 };
enum class LightType : int32_t { Point = 1, Spot = 2, Directional = 3 };
enum class PrimitiveType : int32_t {
  PointList = 1, LineList = 2, LineStrip = 3, TriangleList = 4, TriangleStrip = 5, TriangleFan = 6,
};

struct Matrix {
  std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // row-major
  float operator()(int r, int c) const { return m[size_t(r * 4 + c)]; }
  float& operator()(int r, int c) { return m[size_t(r * 4 + c)]; }
  bool operator==(const Matrix&) const = default;
};

struct ColourValue {  // r, g, b, a in 0..1
  float r = 0, g = 0, b = 0, a = 0;
  bool operator==(const ColourValue&) const = default;
};

struct Light {
  LightType type = LightType::Directional;
  ColourValue diffuse{1, 1, 1, 0}, specular, ambient;
  std::array<float, 3> position{0, 0, 0};
  std::array<float, 3> direction{0, 0, 1};
  float range = 0, falloff = 0, attenuation0 = 0, attenuation1 = 0, attenuation2 = 0, theta = 0, phi = 0;
  bool enabled = false;
  bool operator==(const Light&) const = default;
};

struct Material {
  ColourValue diffuse, ambient, specular, emissive;
  float power = 0;
  bool operator==(const Material&) const = default;
};

// Stage 0 of the texture cascade; filters and addressing belong to the stage, not the texture.
struct TextureStage {
  TextureOp colourOp = TextureOp::Modulate;
  TextureArg colourArg1 = TextureArg::Texture, colourArg2 = TextureArg::Current;
  TextureOp alphaOp = TextureOp::SelectArg1;
  TextureArg alphaArg1 = TextureArg::Texture, alphaArg2 = TextureArg::Current;
  TextureFilter magFilter = TextureFilter::Point, minFilter = TextureFilter::Point;
  TextureAddress addressU = TextureAddress::Wrap, addressV = TextureAddress::Wrap;
  bool operator==(const TextureStage&) const = default;
};

// Every render state a draw depends on. Defaults are the API's defaults at device creation.
struct RenderState {
  bool alphaBlend = false;
  BlendFactor srcBlend = BlendFactor::One, destBlend = BlendFactor::Zero;
  bool alphaTest = false;
  CompareFunc alphaFunc = CompareFunc::Always;
  int32_t alphaRef = 0;  // 0..255
  bool zEnable = false, zWrite = true;
  CompareFunc zFunc = CompareFunc::LessEqual;
  CullMode cull = CullMode::CounterClockwise;
  ShadeMode shade = ShadeMode::Gouraud;
  bool lighting = true;
  uint32_t ambient = 0;  // 0xAARRGGBB
  bool fog = false;
  FogMode fogTableMode = FogMode::None, fogVertexMode = FogMode::None;
  uint32_t fogColour = 0;
  float fogStart = 0.0f, fogEnd = 1.0f;
  bool rangeFog = false;
  TextureStage stage0;
  bool operator==(const RenderState&) const = default;
};

// One vertex of every stream: position, normal (for lighting), device colour, texture coordinates.
struct Vertex {
  float x = 0, y = 0, z = 0;
  float nx = 0, ny = 0, nz = 0;
  uint32_t colour = 0xFFFFFFFF;
  float u = 0, v = 0;
};

struct Viewport {
  int x = 0, y = 0, width = 0, height = 0;
  float minZ = 0.0f, maxZ = 1.0f;
  bool operator==(const Viewport&) const = default;
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

// A texture of the device; 0 is none. Render-target textures can become the render target.
using TextureHandle = uint32_t;
// A vertex buffer held in the device's memory (models); 0 is none. Buffers survive reset().
using BufferHandle = uint32_t;

// The vertices of a primitive as a list of its class (points, lines or triangles), appended to
// `out`: strips and fans are unrolled, every other strip triangle flipped to keep the winding, so
// the first vertex of each triangle is the one the API's flat shading takes. Incomplete trailing
// lines or triangles are dropped.
void AppendAsList(PrimitiveType type, const Vertex* v, int count, std::vector<Vertex>& out);
// The list type a primitive type is drawn as: PointList, LineList or TriangleList.
PrimitiveType ListTypeOf(PrimitiveType type);

struct DeviceLimits {
  int maxTextureSize = 2048;
  bool powerOfTwoTextures = true;  // texture sides are rounded up to powers of two
  bool tableFog = true, vertexFog = true, rangeFog = false;
};

class Device {
 public:
  virtual ~Device() = default;

  const DeviceLimits& limits() const { return limits_; }
  // Draw calls issued to the back-end so far (batches, not draw() requests).
  uint64_t drawCalls() const { return drawCalls_; }

  // State. Changing state ends the current batch; setting the same value again costs nothing.
  const RenderState& state() const { return state_; }
  void setState(const RenderState& s);
  void setTransformWorld(const Matrix& m);
  void setTransformView(const Matrix& m);
  void setTransformProjection(const Matrix& m);
  const Matrix& world() const { return world_; }
  const Matrix& view() const { return view_; }
  const Matrix& projection() const { return projection_; }
  void setLight(int index, const Light& light);  // index 0..7; others are ignored
  const Light& light(int index) const { return lights_[size_t(index & 7)]; }
  void setMaterial(const Material& m);
  const Material& material() const { return material_; }
  void setViewport(const Viewport& v);
  const Viewport& viewport() const { return viewport_; }
  void setTexture(TextureHandle t);  // stage 0
  TextureHandle texture() const { return texture_; }

  // Textures: created zero-filled with the given size (the caller has already adjusted it).
  virtual TextureHandle createTexture(int width, int height, bool renderTarget) = 0;
  // Copies w x h pixels (0xAARRGGBB rows of `pitch` pixels) to (x, y) of the texture.
  virtual bool uploadTexture(TextureHandle t, int x, int y, int w, int h, const uint32_t* pixels, int pitch) = 0;
  virtual void freeTexture(TextureHandle t) = 0;

  // Render target: a render-target texture, or 0 for the back buffer.
  virtual bool setRenderTarget(TextureHandle t) = 0;
  TextureHandle renderTarget() const { return target_; }

  // Drawing. Vertices are copied; consecutive draws with the same state, texture and kind of
  // primitive are batched into one call.
  virtual void draw(PrimitiveType type, const Vertex* vertices, int count) = 0;
  // Static vertex buffers: uploaded once, drawn many times with the state in force (models).
  // createVertexBuffer gives 0 when the device refuses; a buffer draws as a list type (PointList,
  // LineList or TriangleList), `count` vertices from `first`.
  virtual BufferHandle createVertexBuffer(const Vertex* vertices, int count) = 0;
  virtual void freeVertexBuffer(BufferHandle b) = 0;
  virtual void drawVertexBuffer(BufferHandle b, PrimitiveType listType, int first, int count) = 0;
  // Clears the viewport of the render target (colour 0xAARRGGBB, depth 0..1).
  virtual void clear(bool colour, uint32_t argb, bool depth, float z) = 0;

  // Frame cycle: begin, end, present (back-buffer rectangle src scaled into dst of the window,
  // the rest of the window filled with `bandColour` 0xAARRGGBB; `smooth` picks linear scaling).
  virtual void beginScene() = 0;
  virtual void endScene() = 0;
  bool present(const Rect& src, const Rect& dst, uint32_t bandColour, bool smooth) {
    const bool ok = compose(src, dst, bandColour, smooth);
    swap();
    return ok;
  }
  // The two halves of present: drawing the window's picture, and showing it.
  virtual bool compose(const Rect& src, const Rect& dst, uint32_t bandColour, bool smooth) = 0;
  virtual void swap() = 0;
  // Reads the window's picture as composed (before swap), rows top first; sets its size.
  virtual std::vector<uint32_t> readWindow(int& width, int& height) = 0;
  // Reads a rectangle of the back buffer (rows top first); nothing when it is empty or outside.
  virtual std::vector<uint32_t> capture(const Rect& r) = 0;
  // Reads a rectangle of a render-target texture (rows top first, alpha kept); nothing when the
  // texture is not a render target or the rectangle is empty or leaves it.
  virtual std::vector<uint32_t> readTarget(TextureHandle t, const Rect& r) = 0;
  // Copies rectangle r of render-target texture `from` to (x, y) of render-target texture `to`,
  // texel for texel without blending (the two may be the same texture); false when either is not
  // a render target or a rectangle leaves its texture.
  virtual bool copyTarget(TextureHandle from, const Rect& r, TextureHandle to, int x, int y) = 0;
  // The back buffer size (the desktop's, not the window's).
  virtual int backBufferWidth() const = 0;
  virtual int backBufferHeight() const = 0;
  // Re-creates what a reset re-creates (the depth buffer for `depthBuffer`), clears the back
  // buffer to 0 and applies the whole state again; textures survive.
  virtual bool reset(bool depthBuffer) = 0;

 protected:
  // Called before any state changes so that the back-end can end the current batch.
  virtual void flush() = 0;
  DeviceLimits limits_;
  RenderState state_;
  Matrix world_, view_, projection_;
  std::array<Light, 8> lights_{};
  Material material_;
  Viewport viewport_;
  TextureHandle texture_ = 0;
  TextureHandle target_ = 0;
  bool dirty_ = true;  // state changed since the back-end last applied it
  bool worldDirty_ = true;  // only the world matrix changed since (models move it per draw)
  uint64_t drawCalls_ = 0;
};

class GameWindow;
// The OpenGL back-end, drawing for `window` (whose GL context it uses); nullptr when the context
// cannot give OpenGL 3.3 core.
std::unique_ptr<Device> CreateGLDevice(GameWindow& window, int backBufferWidth, int backBufferHeight);

}  // namespace qv::platform
