#include "data/settings.h"

#include "data/picture.h"

namespace qv::data {

GameSettings& CurrentSettings() {
  static GameSettings settings;
  return settings;
}

bool ReadSettings(CStream& stream, GameSettings& out) {
  if (stream.ReadInteger() != kSettingsVersion) return false;
  CStream b = stream.ReadCompressedBlock();
  GameSettings s;
  s.start_fullscreen = b.ReadBoolean();
  s.interpolate_pixels = b.ReadBoolean();
  s.hide_border = b.ReadBoolean();
  s.display_cursor = b.ReadBoolean();
  s.scaling = b.ReadInteger();
  s.allow_resize = b.ReadBoolean();
  s.stay_on_top = b.ReadBoolean();
  s.outside_color = b.ReadInteger();
  s.set_resolution = b.ReadBoolean();
  s.color_depth = b.ReadInteger();
  s.resolution = b.ReadInteger();
  s.frequency = b.ReadInteger();
  s.hide_buttons = b.ReadBoolean();
  s.use_vsync = b.ReadBoolean();
  s.disable_screensaver = b.ReadBoolean();
  s.key_f4_fullscreen = b.ReadBoolean();
  s.key_f1_information = b.ReadBoolean();
  s.key_esc_ends = b.ReadBoolean();
  s.key_f5_f6_save_load = b.ReadBoolean();
  s.key_f9_screenshot = b.ReadBoolean();
  s.close_as_esc = b.ReadBoolean();
  s.priority = b.ReadInteger();
  s.freeze_unfocused = b.ReadBoolean();
  s.show_progress_bar = b.ReadBoolean();
  if (s.show_progress_bar) {
    s.empty_bar_picture = ReadPicture(b);
    s.full_bar_picture = ReadPicture(b);
  }
  s.loading_picture = ReadPicture(b);
  s.loading_transparent = b.ReadBoolean();
  s.loading_alpha = b.ReadInteger();
  s.scale_progress_bar = b.ReadBoolean();
  s.display_errors = b.ReadBoolean();
  s.write_errors = b.ReadBoolean();
  s.abort_on_errors = b.ReadBoolean();
  s.uninitialized_zero = b.ReadBoolean();
  out = std::move(s);
  return true;
}

bool ReadSettings(CStream& stream) { return ReadSettings(stream, CurrentSettings()); }

void WriteSettings(CStream& stream, const GameSettings& s) {
  stream.WriteInteger(kSettingsVersion);
  CStream b;
  b.WriteBoolean(s.start_fullscreen);
  b.WriteBoolean(s.interpolate_pixels);
  b.WriteBoolean(s.hide_border);
  b.WriteBoolean(s.display_cursor);
  b.WriteInteger(s.scaling);
  b.WriteBoolean(s.allow_resize);
  b.WriteBoolean(s.stay_on_top);
  b.WriteInteger(s.outside_color);
  b.WriteBoolean(s.set_resolution);
  b.WriteInteger(s.color_depth);
  b.WriteInteger(s.resolution);
  b.WriteInteger(s.frequency);
  b.WriteBoolean(s.hide_buttons);
  b.WriteBoolean(s.use_vsync);
  b.WriteBoolean(s.disable_screensaver);
  b.WriteBoolean(s.key_f4_fullscreen);
  b.WriteBoolean(s.key_f1_information);
  b.WriteBoolean(s.key_esc_ends);
  b.WriteBoolean(s.key_f5_f6_save_load);
  b.WriteBoolean(s.key_f9_screenshot);
  b.WriteBoolean(s.close_as_esc);
  b.WriteInteger(s.priority);
  b.WriteBoolean(s.freeze_unfocused);
  b.WriteBoolean(s.show_progress_bar);
  if (s.show_progress_bar) {
    WritePicture(b, s.empty_bar_picture);
    WritePicture(b, s.full_bar_picture);
  }
  WritePicture(b, s.loading_picture);
  b.WriteBoolean(s.loading_transparent);
  b.WriteInteger(s.loading_alpha);
  b.WriteBoolean(s.scale_progress_bar);
  b.WriteBoolean(s.display_errors);
  b.WriteBoolean(s.write_errors);
  b.WriteBoolean(s.abort_on_errors);
  b.WriteBoolean(s.uninitialized_zero);
  stream.WriteCompressedBlock(b);
}

int EffectivePriority(const GameSettings& settings) {
  return settings.priority == 1 || settings.priority == 2 ? settings.priority : 0;
}

}  // namespace qv::data
