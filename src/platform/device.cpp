#include "platform/device.h"

namespace qv::platform {

void Device::setState(const RenderState& s) {
  if (s == state_) return;
  flush();
  state_ = s;
  dirty_ = true;
}

void Device::setTransformWorld(const Matrix& m) {
  if (m == world_) return;
  flush();
  world_ = m;
  worldDirty_ = true;
}

void Device::setTransformView(const Matrix& m) {
  if (m == view_) return;
  flush();
  view_ = m;
  dirty_ = true;
}

void Device::setTransformProjection(const Matrix& m) {
  if (m == projection_) return;
  flush();
  projection_ = m;
  dirty_ = true;
}

void Device::setLight(int index, const Light& light) {
  if (index < 0 || index > 7 || lights_[size_t(index)] == light) return;
  flush();
  lights_[size_t(index)] = light;
  dirty_ = true;
}

void Device::setMaterial(const Material& m) {
  if (m == material_) return;
  flush();
  material_ = m;
  dirty_ = true;
}

void Device::setViewport(const Viewport& v) {
  if (v == viewport_) return;
  flush();
  viewport_ = v;
  dirty_ = true;
}

void Device::setTexture(TextureHandle t) {
  if (t == texture_) return;
  flush();
  texture_ = t;
}

void AppendAsList(PrimitiveType type, const Vertex* v, int count, std::vector<Vertex>& out) {
  if (count <= 0) return;
  switch (type) {
    case PrimitiveType::PointList: out.insert(out.end(), v, v + count); break;
    case PrimitiveType::TriangleList: out.insert(out.end(), v, v + (count - count % 3)); break;
    case PrimitiveType::LineList: out.insert(out.end(), v, v + (count - count % 2)); break;
    case PrimitiveType::LineStrip:
      for (int i = 0; i + 1 < count; ++i) {
        out.push_back(v[i]);
        out.push_back(v[i + 1]);
      }
      break;
    case PrimitiveType::TriangleStrip:
      for (int i = 0; i + 2 < count; ++i) {
        // Odd triangles keep their first vertex first (flat shading takes it) with the winding flipped.
        if (i % 2 == 0) {
          out.insert(out.end(), {v[i], v[i + 1], v[i + 2]});
        } else {
          out.insert(out.end(), {v[i], v[i + 2], v[i + 1]});
        }
      }
      break;
    case PrimitiveType::TriangleFan:
      for (int i = 1; i + 1 < count; ++i) out.insert(out.end(), {v[0], v[i], v[i + 1]});
      break;
  }
}

PrimitiveType ListTypeOf(PrimitiveType type) {
  if (type == PrimitiveType::PointList) return PrimitiveType::PointList;
  if (type == PrimitiveType::LineList || type == PrimitiveType::LineStrip) return PrimitiveType::LineList;
  return PrimitiveType::TriangleList;
}

}  // namespace qv::platform
