// The surface_* functions of game code; drawing surfaces (draw_surface*) sits with the other
// draw_* forms of pictures.
#include "code/builtin.h"
#include "code/errors.h"
#include "graphics/builtins.h"
#include "graphics/seams.h"
#include "graphics/surface.h"

namespace qv::graphics {
namespace {

using code::BuiltinCall;
using code::BuiltinFunction;
using code::ReportActionError;

constexpr const char* kNoSurface = "Trying to use non-existing surface.";

void surface_create(BuiltinCall& c) { c.result = double(SurfaceCreate(c.integer(0), c.integer(1))); }
void surface_free(BuiltinCall& c) { SurfaceFree(c.integer(0)); }
void surface_exists(BuiltinCall& c) { c.result = SurfaceExists(c.integer(0)) ? 1.0 : 0.0; }
void surface_get_width(BuiltinCall& c) {
  const SurfaceEntry* e = Surface(c.integer(0));
  c.result = e ? double(e->width) : -1.0;
}
void surface_get_height(BuiltinCall& c) {
  const SurfaceEntry* e = Surface(c.integer(0));
  c.result = e ? double(e->height) : -1.0;
}
void surface_get_texture(BuiltinCall& c) {
  const SurfaceEntry* e = Surface(c.integer(0));
  c.result = e ? double(e->texture) : -1.0;
}
void surface_set_target(BuiltinCall& c) { c.result = SurfaceSetTarget(c.integer(0)) ? 1.0 : 0.0; }
void surface_reset_target(BuiltinCall& c) { c.result = SurfaceResetTarget() ? 1.0 : 0.0; }

void surface_getpixel(BuiltinCall& c) {
  if (!SurfaceExists(c.integer(0))) {
    ReportActionError(kNoSurface);
    return;
  }
  c.result = double(SurfaceGetPixel(c.integer(0), c.integer(1), c.integer(2)));
}

// The rectangle of surface_save_part (x, y, w, h after the name), or the whole surface.
void Save(BuiltinCall& c, bool part) {
  const int id = c.integer(0);
  const SurfaceEntry* e = Surface(id);
  if (!e) {
    ReportActionError(kNoSurface);
    return;
  }
  const std::string& name = c.string(1);
  if (name.empty()) {
    ReportActionError("Trying to save surface to empty image file name.");
    return;
  }
  if (!ImageWriteAllowed(name)) return;
  if (part) {
    SurfaceSave(id, HostPath(name), c.integer(2), c.integer(3), c.integer(4), c.integer(5));
  } else {
    SurfaceSave(id, HostPath(name), 0, 0, e->width, e->height);
  }
}
void surface_save(BuiltinCall& c) { Save(c, false); }
void surface_save_part(BuiltinCall& c) { Save(c, true); }

void Copy(BuiltinCall& c, int xs, int ys, int ws, int hs) {
  if (!SurfaceCopy(c.integer(0), c.integer(1), c.integer(2), c.integer(3), xs, ys, ws, hs))
    ReportActionError(kNoSurface);
}
void surface_copy(BuiltinCall& c) {
  const SurfaceEntry* source = Surface(c.integer(3));
  Copy(c, 0, 0, source ? source->width : 0, source ? source->height : 0);
}
void surface_copy_part(BuiltinCall& c) { Copy(c, c.integer(4), c.integer(5), c.integer(6), c.integer(7)); }

const BuiltinFunction kSurfaceFunctions[] = {
    {"surface_create", surface_create, 2},
    {"surface_free", surface_free, 1},
    {"surface_exists", surface_exists, 1},
    {"surface_get_width", surface_get_width, 1},
    {"surface_get_height", surface_get_height, 1},
    {"surface_get_texture", surface_get_texture, 1},
    {"surface_set_target", surface_set_target, 1},
    {"surface_reset_target", surface_reset_target, 0},
    {"surface_getpixel", surface_getpixel, 3},
    {"surface_save", surface_save, 2},
    {"surface_save_part", surface_save_part, 6},
    {"surface_copy", surface_copy, 4},
    {"surface_copy_part", surface_copy_part, 8},
};

}  // namespace

code::BuiltinFamily SurfaceBuiltins() { return kSurfaceFunctions; }

}  // namespace qv::graphics
