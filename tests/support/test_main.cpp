// Entry point of every test program: headless drivers unless the caller chose others.
#include <gtest/gtest.h>

#include <cstdlib>

#ifdef QV_SANITIZED
#include <dlfcn.h>
#endif

namespace {

#ifdef QV_SANITIZED
// The GL driver is loaded and unloaded by SDL; leaks inside it would be reported with unknown
// modules that no suppression can name. Keeping its libraries resident lets tests/lsan.supp
// name them.
void keepGraphicsDriversResident() {
  const char* libraries[] = {"libEGL_mesa.so.0", "libGLX_mesa.so.0", "libglapi.so.0", "libgbm.so.1",
                             "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libLLVM-15.so.1"};
  for (const char* name : libraries) dlopen(name, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("QUORVANE_HEADLESS", "1", 0);
#ifdef QV_SANITIZED
  keepGraphicsDriversResident();
#endif
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
