// GLDevice: the device on OpenGL 3.3 core (through libepoxy).
//
// Sections: shaders; creation; state application; batching and drawing; textures and targets;
// frame cycle, present and capture.
//
// Mapping of the fixed-function model (the decisions every pixel depends on):
// - Clip space is adjusted in the vertex shader: x += w / viewportWidth puts pixel centres on
//   integer coordinates; y = -y + w / viewportHeight keeps memory row 0 as the top row of every
//   target (so captures and render-target textures need no flips; only the present flips);
//   z = 2z - w maps the 0..1 depth range onto OpenGL's -1..1.
// - The y negation mirrors winding: clockwise on the screen is counter-clockwise for OpenGL.
// - Straight alpha and one glBlendFunc for colour and alpha, as the API blends both alike.
// - Stage filters and addressing live in a sampler object bound to unit 0.
// - Without a texture the stage samples opaque white, so untextured draws take the vertex colour.
// - The back buffer is an RGB8 renderbuffer of desktop size (alpha reads as opaque, as in an
//   X8R8G8B8 buffer); render-target textures are RGBA8.
// - Fixed-function lighting runs per vertex in the shader: lights in eye space (moved by the view
//   matrix on the CPU), unrolled per variant over the enabled lights; the world and view
//   matrices reach it as one product, re-sent alone when only the world matrix moves.
// - Static vertex buffers (models) have a vertex array object each and survive reset().
#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

#include "platform/device.h"
#include "platform/game_window.h"

namespace qv::platform {
namespace {

// --- shaders -------------------------------------------------------------------------------------

const char* kVertexShader = R"(
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColour;
layout(location = 3) in vec2 aTexCoord;
uniform mat4 uWorldView, uProjection;   // uploaded row-major untransposed: M * v == v * M(row)
uniform vec2 uViewportSize;
uniform vec4 uAmbient;
uniform vec4 uMatAmbient, uMatEmissive;
// Lights in eye space (the device transforms them by the view matrix once per change).
struct LightData { vec4 diffuse; vec4 ambient; vec3 position; vec3 direction;
                   float range; float att0; float att1; float att2; };
uniform LightData uLights[8];
out vec4 vColour;
flat out vec4 vFlatColour;
out vec2 vTexCoord;
out float vFogDistance;
// One light's share; kind is a constant of the variant (1 directional, 2 point), so this folds.
vec3 lightTerm(LightData light, int kind, vec3 eye, vec3 n, vec3 diffuse) {
  vec3 l;
  float att = 1.0;
  if (kind == 1) {
    l = -normalize(light.direction);
  } else {
    vec3 lp = light.position - eye;
    float d = length(lp);
    if (d > light.range) return vec3(0.0);
    l = lp / max(d, 1e-20);
    att = 1.0 / max(light.att0 + light.att1 * d + light.att2 * d * d, 1e-20);
  }
  return att * (light.ambient.rgb * uMatAmbient.rgb + light.diffuse.rgb * diffuse * max(dot(n, l), 0.0));
}
void main() {
  vec4 eyePos = uWorldView * vec4(aPosition, 1.0);
  vec4 clip = uProjection * eyePos;
  vec4 colour = aColour;
  if (uLighting) {
    // The vertex colour is the diffuse material; the material's ambient and emissive colours apply.
    vec3 n = mat3(uWorldView) * aNormal;
    vec3 sum = uMatEmissive.rgb + uAmbient.rgb * uMatAmbient.rgb;
#if LIGHT0 != 0
    sum += lightTerm(uLights[0], LIGHT0, eyePos.xyz, n, aColour.rgb);
#endif
#if LIGHT1 != 0
    sum += lightTerm(uLights[1], LIGHT1, eyePos.xyz, n, aColour.rgb);
#endif
#if LIGHT2 != 0
    sum += lightTerm(uLights[2], LIGHT2, eyePos.xyz, n, aColour.rgb);
#endif
#if LIGHT3 != 0
    sum += lightTerm(uLights[3], LIGHT3, eyePos.xyz, n, aColour.rgb);
#endif
#if LIGHT4 != 0
    sum += lightTerm(uLights[4], LIGHT4, eyePos.xyz, n, aColour.rgb);
#endif
#if LIGHT5 != 0
    sum += lightTerm(uLights[5], LIGHT5, eyePos.xyz, n, aColour.rgb);
#endif
#if LIGHT6 != 0
    sum += lightTerm(uLights[6], LIGHT6, eyePos.xyz, n, aColour.rgb);
#endif
#if LIGHT7 != 0
    sum += lightTerm(uLights[7], LIGHT7, eyePos.xyz, n, aColour.rgb);
#endif
    colour = vec4(clamp(sum, 0.0, 1.0), aColour.a);
  }
  vColour = colour;
  vFlatColour = colour;
  vTexCoord = aTexCoord;
  vFogDistance = uRangeFog ? length(eyePos.xyz) : eyePos.z;
  clip.x += clip.w / uViewportSize.x;
  clip.y = -clip.y + clip.w / uViewportSize.y;
  clip.z = 2.0 * clip.z - clip.w;
  gl_Position = clip;
}
)";

const char* kFragmentShader = R"(
in vec4 vColour;
flat in vec4 vFlatColour;
in vec2 vTexCoord;
in float vFogDistance;
uniform sampler2D uTexture;
uniform int uAlphaRef;
uniform vec4 uFogColour;
uniform float uFogStart, uFogEnd;
out vec4 fragColour;
vec4 arg(int a, vec4 diffuse, vec4 tex) { return a == 2 ? tex : diffuse; }
vec4 op(int o, vec4 a1, vec4 a2, vec4 current) {
  return o == 2 ? a1 : o == 3 ? a2 : o == 4 ? a1 * a2 : current;
}
bool compare(int f, int a, int ref) {
  if (f == 1) return false;
  if (f == 2) return a < ref;
  if (f == 3) return a == ref;
  if (f == 4) return a <= ref;
  if (f == 5) return a > ref;
  if (f == 6) return a != ref;
  if (f == 7) return a >= ref;
  return true;
}
void main() {
  vec4 diffuse = uFlat ? vFlatColour : vColour;
  // Without a texture the stage samples opaque white: the variant leaves the sampling out.
  vec4 tex = uTextured ? texture(uTexture, vTexCoord) : vec4(1.0);
  vec4 result = diffuse;
  if (uColourOp != 1) {
    result.rgb = op(uColourOp, arg(uColourArg1, diffuse, tex), arg(uColourArg2, diffuse, tex), diffuse).rgb;
    if (uAlphaOp != 1) result.a = op(uAlphaOp, arg(uAlphaArg1, diffuse, tex), arg(uAlphaArg2, diffuse, tex), diffuse).a;
  }
  if (uAlphaTest && !compare(uAlphaFunc, int(floor(result.a * 255.0 + 0.5)), uAlphaRef)) discard;
  if (uFog) {
    float f = clamp((uFogEnd - vFogDistance) / max(uFogEnd - uFogStart, 1e-20), 0.0, 1.0);
    result.rgb = mix(uFogColour.rgb, result.rgb, f);
  }
  fragColour = result;
}
)";

