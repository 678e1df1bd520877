// Settings: defaults, the stored order of all 32 fields, the conditional bar pictures.
#include "data/settings.h"

#include <gtest/gtest.h>

#include "data/picture.h"

using namespace qv;
using namespace qv::data;
using qv::data::TBitmap32;

namespace {

data::TBitmap32 gradient(int w, int h, uint32_t base) {
  data::TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.setPixel(x, y, base + uint32_t(x) * 0x10 + uint32_t(y) * 0x1000);
  return b;
}

// Every field changed from its default, so a swapped or skipped field shows.
data::GameSettings changedSettings() {
  data::GameSettings s;
  s.start_fullscreen = true;
  s.interpolate_pixels = true;
  s.hide_border = true;
  s.display_cursor = false;
  s.scaling = 0;
  s.allow_resize = true;
  s.stay_on_top = true;
  s.outside_color = 0x123456;
  s.set_resolution = true;
  s.color_depth = 2;
  s.resolution = 7;
  s.frequency = 5;
  s.hide_buttons = true;
  s.use_vsync = true;
  s.disable_screensaver = false;
  s.key_f4_fullscreen = false;
  s.key_f1_information = false;
  s.key_esc_ends = false;
  s.key_f5_f6_save_load = false;
  s.key_f9_screenshot = false;
  s.close_as_esc = false;
  s.priority = 2;
  s.freeze_unfocused = true;
  s.show_progress_bar = true;
  s.empty_bar_picture = gradient(4, 2, 0xFF000000);
  s.full_bar_picture = gradient(5, 1, 0xFF0000FF);
  s.loading_picture = gradient(7, 3, 0x80FF0000);
  s.loading_transparent = true;
  s.loading_alpha = 128;
  s.scale_progress_bar = false;
  s.display_errors = false;
  s.write_errors = true;
  s.abort_on_errors = true;
  s.uninitialized_zero = true;
  return s;
}

void expectPictureEq(const std::optional<data::TBitmap32>& a, const std::optional<data::TBitmap32>& b, const char* what) {
  ASSERT_EQ(a.has_value(), b.has_value()) << what;
  if (!a) return;
  EXPECT_EQ(a->width, b->width) << what;
  EXPECT_EQ(a->height, b->height) << what;
  EXPECT_EQ(a->pixels, b->pixels) << what;
}

}  // namespace

TEST(Settings, DefaultsBeforeTheChunkIsRead) {
  data::GameSettings s;
  EXPECT_FALSE(s.start_fullscreen);
  EXPECT_TRUE(s.display_cursor);
  EXPECT_EQ(s.scaling, 100);
  EXPECT_EQ(s.outside_color, 0xFFFFFF);
  EXPECT_TRUE(s.disable_screensaver);
  EXPECT_TRUE(s.key_f4_fullscreen && s.key_f1_information && s.key_esc_ends && s.key_f5_f6_save_load &&
              s.key_f9_screenshot && s.close_as_esc);
  EXPECT_EQ(s.priority, 0);
  EXPECT_TRUE(s.show_progress_bar);
  EXPECT_FALSE(s.loading_picture.has_value());
  EXPECT_EQ(s.loading_alpha, 255);
  EXPECT_TRUE(s.scale_progress_bar);
  EXPECT_TRUE(s.display_errors);
  EXPECT_FALSE(s.write_errors || s.abort_on_errors || s.uninitialized_zero);
}

TEST(Settings, EveryFieldRoundTripsWithPictures) {
  data::GameSettings in = changedSettings();
  data::CStream s;
  data::WriteSettings(s, in);
  s.seek(0);
  data::GameSettings out;
  ASSERT_TRUE(data::ReadSettings(s, out));
  EXPECT_TRUE(s.atEnd());
  EXPECT_EQ(out.start_fullscreen, in.start_fullscreen);
  EXPECT_EQ(out.interpolate_pixels, in.interpolate_pixels);
  EXPECT_EQ(out.hide_border, in.hide_border);
  EXPECT_EQ(out.display_cursor, in.display_cursor);
  EXPECT_EQ(out.scaling, in.scaling);
  EXPECT_EQ(out.allow_resize, in.allow_resize);
  EXPECT_EQ(out.stay_on_top, in.stay_on_top);
  EXPECT_EQ(out.outside_color, in.outside_color);
  EXPECT_EQ(out.set_resolution, in.set_resolution);
  EXPECT_EQ(out.color_depth, in.color_depth);
  EXPECT_EQ(out.resolution, in.resolution);
  EXPECT_EQ(out.frequency, in.frequency);
  EXPECT_EQ(out.hide_buttons, in.hide_buttons);
  EXPECT_EQ(out.use_vsync, in.use_vsync);
  EXPECT_EQ(out.disable_screensaver, in.disable_screensaver);
  EXPECT_EQ(out.key_f4_fullscreen, in.key_f4_fullscreen);
  EXPECT_EQ(out.key_f1_information, in.key_f1_information);
  EXPECT_EQ(out.key_esc_ends, in.key_esc_ends);
  EXPECT_EQ(out.key_f5_f6_save_load, in.key_f5_f6_save_load);
  EXPECT_EQ(out.key_f9_screenshot, in.key_f9_screenshot);
  EXPECT_EQ(out.close_as_esc, in.close_as_esc);
  EXPECT_EQ(out.priority, in.priority);
  EXPECT_EQ(out.freeze_unfocused, in.freeze_unfocused);
  EXPECT_EQ(out.show_progress_bar, in.show_progress_bar);
  expectPictureEq(out.empty_bar_picture, in.empty_bar_picture, "empty bar");
  expectPictureEq(out.full_bar_picture, in.full_bar_picture, "full bar");
  expectPictureEq(out.loading_picture, in.loading_picture, "loading");
  EXPECT_EQ(out.loading_transparent, in.loading_transparent);
  EXPECT_EQ(out.loading_alpha, in.loading_alpha);
  EXPECT_EQ(out.scale_progress_bar, in.scale_progress_bar);
  EXPECT_EQ(out.display_errors, in.display_errors);
  EXPECT_EQ(out.write_errors, in.write_errors);
  EXPECT_EQ(out.abort_on_errors, in.abort_on_errors);
  EXPECT_EQ(out.uninitialized_zero, in.uninitialized_zero);
}

