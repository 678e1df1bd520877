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
  dirty_ = true;
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

}  // namespace qv::platform