GLuint Compile(GLenum kind, const std::string& defines, const char* body) {
  GLuint s = glCreateShader(kind);
  const char* parts[3] = {"#version 330 core\n", defines.c_str(), body};
  glShaderSource(s, 3, parts, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    glDeleteShader(s);
    return 0;
  }
  return s;
}

GLenum GLBlend(BlendFactor f) {
  switch (f) {
    case BlendFactor::Zero: return GL_ZERO;
    case BlendFactor::One: return GL_ONE;
    case BlendFactor::SrcColor: return GL_SRC_COLOR;
    case BlendFactor::InvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case BlendFactor::SrcAlpha: return GL_SRC_ALPHA;
    case BlendFactor::InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case BlendFactor::DestAlpha: return GL_DST_ALPHA;
    case BlendFactor::InvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case BlendFactor::DestColor: return GL_DST_COLOR;
    case BlendFactor::InvDestColor: return GL_ONE_MINUS_DST_COLOR;
    case BlendFactor::SrcAlphaSat: return GL_SRC_ALPHA_SATURATE;
  }
  return GL_ONE;
}

GLenum GLCompare(CompareFunc f) {
  switch (f) {
    case CompareFunc::Never: return GL_NEVER;
    case CompareFunc::Less: return GL_LESS;
    case CompareFunc::Equal: return GL_EQUAL;
    case CompareFunc::LessEqual: return GL_LEQUAL;
    case CompareFunc::Greater: return GL_GREATER;
    case CompareFunc::NotEqual: return GL_NOTEQUAL;
    case CompareFunc::GreaterEqual: return GL_GEQUAL;
    case CompareFunc::Always: return GL_ALWAYS;
  }
  return GL_ALWAYS;
}

