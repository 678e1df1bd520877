// RecordingDevice: a device that draws nothing and records what it is asked to do: each draw with
// its vertices, primitive type, texture and the state in force, every clear, and the texels of every
// texture. Geometry tests read the record instead of pixels, so they are exact and need no context.
#pragma once

#include <map>
#include <vector>

#include "platform/device.h"

namespace qv::platform {

class RecordingDevice final : public Device {
 public:
  struct Draw {
    PrimitiveType type;
    std::vector<Vertex> vertices;
    TextureHandle texture;
    TextureHandle target;
    RenderState state;
    Matrix world, view, projection;
    Viewport viewport;
  };
  struct Clear {
    bool colour;
    uint32_t argb;
    bool depth;
    float z;
    Viewport viewport;
  };
  struct Texture {
    int width, height;
    bool renderTarget;
    std::vector<uint32_t> texels;  // width * height, zero at creation
  };

  explicit RecordingDevice(int backBufferWidth = 1024, int backBufferHeight = 768, int maxTextureSize = 16384)
      : bbWidth_(backBufferWidth), bbHeight_(backBufferHeight) {
    limits_.maxTextureSize = maxTextureSize;
    viewport_ = Viewport{0, 0, backBufferWidth, backBufferHeight, 0.0f, 1.0f};
  }

  std::vector<Draw> draws;
  std::vector<Clear> clears;
  std::map<TextureHandle, Texture> textures;
  int presents = 0;
  int resets = 0;
  bool failPresent = false;  // makes compose fail, as a lost device does

  TextureHandle createTexture(int width, int height, bool renderTarget) override {
    if (width < 1 || height < 1 || width > limits_.maxTextureSize || height > limits_.maxTextureSize) return 0;
    const TextureHandle t = next_++;
    textures[t] = Texture{width, height, renderTarget, std::vector<uint32_t>(size_t(width) * size_t(height), 0)};
    return t;
  }
  bool uploadTexture(TextureHandle t, int x, int y, int w, int h, const uint32_t* pixels, int pitch) override {
    auto it = textures.find(t);
    if (it == textures.end() || x < 0 || y < 0 || w < 1 || h < 1 || x + w > it->second.width ||
        y + h > it->second.height)
      return false;
    for (int r = 0; r < h; ++r)
      for (int c = 0; c < w; ++c)
        it->second.texels[size_t(y + r) * size_t(it->second.width) + size_t(x + c)] = pixels[size_t(r) * size_t(pitch) + size_t(c)];
    return true;
  }
  void freeTexture(TextureHandle t) override {
    if (texture_ == t) texture_ = 0;
    if (target_ == t) target_ = 0;
    textures.erase(t);
  }
  bool setRenderTarget(TextureHandle t) override {
    if (t != 0 && (!textures.count(t) || !textures[t].renderTarget)) return false;
    target_ = t;
    return true;
  }
  void draw(PrimitiveType type, const Vertex* v, int count) override {
    if (count <= 0) return;
    ++drawCalls_;
    draws.push_back(Draw{type, std::vector<Vertex>(v, v + count), texture_, target_, state_, world_, view_, projection_, viewport_});
  }
  // Buffers keep their vertices; drawing one records a draw of the list type with that slice.
  std::map<BufferHandle, std::vector<Vertex>> buffers;
  BufferHandle createVertexBuffer(const Vertex* v, int count) override {
    if (count <= 0) return 0;
    const BufferHandle b = nextBuffer_++;
    buffers[b] = std::vector<Vertex>(v, v + count);
    return b;
  }
  void freeVertexBuffer(BufferHandle b) override { buffers.erase(b); }
  void drawVertexBuffer(BufferHandle b, PrimitiveType type, int first, int count) override {
    auto it = buffers.find(b);
    if (it == buffers.end() || first < 0 || count <= 0 || size_t(first + count) > it->second.size()) return;
    ++drawCalls_;
    draws.push_back(Draw{type, std::vector<Vertex>(it->second.begin() + first, it->second.begin() + first + count),
                         texture_, target_, state_, world_, view_, projection_, viewport_});
  }
  void clear(bool colour, uint32_t argb, bool depth, float z) override {
    clears.push_back(Clear{colour, argb, depth, z, viewport_});
  }
  void beginScene() override {}
  void endScene() override {}
  bool compose(const Rect&, const Rect&, uint32_t, bool) override { return !failPresent; }
  void swap() override { ++presents; }
  std::vector<uint32_t> readWindow(int& width, int& height) override {
    width = height = 0;
    return {};
  }
  std::vector<uint32_t> capture(const Rect& r) override {
    if (r.width < 1 || r.height < 1) return {};
    return std::vector<uint32_t>(size_t(r.width) * size_t(r.height), 0);
  }
  std::vector<uint32_t> readTarget(TextureHandle t, const Rect& r) override {
    auto it = textures.find(t);
    if (it == textures.end() || !it->second.renderTarget || !inside(it->second, r)) return {};
    std::vector<uint32_t> out;
    for (int y = r.y; y < r.y + r.height; ++y)
      for (int x = r.x; x < r.x + r.width; ++x) out.push_back(it->second.texels[size_t(y) * size_t(it->second.width) + size_t(x)]);
    return out;
  }
  bool copyTarget(TextureHandle from, const Rect& r, TextureHandle to, int x, int y) override {
    auto pixels = readTarget(from, r);
    auto it = textures.find(to);
    if (pixels.empty() || it == textures.end() || !it->second.renderTarget ||
        !inside(it->second, Rect{x, y, r.width, r.height}))
      return false;
    for (int row = 0; row < r.height; ++row)
      for (int col = 0; col < r.width; ++col)
        it->second.texels[size_t(y + row) * size_t(it->second.width) + size_t(x + col)] = pixels[size_t(row) * size_t(r.width) + size_t(col)];
    return true;
  }
  int backBufferWidth() const override { return bbWidth_; }
  int backBufferHeight() const override { return bbHeight_; }
  bool reset(bool) override {
    ++resets;
    target_ = 0;
    return true;
  }

 protected:
  void flush() override {}

 private:
  static bool inside(const Texture& t, const Rect& r) {
    return r.width >= 1 && r.height >= 1 && r.x >= 0 && r.y >= 0 && r.x + r.width <= t.width && r.y + r.height <= t.height;
  }
  int bbWidth_, bbHeight_;
  TextureHandle next_ = 1;
  BufferHandle nextBuffer_ = 1;
};

}  // namespace qv::platform
