#include "particles/particle_drawing.h"

#include <cmath>
#include <limits>
#include <vector>

#include "graphics/colour.h"
#include "graphics/display.h"
#include "graphics/sprite.h"
#include "graphics/texture_table.h"
#include "particles/particle_type.h"
#include "particles/random_range.h"
#include "particles/shape_sprites.h"

namespace qv::particles {

namespace {

constexpr double kRad = 3.14159265358979323846 / 180.0;
constexpr double kNone = -1e9;

// Vertices of consecutive quads with one texture and blending, handed to the device in one draw.
class QuadBatch {
 public:
  explicit QuadBatch(platform::Device& d) : device_(d), saved_(d.state()) {}
  ~QuadBatch() {
    flush();
    device_.setState(saved_);
    graphics::display().srcBlend = savedSrc_;
    graphics::display().destBlend = savedDest_;
  }
  void use(int texture, bool additive) {
    if (texture == texture_ && additive == additive_) return;
    flush();
    texture_ = texture;
    if (additive != additive_) {
      additive_ = additive;
      // Additive blending: source alpha onto the destination, as the blend mode "add" does.
      graphics::display().srcBlend = additive ? 5 : savedSrc_;
      graphics::display().destBlend = additive ? 2 : savedDest_;
      graphics::display().applyRenderStates();
    }
  }
  void add(const platform::Vertex (&q)[4]) {
    vertices_.insert(vertices_.end(), {q[0], q[1], q[2], q[0], q[2], q[3]});
  }
  void flush() {
    if (vertices_.empty()) return;
    platform::RenderState s = device_.state();
    s.stage0.addressU = s.stage0.addressV = platform::TextureAddress::Clamp;
    device_.setState(s);
    graphics::textures().bind(texture_);
    device_.draw(platform::PrimitiveType::TriangleList, vertices_.data(), int(vertices_.size()));
    vertices_.clear();
  }

 private:
  platform::Device& device_;
  platform::RenderState saved_;
  int savedSrc_ = graphics::display().srcBlend, savedDest_ = graphics::display().destBlend;
  std::vector<platform::Vertex> vertices_;
  int texture_ = -2;
  bool additive_ = false;
};

void DrawParticle(QuadBatch& batch, const CParticleSystem& s, const CParticle& p) {
  if (p.life <= 0) return;
  const CParticleType* t = TypeRecord(p.type);
  if (!t) return;
  const graphics::CSprite* sprite = t->sprite >= 0 ? graphics::sprites().get(t->sprite) : nullptr;
  if (!sprite) sprite = ShapeSprite(t->shape);
  if (!sprite || sprite->frameCount() == 0) return;
  int64_t frame = p.startFrame;
  if (t->animate) frame += t->stretch ? int64_t(std::floor(double(sprite->frameCount()) * p.age / p.life)) : p.age;
  const int i = sprite->frameIndex(int(frame % sprite->frameCount()));
  if (i < 0) return;
  const int texture = sprite->frameTexture(i);
  const graphics::TextureEntry* e = graphics::textures().entry(texture);
  if (!e || !e->active) return;
  const data::TBitmap32& f = sprite->frames[size_t(i)];

  const double aw = TriangleWave((int64_t(p.age) + 2 * int64_t(p.seed)) % 16, 4);
  const double sw = TriangleWave((int64_t(p.age) + int64_t(p.seed)) % 16, 4);
  const double angle = p.angle + (t->angRelative ? p.direction : 0) + aw * t->angWiggle;
  const double size = p.size + sw * t->sizeWiggle;
  const double xs = t->xscale * size, ys = t->yscale * size;
  const double x = p.x + s.x, y = p.y + s.y;
  const double left = -xs * sprite->xOrigin - 0.5, top = -ys * sprite->yOrigin - 0.5;
  const double right = left + xs * f.width, bottom = top + ys * f.height;
  const float u = float(double(f.width) / e->textureWidth), v = float(double(f.height) / e->textureHeight);
  const double offsets[4][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  const float uv[4][2] = {{0, 0}, {u, 0}, {u, v}, {0, v}};
  const double a = angle * kRad;
  const bool turned = std::fabs(a) >= 0.001;
  const double c = turned ? std::cos(a) : 1, sn = turned ? std::sin(a) : 0;
  const uint32_t argb = graphics::ScriptToDevice(p.colour, p.alpha);
  platform::Vertex q[4];
  for (int k = 0; k < 4; ++k) {
    const double cx = offsets[k][0], cy = offsets[k][1];
    q[k].x = float(x + cx * c + cy * sn);
    q[k].y = float(y - cx * sn + cy * c);
    q[k].colour = argb;
    q[k].u = uv[k][0];
    q[k].v = uv[k][1];
  }
  batch.use(texture, t->additive);
  batch.add(q);
}

bool Drawn(const CParticleSystem& s) { return s.inUse && s.automaticDraw; }

}  // namespace

void DrawSystem(const CParticleSystem& s) {
  platform::Device* device = graphics::display().device();
  if (!device || s.particles.empty()) return;
  QuadBatch batch(*device);
  if (s.oldToNew) {
    for (const CParticle& p : s.particles) DrawParticle(batch, s, p);
  } else {
    for (size_t k = s.particles.size(); k-- > 0;) DrawParticle(batch, s, s.particles[k]);
  }
}

void UpdateAutomaticSystems() {
  // By index: an update cannot add or remove systems, but the list is read afresh each time.
  for (size_t i = 0; i < systems().size(); ++i)
    if (systems()[i].inUse && systems()[i].automaticUpdate) UpdateSystem(systems()[i]);
}

double NextDrawDepthBelow(double depth) {
  double best = kNone;
  for (const CParticleSystem& s : systems())
    if (Drawn(s) && s.depth < depth - 0.01 && s.depth > best) best = s.depth;
  return best;
}

double HighestDrawDepth() { return NextDrawDepthBelow(std::numeric_limits<double>::infinity()); }

void DrawSystemsAtDepth(double depth) {
  for (size_t i = 0; i < systems().size(); ++i)
    if (Drawn(systems()[i]) && std::fabs(systems()[i].depth - depth) <= 0.01) DrawSystem(systems()[i]);
}

}  // namespace qv::particles