GLenum GLAddress(TextureAddress a) {
  switch (a) {
    case TextureAddress::Wrap: return GL_REPEAT;
    case TextureAddress::Mirror: return GL_MIRRORED_REPEAT;
    case TextureAddress::Clamp: return GL_CLAMP_TO_EDGE;
  }
  return GL_CLAMP_TO_EDGE;
}

// Row-vector matrix helpers: a x b (a first), a point and a direction through m.
Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float v = 0;
      for (int k = 0; k < 4; ++k) v += a(i, k) * b(k, j);
      r(i, j) = v;
    }
  return r;
}
std::array<float, 3> TransformPoint(const Matrix& m, const std::array<float, 3>& p) {
  std::array<float, 3> r{};
  for (int j = 0; j < 3; ++j) r[size_t(j)] = p[0] * m(0, j) + p[1] * m(1, j) + p[2] * m(2, j) + m(3, j);
  return r;
}
std::array<float, 3> TransformDirection(const Matrix& m, const std::array<float, 3>& d) {
  std::array<float, 3> r{};
  for (int j = 0; j < 3; ++j) r[size_t(j)] = d[0] * m(0, j) + d[1] * m(1, j) + d[2] * m(2, j);
  return r;
}

// The layout of Vertex for the vertex array object and array buffer bound.
void DescribeVertex() {
  const GLsizei stride = sizeof(Vertex);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, x)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, nx)));
  glEnableVertexAttribArray(2);  // 0xAARRGGBB little-endian is B, G, R, A in memory
  glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(offsetof(Vertex, colour)));
  glEnableVertexAttribArray(3);
  glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, u)));
}

void SetColour(GLint loc, const ColourValue& c) { glUniform4f(loc, c.r, c.g, c.b, c.a); }
void SetArgb(GLint loc, uint32_t c) {
  glUniform4f(loc, float((c >> 16) & 255) / 255.0f, float((c >> 8) & 255) / 255.0f, float(c & 255) / 255.0f,
              float(c >> 24) / 255.0f);
}

// Primitives batch by class: lists of points, of lines, of triangles.
enum class Batch { None, Points, Lines, Triangles };

class GLDevice final : public Device {
 public:
  GLDevice(GameWindow& window, int bbw, int bbh) : window_(window), bbWidth_(bbw), bbHeight_(bbh) {}
  ~GLDevice() override;
  bool init();

  TextureHandle createTexture(int width, int height, bool renderTarget) override;
  bool uploadTexture(TextureHandle t, int x, int y, int w, int h, const uint32_t* pixels, int pitch) override;
  void freeTexture(TextureHandle t) override;
  bool setRenderTarget(TextureHandle t) override;
  void draw(PrimitiveType type, const Vertex* vertices, int count) override;
  BufferHandle createVertexBuffer(const Vertex* vertices, int count) override;
  void freeVertexBuffer(BufferHandle b) override;
  void drawVertexBuffer(BufferHandle b, PrimitiveType listType, int first, int count) override;
  void clear(bool colour, uint32_t argb, bool depth, float z) override;
  void beginScene() override {}
  void endScene() override { flush(); }
  bool compose(const Rect& src, const Rect& dst, uint32_t bandColour, bool smooth) override;
  void swap() override { window_.swap(); }
  std::vector<uint32_t> readWindow(int& width, int& height) override;
  std::vector<uint32_t> capture(const Rect& r) override;
  std::vector<uint32_t> readTarget(TextureHandle t, const Rect& r) override;
  bool copyTarget(TextureHandle from, const Rect& r, TextureHandle to, int x, int y) override;
  int backBufferWidth() const override { return bbWidth_; }
  int backBufferHeight() const override { return bbHeight_; }
  bool reset(bool depthBuffer) override;

 protected:
  void flush() override;

 private:
  void apply();
  void bindTarget();
  // The framebuffer of a render-target texture holding rectangle r, or 0.
  GLuint targetHolding(TextureHandle t, const Rect& r) const;
  GLuint programFor(uint64_t key);
  GLint loc(const char* name) { return glGetUniformLocation(program_, name); }