TEST(Settings, StoredOrderOfTheFirstFieldsAndTheBarPictures) {
  // Read the block by hand: the order is part of the file format.
  data::GameSettings in = changedSettings();
  data::CStream s;
  data::WriteSettings(s, in);
  s.seek(0);
  ASSERT_EQ(s.ReadInteger(), 800);
  data::CStream b = s.ReadCompressedBlock();
  const int32_t expected[] = {1, 1, 1, 0, 0, 1, 1, 0x123456, 1, 2, 7, 5, 1, 1, 0, 0, 0, 0, 0, 0, 0, 2, 1, 1};
  for (int32_t v : expected) EXPECT_EQ(b.ReadInteger(), v);
  EXPECT_EQ(data::ReadPicture(b)->width, 4);  // empty bar
  EXPECT_EQ(data::ReadPicture(b)->width, 5);  // full bar
  EXPECT_EQ(data::ReadPicture(b)->width, 7);  // loading picture
  EXPECT_EQ(b.ReadInteger(), 1);
  EXPECT_EQ(b.ReadInteger(), 128);
}

TEST(Settings, WithoutTheProgressBarNoBarPicturesAreStored) {
  data::GameSettings in = changedSettings();
  in.show_progress_bar = false;
  data::CStream s;
  data::WriteSettings(s, in);
  s.seek(0);
  s.ReadInteger();
  data::CStream b = s.ReadCompressedBlock();
  for (int i = 0; i < 23; ++i) b.ReadInteger();
  EXPECT_FALSE(b.ReadBoolean());
  EXPECT_EQ(data::ReadPicture(b)->width, 7);  // the loading picture follows at once
  s.seek(0);
  data::GameSettings out;
  ASSERT_TRUE(data::ReadSettings(s, out));
  EXPECT_FALSE(out.empty_bar_picture || out.full_bar_picture);
  EXPECT_TRUE(out.loading_picture.has_value());
  EXPECT_EQ(out.loading_alpha, 128);
}

TEST(Settings, WrongVersionLeavesTheStoreUnchanged) {
  data::CStream s;
  data::WriteSettings(s, changedSettings());
  s.seek(0);
  s.WriteInteger(801);
  s.seek(0);
  data::GameSettings out;
  out.scaling = 42;
  EXPECT_FALSE(data::ReadSettings(s, out));
  EXPECT_EQ(out.scaling, 42);
}

TEST(Settings, TheProcessWideStoreIsOneObject) {
  data::CStream s;
  data::WriteSettings(s, changedSettings());
  s.seek(0);
  ASSERT_TRUE(data::ReadSettings(s));
  EXPECT_EQ(data::CurrentSettings().scaling, 0);
  data::CurrentSettings().display_cursor = true;  // as the window functions do
  EXPECT_TRUE(data::CurrentSettings().display_cursor);
  data::CurrentSettings() = data::GameSettings{};
}

TEST(Settings, PriorityCodesOutsideOneAndTwoActAsNormal) {
  for (auto [stored, effective] : {std::pair{0, 0}, {1, 1}, {2, 2}, {3, 0}, {-1, 0}}) {
    data::GameSettings s;
    s.priority = stored;
    EXPECT_EQ(data::EffectivePriority(s), effective) << stored;
  }
}

TEST(Picture, UndecodableBlocksGiveNoPictureAndKeepThePosition) {
  struct Case {
    const char* what;
    std::vector<uint8_t> content;
    bool compress;
  } cases[] = {
      {"not a bitmap", {1, 2, 3, 4, 5}, true},
      {"not zlib", {9, 9, 9, 9}, false},
  };
  for (const Case& c : cases) {
    data::CStream s;
    s.WriteBoolean(true);
    if (c.compress) {
      s.WriteCompressedBlock(data::CStream(c.content));
    } else {
      s.WriteInteger(int32_t(c.content.size()));
      s.WriteBytes(c.content.data(), c.content.size());
    }
    s.WriteInteger(77);
    s.seek(0);
    EXPECT_FALSE(data::ReadPicture(s).has_value()) << c.what;
    EXPECT_EQ(s.ReadInteger(), 77) << c.what;
  }
  data::CStream none;
  none.WriteBoolean(false);
  none.WriteInteger(78);
  none.seek(0);
  EXPECT_FALSE(data::ReadPicture(none).has_value());
  EXPECT_EQ(none.ReadInteger(), 78);
}
