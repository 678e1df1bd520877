// Leak checking (in sanitizer builds) ignores allocations that system libraries keep for the life
// of the process: fontconfig's configuration, FreeType, Mesa's, SDL's and ALSA's driver state. They are
// not ours. Include this header in exactly one file of each program (its main).
#pragma once

#ifdef QV_SANITIZED
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libfreetype.so\n"
         "leak:libGLX_mesa.so\n"
         "leak:libEGL_mesa.so\n"
         "leak:swrast_dri.so\n"
         "leak:libLLVM\n"
         "leak:libSDL2\n"
         "leak:libasound.so\n"
         "leak:libdbus-1.so\n"
         "leak:libX11.so\n"
         "leak:libglib-2.0.so\n";
}

// The list of suppressions used is not printed: programs' stderr stays theirs (tests read it).
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