  GameWindow& window_;
  int bbWidth_, bbHeight_;
  GLuint program_ = 0, vao_ = 0, vbo_ = 0, sampler_ = 0, white_ = 0;
  GLuint screenFbo_ = 0, screenColour_ = 0, screenDepth_ = 0, clearFbo_ = 0;
  std::unordered_map<TextureHandle, GLuint> targetFbos_;  // render-target texture -> its framebuffer
  std::unordered_map<TextureHandle, std::pair<int, int>> sizes_;
  std::unordered_map<uint64_t, GLuint> programs_;  // shader variants by VariantKey
  bool appliedTextured_ = false;  // whether the program in use samples the texture
  std::vector<Vertex> batch_;
  Batch batchKind_ = Batch::None;
  size_t vboCapacity_ = 0;
  size_t vboOffset_ = 0;  // next free byte of the ring
  struct StaticBuffer {
    GLuint vao = 0, vbo = 0;
    int count = 0;
  };
  std::unordered_map<BufferHandle, StaticBuffer> buffers_;
  BufferHandle nextBuffer_ = 1;
  GLint worldLocation_ = -1;  // of program_
};

// --- creation ------------------------------------------------------------------------------------

GLDevice::~GLDevice() {
  for (auto& [h, b] : buffers_) {
    glDeleteBuffers(1, &b.vbo);
    glDeleteVertexArrays(1, &b.vao);
  }
  for (auto& [t, fbo] : targetFbos_) glDeleteFramebuffers(1, &fbo);
  for (auto& [t, size] : sizes_) glDeleteTextures(1, &t);
  glDeleteFramebuffers(1, &screenFbo_);
  glDeleteFramebuffers(1, &clearFbo_);
  glDeleteRenderbuffers(1, &screenColour_);
  if (screenDepth_) glDeleteRenderbuffers(1, &screenDepth_);
  glDeleteTextures(1, &white_);
  glDeleteSamplers(1, &sampler_);
  glDeleteBuffers(1, &vbo_);
  glDeleteVertexArrays(1, &vao_);
  for (auto& [key, program] : programs_) glDeleteProgram(program);
}

// The parts of the state that select a shader variant: each becomes a constant of the program, so
// the common cases compile to straight-line code (a fragment shader full of uniform branches costs
// several times the plain one on software rasterisers).
uint64_t VariantKey(const RenderState& s, const std::array<Light, 8>& lights, bool textured) {
  const TextureStage& t = s.stage0;
  const bool fog = s.fog && (s.fogTableMode == FogMode::Linear || s.fogVertexMode == FogMode::Linear);
  uint64_t k = uint64_t(t.colourOp) | uint64_t(t.colourArg1) << 3 | uint64_t(t.colourArg2) << 5 |
               uint64_t(t.alphaOp) << 7 | uint64_t(t.alphaArg1) << 10 | uint64_t(t.alphaArg2) << 12;
  k |= uint64_t(s.alphaTest) << 14 | uint64_t(s.alphaFunc) << 15 | uint64_t(fog) << 19;
  k |= uint64_t(s.shade == ShadeMode::Flat) << 20 | uint64_t(s.lighting) << 21;
  k |= uint64_t(s.rangeFog && s.fogTableMode != FogMode::Linear) << 22;
  k |= uint64_t(textured) << 23;
  // Each enabled light's kind (1 directional, 2 point; spot lights light as point lights), only
  // when lighting is on, so that unlit drawing shares one variant whatever the lights are.
  if (s.lighting)
    for (size_t i = 0; i < 8; ++i)
      if (lights[i].enabled) k |= uint64_t(lights[i].type == LightType::Directional ? 1 : 2) << (24 + 2 * i);
  return k;
}

std::string VariantDefines(uint64_t k) {
  auto define = [](const char* name, uint64_t v) { return std::string("#define ") + name + " " + std::to_string(v) + "\n"; };
  auto flag = [](const char* name, bool v) { return std::string("#define ") + name + (v ? " true\n" : " false\n"); };
  std::string lights;
  for (int i = 0; i < 8; ++i) lights += define(("LIGHT" + std::to_string(i)).c_str(), (k >> (24 + 2 * i)) & 3);
  return define("uColourOp", k & 7) + define("uColourArg1", (k >> 3) & 3) + define("uColourArg2", (k >> 5) & 3) +
         define("uAlphaOp", (k >> 7) & 7) + define("uAlphaArg1", (k >> 10) & 3) + define("uAlphaArg2", (k >> 12) & 3) +
         flag("uAlphaTest", (k >> 14) & 1) + define("uAlphaFunc", (k >> 15) & 15) + flag("uFog", (k >> 19) & 1) +
         flag("uFlat", (k >> 20) & 1) + flag("uLighting", (k >> 21) & 1) + flag("uRangeFog", (k >> 22) & 1) +
         flag("uTextured", (k >> 23) & 1) + lights;
}

