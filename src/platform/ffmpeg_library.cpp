#include "platform/ffmpeg_library.h"

#include "platform/late_library.h"

namespace qv::platform {

const FfmpegLibrary* Ffmpeg() {
  // The libraries stay open for the rest of the run: FFmpeg keeps state of its own in them.
  static const FfmpegLibrary* const loaded = []() -> const FfmpegLibrary* {
    static LateLibraries libraries;
    if (!libraries.open({QV_LIBAVUTIL_SONAME, QV_LIBSWRESAMPLE_SONAME, QV_LIBSWSCALE_SONAME, QV_LIBAVCODEC_SONAME,
                         QV_LIBAVFORMAT_SONAME}))
      return nullptr;
    static FfmpegLibrary library;
    bool complete = true;
#define QV_FFMPEG_LOOKUP(name) complete = libraries.resolve(library.name, #name) && complete;
    QV_FFMPEG_FUNCTIONS(QV_FFMPEG_LOOKUP)
#undef QV_FFMPEG_LOOKUP
    return complete ? &library : nullptr;
  }();
  return loaded;
}

}  // namespace qv::platform
