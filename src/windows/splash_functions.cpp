// The splash functions of game code: the settings (`splash_set_*`), showing a file or an address
// (`splash_show_*`) and the older forms that also choose full screen (`show_image`, `show_video`,
// `show_text`). Failures are non-fatal errors of the running action; every showing clears the
// keyboard and mouse state afterwards.
#include <filesystem>

#include "code/errors.h"
#include "code/rounding.h"
#include "graphics/bitmap_ops.h"
#include "platform/bounded_file.h"
#include "platform/error_answer.h"
#include "system/file_builtins.h"
#include "system/host_path.h"
#include "windows/modeless_dialogs.h"
#include "windows/splash.h"
#include "windows/video_player.h"
#include "world/input.h"

namespace qv::windows {

namespace {

using code::BuiltinCall;

// The largest text file a splash reads: far beyond any story text.
constexpr size_t kMaxTextBytes = size_t{16} << 20;
// Video file names of this many characters or more are refused, as the player's name field was.
constexpr size_t kMaxVideoName = 127;

// The splash has one window: a new showing replaces one the game did not wait for. In a window of
// its own with "game waits" off, the game goes on at once.
void show(SplashContent content, int64_t delayMs) {
  CloseModelessDialog(ModelessKind::Splash);
  auto window = std::make_unique<SplashWindow>(std::move(content), delayMs);
  if (!window->inMainWindow() && !splashSettings().interrupt) {
    ShowModeless(ModelessKind::Splash, std::move(window));
  } else {
    RunModal(*window);
  }
  world::ClearInput();
}

int64_t delayOf(const BuiltinCall& c, int i) { return code::roundToInt64(c.real(i)); }

void splash_show_image(BuiltinCall& c) { SplashShowImage(c.string(0), delayOf(c, 1)); }
void splash_show_text(BuiltinCall& c) { SplashShowText(c.string(0), delayOf(c, 1)); }
void splash_show_video(BuiltinCall& c) { SplashShowVideo(c.string(0), c.real(1) >= 0.5); }
void splash_show_web(BuiltinCall& c) { SplashShowWeb(c.string(0), delayOf(c, 1)); }

// The older forms show in a window of their own, full screen when "full" rounds above 0.
void chooseFull(const BuiltinCall& c, int i) {
  splashSettings().fullscreen = code::roundToInt64(c.real(i)) > 0;
  splashSettings().main = false;
}

void show_image(BuiltinCall& c) {
  chooseFull(c, 1);
  SplashShowImage(c.string(0), delayOf(c, 2));
}

void show_video(BuiltinCall& c) {
  chooseFull(c, 1);
  SplashShowVideo(c.string(0), c.real(2) >= 0.5);
}

void show_text(BuiltinCall& c) {
  chooseFull(c, 1);
  splashSettings().colour = c.integer(2);
  SplashShowText(c.string(0), delayOf(c, 3));
}

bool truth(const BuiltinCall& c, int i) { return c.real(i) >= 0.5; }

void splash_set_caption(BuiltinCall& c) { splashSettings().caption = c.string(0); }
void splash_set_fullscreen(BuiltinCall& c) { splashSettings().fullscreen = truth(c, 0); }
void splash_set_border(BuiltinCall& c) { splashSettings().border = truth(c, 0); }
void splash_set_size(BuiltinCall& c) {
  splashSettings().width = c.integer(0);
  splashSettings().height = c.integer(1);
}
void splash_set_position(BuiltinCall& c) {
  splashSettings().x = c.integer(0);
  splashSettings().y = c.integer(1);
}
void splash_set_adapt(BuiltinCall& c) { splashSettings().adapt = truth(c, 0); }
void splash_set_top(BuiltinCall& c) { splashSettings().top = truth(c, 0); }
void splash_set_color(BuiltinCall& c) { splashSettings().colour = c.integer(0); }
void splash_set_main(BuiltinCall& c) { splashSettings().main = truth(c, 0); }
void splash_set_scale(BuiltinCall& c) { splashSettings().scale = c.real(0); }
void splash_set_cursor(BuiltinCall& c) { splashSettings().cursor = truth(c, 0); }
void splash_set_interrupt(BuiltinCall& c) { splashSettings().interrupt = truth(c, 0); }
void splash_set_stop_key(BuiltinCall& c) { splashSettings().stopKey = truth(c, 0); }
void splash_set_stop_mouse(BuiltinCall& c) { splashSettings().stopMouse = truth(c, 0); }
void splash_set_close_button(BuiltinCall& c) { splashSettings().closeButton = truth(c, 0); }

const code::BuiltinFunction kSplashFunctions[] = {
    {"splash_show_image", splash_show_image, 2},
    {"splash_show_text", splash_show_text, 2},
    {"splash_show_video", splash_show_video, 2},
    {"splash_show_web", splash_show_web, 2},
    {"show_image", show_image, 3},
    {"show_video", show_video, 3},
    {"show_text", show_text, 4},
    {"splash_set_caption", splash_set_caption, 1},
    {"splash_set_fullscreen", splash_set_fullscreen, 1},
    {"splash_set_border", splash_set_border, 1},
    {"splash_set_size", splash_set_size, 2},
    {"splash_set_position", splash_set_position, 2},
    {"splash_set_adapt", splash_set_adapt, 1},
    {"splash_set_top", splash_set_top, 1},
    {"splash_set_color", splash_set_color, 1},
    {"splash_set_main", splash_set_main, 1},
    {"splash_set_scale", splash_set_scale, 1},
    {"splash_set_cursor", splash_set_cursor, 1},
    {"splash_set_interrupt", splash_set_interrupt, 1},
    {"splash_set_stop_key", splash_set_stop_key, 1},
    {"splash_set_stop_mouse", splash_set_stop_mouse, 1},
    {"splash_set_close_button", splash_set_close_button, 1},
};

}  // namespace

void SplashShowImage(const std::string& name, int64_t delayMs) {
  std::optional<data::TBitmap32> image = graphics::ReadImageFile(system::HostPath(name));
  // A picture without pixels has nothing to scale: it counts as no picture.
  if (!image || image->empty()) return code::ReportActionError("Image file not found.");
  SplashContent content;
  content.kind = SplashContent::Image;
  content.image = std::move(*image);
  show(std::move(content), delayMs);
}

void SplashShowText(const std::string& name, int64_t delayMs) {
  std::string text;
  if (name.empty() || platform::ReadFileBounded(system::HostPath(name), kMaxTextBytes, text) != platform::FileRead::ok)
    return code::ReportActionError("Text file not found.");
  SplashContent content;
  content.kind = SplashContent::Text;
  content.text = ReadRichText(text, RichDefaults{"Arial", 12, 0});
  show(std::move(content), delayMs);
}

void SplashShowVideo(const std::string& name, bool loop) {
  const std::string host = system::HostPath(name);
  std::error_code error;
  std::unique_ptr<VideoPlayer> video;
  if (!name.empty() && name.size() < kMaxVideoName && std::filesystem::is_regular_file(host, error))
    video = VideoPlayer::Open(host, loop);
  if (!video) return code::ReportActionError("Video file not found (or name too long).");
  SplashContent content;
  content.kind = SplashContent::Video;
  content.video = std::move(video);
  content.loop = loop;
  show(std::move(content), 0);
}

void SplashShowWeb(const std::string& address, int64_t delayMs) {
  // Headless runs open no browser; the splash is answered as any other.
  if (address.empty() || (!platform::HeadlessRun() && !system::OpenWithDesktop(address)))
    return code::ReportActionError("Web page not found.");
  SplashContent content;
  content.kind = SplashContent::Web;
  content.address = address;
  show(std::move(content), delayMs);
}

code::BuiltinFamily SplashFunctions() { return kSplashFunctions; }

}  // namespace qv::windows