GLuint GLDevice::programFor(uint64_t key) {
  auto it = programs_.find(key);
  if (it != programs_.end()) return it->second;
  const std::string defines = VariantDefines(key);
  GLuint vs = Compile(GL_VERTEX_SHADER, defines, kVertexShader);
  GLuint fs = Compile(GL_FRAGMENT_SHADER, defines, kFragmentShader);
  GLuint program = 0;
  if (vs && fs) {
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      glDeleteProgram(program);
      program = 0;
    }
  }
  if (vs) glDeleteShader(vs);
  if (fs) glDeleteShader(fs);
  if (program) {
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "uTexture"), 0);
  }
  programs_[key] = program;
  return program;
}

bool GLDevice::init() {
  if (epoxy_gl_version() < 33) return false;
  program_ = programFor(VariantKey(state_, lights_, false));
  if (!program_) return false;
  glUseProgram(program_);

  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &vbo_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  DescribeVertex();

  glGenSamplers(1, &sampler_);
  glBindSampler(0, sampler_);
  glGenTextures(1, &white_);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, white_);
  const uint32_t white = 0xFFFFFFFF;
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);

  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  limits_.maxTextureSize = maxSize;
  limits_.powerOfTwoTextures = true;

  glGenFramebuffers(1, &clearFbo_);
  glGenFramebuffers(1, &screenFbo_);
  glGenRenderbuffers(1, &screenColour_);
  glBindRenderbuffer(GL_RENDERBUFFER, screenColour_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, bbWidth_, bbHeight_);
  glBindFramebuffer(GL_FRAMEBUFFER, screenFbo_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, screenColour_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glFrontFace(GL_CCW);
  // The device starts with the API's defaults and an empty, cleared back buffer.
  viewport_ = Viewport{0, 0, bbWidth_, bbHeight_, 0.0f, 1.0f};
  return reset(false);
}

// --- state application ---------------------------------------------------------------------------

void GLDevice::apply() {
  if (!dirty_) {
    // Only the world matrix moved (a model drawn at another place): one uniform.
    if (worldDirty_) glUniformMatrix4fv(worldLocation_, 1, GL_FALSE, Multiply(world_, view_).m.data());
    worldDirty_ = false;
    return;
  }
  dirty_ = false;
  worldDirty_ = false;
  const RenderState& s = state_;
  appliedTextured_ = texture_ != 0;
  if (GLuint p = programFor(VariantKey(s, lights_, appliedTextured_))) program_ = p;
  glUseProgram(program_);
  worldLocation_ = loc("uWorldView");
  s.alphaBlend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
  glBlendFunc(GLBlend(s.srcBlend), GLBlend(s.destBlend));
  if (s.zEnable && screenDepth_ != 0) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GLCompare(s.zFunc));
    glDepthMask(s.zWrite ? GL_TRUE : GL_FALSE);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
  if (s.cull == CullMode::None) {
    glDisable(GL_CULL_FACE);
  } else {
    glEnable(GL_CULL_FACE);
    // Screen-clockwise triangles are counter-clockwise for OpenGL after the y negation.
    glCullFace(s.cull == CullMode::CounterClockwise ? GL_BACK : GL_FRONT);
  }
  glUniform1i(loc("uAlphaRef"), s.alphaRef & 255);
  SetArgb(loc("uFogColour"), s.fogColour);
  glUniform1f(loc("uFogStart"), s.fogStart);
  glUniform1f(loc("uFogEnd"), s.fogEnd);
  glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, s.stage0.magFilter == TextureFilter::Linear ? GL_LINEAR : GL_NEAREST);
  glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, s.stage0.minFilter == TextureFilter::Linear ? GL_LINEAR : GL_NEAREST);
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, GLAddress(s.stage0.addressU));
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, GLAddress(s.stage0.addressV));
  SetArgb(loc("uAmbient"), s.ambient);
  SetColour(loc("uMatAmbient"), material_.ambient);
  SetColour(loc("uMatEmissive"), material_.emissive);
  for (int i = 0; i < 8; ++i) {
    const Light& l = lights_[size_t(i)];
    if (!l.enabled || !s.lighting) continue;
    const std::string p = "uLights[" + std::to_string(i) + "].";
    SetColour(loc((p + "diffuse").c_str()), l.diffuse);
    SetColour(loc((p + "ambient").c_str()), l.ambient);
    const auto position = TransformPoint(view_, l.position);
    const auto direction = TransformDirection(view_, l.direction);
    glUniform3f(loc((p + "position").c_str()), position[0], position[1], position[2]);
    glUniform3f(loc((p + "direction").c_str()), direction[0], direction[1], direction[2]);
    glUniform1f(loc((p + "range").c_str()), l.range);
    glUniform1f(loc((p + "att0").c_str()), l.attenuation0);
    glUniform1f(loc((p + "att1").c_str()), l.attenuation1);
    glUniform1f(loc((p + "att2").c_str()), l.attenuation2);
  }
  glUniformMatrix4fv(loc("uWorldView"), 1, GL_FALSE, Multiply(world_, view_).m.data());
  glUniformMatrix4fv(loc("uProjection"), 1, GL_FALSE, projection_.m.data());
  glViewport(viewport_.x, viewport_.y, viewport_.width, viewport_.height);
  glDepthRange(viewport_.minZ, viewport_.maxZ);
  glUniform2f(loc("uViewportSize"), float(std::max(viewport_.width, 1)), float(std::max(viewport_.height, 1)));
}

