// The game settings: how the window looks and behaves, which function keys the runner handles,
// how the loading window looks, how errors are reported, and the process priority.
//
// One process-wide store (CurrentSettings) is filled once from the settings chunk; the window and
// error functions later read and write the same store, never a copy.
#pragma once

#include <cstdint>
#include <optional>

#include "data/bitmap32.h"
#include "data/stream.h"

namespace qv::data {

inline constexpr int32_t kSettingsVersion = 800;

// The 32 settings in their stored order, with the values they hold before the chunk is read.
struct GameSettings {
  bool start_fullscreen = false;        // 1
  bool interpolate_pixels = false;      // 2
  bool hide_border = false;             // 3
  bool display_cursor = true;           // 4
  int32_t scaling = 100;                // 5  percent; 0 and negative values are kept as given
  bool allow_resize = false;            // 6
  bool stay_on_top = false;             // 7
  int32_t outside_color = 0xFFFFFF;     // 8  0x00BBGGRR
  bool set_resolution = false;          // 9
  int32_t color_depth = 0;              // 10 0 no change, 1 16 bits, 2 32 bits
  int32_t resolution = 0;               // 11 0 no change, 1..6 320x240 .. 1600x1200
  int32_t frequency = 0;                // 12 0 no change, 1..5 60 .. 120 Hz
  bool hide_buttons = false;            // 13
  bool use_vsync = false;               // 14
  bool disable_screensaver = true;      // 15
  bool key_f4_fullscreen = true;        // 16
  bool key_f1_information = true;       // 17
  bool key_esc_ends = true;             // 18
  bool key_f5_f6_save_load = true;      // 19
  bool key_f9_screenshot = true;        // 20
  bool close_as_esc = true;             // 21
  int32_t priority = 0;                 // 22 0 normal, 1 high, 2 highest; other values act as 0
  bool freeze_unfocused = false;        // 23
  bool show_progress_bar = true;        // 24 when true, the two bar pictures follow at once
  std::optional<data::TBitmap32> empty_bar_picture;  // 24a
  std::optional<data::TBitmap32> full_bar_picture;   // 24b
  std::optional<data::TBitmap32> loading_picture;    // 25 always stored (its boolean may say none)
  bool loading_transparent = false;     // 26
  int32_t loading_alpha = 255;          // 27 0..255 (clamped where used)
  bool scale_progress_bar = true;       // 28
  bool display_errors = true;           // 29
  bool write_errors = false;            // 30
  bool abort_on_errors = false;         // 31
  bool uninitialized_zero = false;      // 32

  // Frees the three loading-window pictures (done when the loading window is hidden).
  void ReleaseLoadingPictures() {
    empty_bar_picture.reset();
    full_bar_picture.reset();
    loading_picture.reset();
  }
};

// The process-wide settings.
GameSettings& CurrentSettings();

// Reads the settings chunk (version, then one compressed block) into `out`. False when the version
// is not 800 (and `out` is unchanged); data that ends early or a block that does not inflate
// throws StreamError (and `out` is unchanged).
bool ReadSettings(CStream& stream, GameSettings& out);
// The same into the process-wide store.
bool ReadSettings(CStream& stream);

// Writes the chunk exactly as ReadSettings reads it.
void WriteSettings(CStream& stream, const GameSettings& settings);

// The effective priority level: 1 or 2 as stored, anything else 0.
int EffectivePriority(const GameSettings& settings);

}  // namespace qv::data