// --- batching and drawing ------------------------------------------------------------------------

void GLDevice::flush() {
  if (batch_.empty()) return;
  if ((texture_ != 0) != appliedTextured_) dirty_ = true;  // the variant samples or not
  apply();
  glBindTexture(GL_TEXTURE_2D, texture_ ? texture_ : white_);
  // The vertex buffer is a ring: batches are appended after each other and the buffer is orphaned
  // only when it is full, so many small batches cost no reallocation each.
  const size_t bytes = batch_.size() * sizeof(Vertex);
  if (vboOffset_ + bytes > vboCapacity_) {
    vboCapacity_ = std::max({bytes, vboCapacity_, size_t{4} << 20});
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vboCapacity_), nullptr, GL_STREAM_DRAW);
    vboOffset_ = 0;
  }
  glBufferSubData(GL_ARRAY_BUFFER, GLintptr(vboOffset_), GLsizeiptr(bytes), batch_.data());
  const GLenum mode = batchKind_ == Batch::Points ? GL_POINTS : batchKind_ == Batch::Lines ? GL_LINES : GL_TRIANGLES;
  glDrawArrays(mode, GLint(vboOffset_ / sizeof(Vertex)), GLsizei(batch_.size()));
  ++drawCalls_;
  vboOffset_ += bytes;
  batch_.clear();
  batchKind_ = Batch::None;
}

void GLDevice::draw(PrimitiveType type, const Vertex* v, int count) {
  if (count <= 0) return;
  Batch kind = Batch::Triangles;
  if (type == PrimitiveType::PointList) kind = Batch::Points;
  if (type == PrimitiveType::LineList || type == PrimitiveType::LineStrip) kind = Batch::Lines;
  if (kind != batchKind_) flush();
  batchKind_ = kind;
  // Strips and fans become lists so that consecutive draws share one call.
  AppendAsList(type, v, count, batch_);
}

// Static buffers keep their own vertex array object: drawing one binds it, draws, and binds the
// streaming one again.
BufferHandle GLDevice::createVertexBuffer(const Vertex* v, int count) {
  if (count <= 0) return 0;
  flush();
  StaticBuffer b;
  glGenVertexArrays(1, &b.vao);
  glBindVertexArray(b.vao);
  glGenBuffers(1, &b.vbo);
  glBindBuffer(GL_ARRAY_BUFFER, b.vbo);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(size_t(count) * sizeof(Vertex)), v, GL_STATIC_DRAW);
  DescribeVertex();
  b.count = count;
  glBindVertexArray(vao_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteBuffers(1, &b.vbo);
    glDeleteVertexArrays(1, &b.vao);
    return 0;
  }
  const BufferHandle h = nextBuffer_++;
  buffers_[h] = b;
  return h;
}

void GLDevice::freeVertexBuffer(BufferHandle h) {
  auto it = buffers_.find(h);
  if (it == buffers_.end()) return;
  flush();
  glDeleteBuffers(1, &it->second.vbo);
  glDeleteVertexArrays(1, &it->second.vao);
  buffers_.erase(it);
}

void GLDevice::drawVertexBuffer(BufferHandle h, PrimitiveType type, int first, int count) {
  auto it = buffers_.find(h);
  if (it == buffers_.end() || first < 0 || count <= 0 || first + count > it->second.count) return;
  flush();
  if ((texture_ != 0) != appliedTextured_) dirty_ = true;
  apply();
  glBindTexture(GL_TEXTURE_2D, texture_ ? texture_ : white_);
  glBindVertexArray(it->second.vao);
  const GLenum mode = type == PrimitiveType::PointList ? GL_POINTS : type == PrimitiveType::LineList ? GL_LINES : GL_TRIANGLES;
  glDrawArrays(mode, first, count);
  ++drawCalls_;
  glBindVertexArray(vao_);
}

void GLDevice::clear(bool colour, uint32_t argb, bool depth, float z) {
  flush();
  apply();
  glEnable(GL_SCISSOR_TEST);  // a clear covers the viewport only
  glScissor(viewport_.x, viewport_.y, viewport_.width, viewport_.height);
  GLbitfield mask = 0;
  if (colour) {
    glClearColor(float((argb >> 16) & 255) / 255.0f, float((argb >> 8) & 255) / 255.0f, float(argb & 255) / 255.0f,
                 float(argb >> 24) / 255.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (depth && screenDepth_ && target_ == 0) {
    glDepthMask(GL_TRUE);
    glClearDepth(z);
    mask |= GL_DEPTH_BUFFER_BIT;
    dirty_ = true;  // the depth mask is state
  }
  if (mask) glClear(mask);
  glDisable(GL_SCISSOR_TEST);
}

// --- textures and targets ------------------------------------------------------------------------

TextureHandle GLDevice::createTexture(int width, int height, bool renderTarget) {
  if (width < 1 || height < 1 || width > limits_.maxTextureSize || height > limits_.maxTextureSize) return 0;
  flush();
  GLuint t = 0;
  glGenTextures(1, &t);
  glBindTexture(GL_TEXTURE_2D, t);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, texture_ ? texture_ : white_);
    return 0;
  }
  // Zero every texel so that what lies outside an uploaded picture is defined (transparent black).
  glBindFramebuffer(GL_FRAMEBUFFER, clearFbo_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t, 0);
  glClearColor(0, 0, 0, 0);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  if (renderTarget) {
    GLuint fbo = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t, 0);
    targetFbos_[t] = fbo;
  }
  bindTarget();
  glBindTexture(GL_TEXTURE_2D, texture_ ? texture_ : white_);
  sizes_[t] = {width, height};
  return t;
}

bool GLDevice::uploadTexture(TextureHandle t, int x, int y, int w, int h, const uint32_t* pixels, int pitch) {
  auto it = sizes_.find(t);
  if (it == sizes_.end() || x < 0 || y < 0 || w < 1 || h < 1 || x + w > it->second.first || y + h > it->second.second)
    return false;
  flush();
  glBindTexture(GL_TEXTURE_2D, t);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch);
  glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glBindTexture(GL_TEXTURE_2D, texture_ ? texture_ : white_);
  return glGetError() == GL_NO_ERROR;
}

void GLDevice::freeTexture(TextureHandle t) {
  auto it = sizes_.find(t);
  if (it == sizes_.end()) return;
  flush();
  if (target_ == t) setRenderTarget(0);
  if (texture_ == t) texture_ = 0;
  auto fbo = targetFbos_.find(t);
  if (fbo != targetFbos_.end()) {
    glDeleteFramebuffers(1, &fbo->second);
    targetFbos_.erase(fbo);
  }
  glDeleteTextures(1, &t);
  sizes_.erase(it);
}

void GLDevice::bindTarget() {
  auto it = targetFbos_.find(target_);
  glBindFramebuffer(GL_FRAMEBUFFER, target_ && it != targetFbos_.end() ? it->second : screenFbo_);
}

bool GLDevice::setRenderTarget(TextureHandle t) {
  if (t != 0 && !targetFbos_.count(t)) return false;
  if (t == target_) return true;
  flush();
  target_ = t;
  bindTarget();
  return true;
}

// --- frame cycle, present and capture ------------------------------------------------------------

bool GLDevice::compose(const Rect& src, const Rect& dst, uint32_t band, bool smooth) {
  flush();
  int ww = 0, wh = 0;
  window_.drawableSize(ww, wh);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, screenFbo_);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(float((band >> 16) & 255) / 255.0f, float((band >> 8) & 255) / 255.0f, float(band & 255) / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  // Memory row 0 of the back buffer is the picture's top row; the window's row 0 is its bottom.
  glBlitFramebuffer(src.x, src.y, src.x + src.width, src.y + src.height, dst.x, wh - dst.y, dst.x + dst.width,
                    wh - dst.y - dst.height, GL_COLOR_BUFFER_BIT, smooth ? GL_LINEAR : GL_NEAREST);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  const bool ok = glGetError() == GL_NO_ERROR;
  bindTarget();
  return ok;
}

std::vector<uint32_t> GLDevice::readWindow(int& width, int& height) {
  window_.drawableSize(width, height);
  std::vector<uint32_t> pixels(size_t(width) * size_t(height));
  std::vector<uint32_t> flipped(pixels.size());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
  for (int y = 0; y < height; ++y)
    std::memcpy(flipped.data() + size_t(y) * size_t(width), pixels.data() + size_t(height - 1 - y) * size_t(width),
                size_t(width) * 4);
  bindTarget();
  return flipped;
}

std::vector<uint32_t> GLDevice::capture(const Rect& r) {
  flush();
  if (r.width < 1 || r.height < 1 || r.x < 0 || r.y < 0 || r.x + r.width > bbWidth_ || r.y + r.height > bbHeight_)
    return {};
  std::vector<uint32_t> pixels(size_t(r.width) * size_t(r.height));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, screenFbo_);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(r.x, r.y, r.width, r.height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
  bindTarget();
  return pixels;
}

GLuint GLDevice::targetHolding(TextureHandle t, const Rect& r) const {
  auto fbo = targetFbos_.find(t);
  auto size = sizes_.find(t);
  if (fbo == targetFbos_.end() || size == sizes_.end()) return 0;
  if (r.width < 1 || r.height < 1 || r.x < 0 || r.y < 0 || r.x + r.width > size->second.first ||
      r.y + r.height > size->second.second)
    return 0;
  return fbo->second;
}

std::vector<uint32_t> GLDevice::readTarget(TextureHandle t, const Rect& r) {
  const GLuint fbo = targetHolding(t, r);
  if (!fbo) return {};
  flush();
  std::vector<uint32_t> pixels(size_t(r.width) * size_t(r.height));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(r.x, r.y, r.width, r.height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
  bindTarget();
  return pixels;
}

bool GLDevice::copyTarget(TextureHandle from, const Rect& r, TextureHandle to, int x, int y) {
  const GLuint source = targetHolding(from, r);
  const GLuint destination = targetHolding(to, Rect{x, y, r.width, r.height});
  if (!source || !destination) return false;
  if (from == to) {
    // Overlapping copies within one framebuffer are undefined in OpenGL: go through memory.
    const std::vector<uint32_t> pixels = readTarget(from, r);
    return uploadTexture(to, x, y, r.width, r.height, pixels.data(), r.width);
  }
  flush();
  // Both targets keep memory row 0 as the top row, so the rectangle needs no flip. A blit
  // bypasses blending and write masks; only the scissor test would cut it, and it is off here.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, destination);
  glBlitFramebuffer(r.x, r.y, r.x + r.width, r.y + r.height, x, y, x + r.width, y + r.height, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
  bindTarget();
  return glGetError() == GL_NO_ERROR;
}

bool GLDevice::reset(bool depthBuffer) {
  flush();
  // Every binding the device relies on is made again, whatever happened to the context meanwhile.
  glUseProgram(program_);
  glBindVertexArray(vao_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glActiveTexture(GL_TEXTURE0);
  glBindSampler(0, sampler_);
  glBindFramebuffer(GL_FRAMEBUFFER, screenFbo_);
  if (depthBuffer && !screenDepth_) {
    glGenRenderbuffers(1, &screenDepth_);
    glBindRenderbuffer(GL_RENDERBUFFER, screenDepth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, bbWidth_, bbHeight_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, screenDepth_);
  } else if (!depthBuffer && screenDepth_) {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
    glDeleteRenderbuffers(1, &screenDepth_);
    screenDepth_ = 0;
  }
  // Render-target textures do not survive a reset: their owners free them before it.
  target_ = 0;
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | (screenDepth_ ? GL_DEPTH_BUFFER_BIT : 0));
  dirty_ = true;
  apply();
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

}  // namespace

std::unique_ptr<Device> CreateGLDevice(GameWindow& window, int backBufferWidth, int backBufferHeight) {
  auto device = std::make_unique<GLDevice>(window, backBufferWidth, backBufferHeight);
  if (!device->init()) return nullptr;
  return device;
}

}  // namespace qv::platform
