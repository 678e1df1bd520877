// The container: marker search, unscrambling, the seeded substitution, chunk frames and the header,
// all checked against games written by CGameWriter.
#include "data/container.h"

#include <gtest/gtest.h>

#include "data/game_writer.h"

using namespace qv;
using namespace qv::data;

namespace {

data::CStream withMarkerAt(size_t offset, size_t total) {
  std::vector<uint8_t> bytes(total, 0);
  data::CStream s(std::move(bytes));
  s.seek(offset);
  s.WriteInteger(data::kGameMarker);
  return s;
}

}  // namespace

TEST(Container, MarkerIsFoundOnlyAtCandidateOffsets) {
  struct Case {
    size_t offset;
    bool found;
  } cases[] = {
      {697344, true}, {697344 + 10000, true}, {697344 + 3 * 10000, true},
      {697344 + 4, false}, {697344 - 10000, false}, {697344 + 5000, false}, {0, false},
  };
  for (const Case& c : cases) {
    data::CStream s = withMarkerAt(c.offset, 697344 + 40000);
    auto at = data::FindGameData(s);
    ASSERT_EQ(at.has_value(), c.found) << c.offset;
    if (c.found) {
      EXPECT_EQ(*at, c.offset + 4);
    }
  }
}

TEST(Container, MarkerSearchStopsWhenACandidateCannotHoldAnInteger) {
  // The last candidate has 3 bytes left; the file is shorter than the first candidate.
  EXPECT_FALSE(data::FindGameData(data::CStream(std::vector<uint8_t>(697344 + 3, 0))).has_value());
  EXPECT_FALSE(data::FindGameData(data::CStream(std::vector<uint8_t>(100, 0))).has_value());
  data::CStream exact = withMarkerAt(697344 + 10000, 697344 + 10004);
  EXPECT_EQ(data::FindGameData(exact), 697344u + 10004u);
}

TEST(Container, ScrambleThenUnscrambleGivesThePlainBytesForManyLengths) {
  std::mt19937 rng(7);
  for (size_t length : {0u, 1u, 2u, 255u, 256u, 257u, 1000u}) {
    std::vector<uint8_t> plain(length);
    for (auto& b : plain) b = uint8_t(rng());
    data::CStream stored;
    data::CGameWriter::Scramble(stored, data::CStream(plain), rng);
    stored.WriteInteger(4242);  // what follows the section must be left in place
    stored.seek(0);
    data::CStream back = data::Unscramble(stored);
    EXPECT_EQ(back.bytes(), plain) << length;
    EXPECT_EQ(back.position(), 0u);
    EXPECT_EQ(stored.ReadInteger(), 4242);
  }
}

TEST(Container, UnscrambleFollowsTheStoredKeyTable) {
  // A hand-made section: identity table, no filler, three bytes. With the identity table the
  // chaining gives x[i] = s[i] - s[i-1] - i and the exchanges swap with i - i = index 0.
  data::CStream s;
  s.WriteInteger(1);  // n1: one filler integer
  s.WriteInteger(0);
  s.WriteInteger(-1);
  for (int k = 0; k < 256; ++k) s.WriteByte(uint8_t(k));
  s.WriteInteger(3);
  s.WriteByte(10);
  s.WriteByte(20);
  s.WriteByte(40);
  s.seek(0);
  data::CStream plain = data::Unscramble(s);
  // After the chaining: {10, 20-10-1=9, 40-20-2=18}. Exchanges, i = 2, 1, 0 each with index 0:
  // i=2: {18, 9, 10}; i=1: {9, 18, 10}; i=0: unchanged.
  EXPECT_EQ(plain.bytes(), (std::vector<uint8_t>{9, 18, 10}));
}

TEST(Container, UnscrambleRejectsNegativeCountsAndShortData) {
  auto section = [](int32_t n1, int32_t n2, int32_t length, size_t bytesAfter) {
    data::CStream s;
    s.WriteInteger(n1);
    s.WriteInteger(n2);
    for (int k = 0; k < 256; ++k) s.WriteByte(uint8_t(k));
    s.WriteInteger(length);
    for (size_t i = 0; i < bytesAfter; ++i) s.WriteByte(0);
    s.seek(0);
    return s;
  };
  struct Case {
    int32_t n1, n2, length;
    size_t after;
  } bad[] = {{-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -5, 10}, {0, 0, 11, 10}, {0, 0, 0x7FFFFFFF, 10}, {0x7FFFFFFF, 0, 0, 0}};
  for (const Case& c : bad) {
    data::CStream s = section(c.n1, c.n2, c.length, c.after);
    EXPECT_THROW(data::Unscramble(s), data::StreamError) << c.n1 << " " << c.n2 << " " << c.length;
  }
}

TEST(Container, DecodeWithSeedInvertsEncodeAndRespectsTheRange) {
  std::vector<uint8_t> plain(600);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = uint8_t(i * 7);
  for (int32_t seed : {0, 1, 249, 250, 123456, -1, -250, -64000, 0x7FFFFFFF}) {
    data::CStream s{std::vector<uint8_t>(plain)};
    ASSERT_TRUE(data::EncodeWithSeed(s, seed, 0, 0));
    EXPECT_NE(s.bytes(), plain) << seed;
    ASSERT_TRUE(data::DecodeWithSeed(s, seed, 0, 0));
    EXPECT_EQ(s.bytes(), plain) << seed;
  }
  // Only [100, 150) changes.
  data::CStream s{std::vector<uint8_t>(plain)};
  ASSERT_TRUE(data::DecodeWithSeed(s, 999, 100, 50));
  for (size_t i = 0; i < plain.size(); ++i)
    if (i < 100 || i >= 150) {
      EXPECT_EQ(s.bytes()[i], plain[i]) << i;
    }
  // A range past the end is clamped instead of writing outside the stream.
  data::CStream tail{std::vector<uint8_t>(plain)};
  EXPECT_TRUE(data::DecodeWithSeed(tail, 999, 590, 1000));
  EXPECT_TRUE(data::DecodeWithSeed(tail, 999, 5000, 10));
}

TEST(Container, DecodeWithSeedMatchesTheTableBuiltByHand) {
  // Seed 0: a = 6, b = 0. Exchanges j = (6k mod 254) + 1 with j + 1, k = 1..10000; byte 0 maps to 0.
  std::array<int, 256> t;
  for (int k = 0; k < 256; ++k) t[size_t(k)] = k;
  for (int k = 1; k <= 10000; ++k) {
    int j = (k * 6) % 254 + 1;
    std::swap(t[size_t(j)], t[size_t(j + 1)]);
  }
  std::vector<uint8_t> all(256);
  for (int k = 0; k < 256; ++k) all[size_t(k)] = uint8_t(t[size_t(k)]);
  data::CStream s(all);
  ASSERT_TRUE(data::DecodeWithSeed(s, 0, 0, -1));
  for (int k = 0; k < 256; ++k) EXPECT_EQ(s.bytes()[size_t(k)], k);
}

TEST(Container, DecodeWithSeedRefusesSeedsThatWouldLeaveTheTable) {
  // seed div 250 = -300: still negative after adding 256.
  data::CStream s(std::vector<uint8_t>{1, 2, 3});
  EXPECT_FALSE(data::DecodeWithSeed(s, -300 * 250, 0, 0));
  EXPECT_EQ(s.bytes(), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(Container, StandardFrameKeepsIndicesOfEmptySlots) {
  data::CGameWriter w;
  w.Record(data::ChunkId::Sprites, 0, "spr_a").WriteInteger(11);
  w.Record(data::ChunkId::Sprites, 2, "spr_c").WriteInteger(33);
  std::mt19937 rng(1);
  data::CStream main = w.WriteMainSection(rng);
  main.seek(0);
  data::ReadMainSectionHeader(main);
  // Walk to the sprites chunk with the frames themselves.
  auto skipAll = [](data::FrameSlot&) { return true; };
  ASSERT_EQ(main.ReadInteger(), 700);
  ASSERT_EQ(main.ReadInteger(), 0);  // no packages
  ASSERT_TRUE(data::ReadTriggerFrame(main, 800, skipAll));
  ASSERT_EQ(main.ReadInteger(), 800);
  ASSERT_EQ(main.ReadInteger(), 0);  // no constants
  ASSERT_TRUE(data::ReadStandardFrame(main, 800, skipAll));  // sounds
  std::vector<std::tuple<int, bool, std::string, int>> seen;
  ASSERT_TRUE(data::ReadStandardFrame(main, 800, [&](data::FrameSlot& s) {
    seen.emplace_back(s.index, s.exists, s.name, s.exists ? s.record.ReadInteger() : -1);
    return true;
  }));
  EXPECT_EQ(seen, (std::vector<std::tuple<int, bool, std::string, int>>{
                      {0, true, "spr_a", 11}, {1, false, "", -1}, {2, true, "spr_c", 33}}));
}

TEST(Container, FramesRejectWrongVersionsAndBadCounts) {
  auto frame = [](int32_t version, int32_t count) {
    data::CStream s;
    s.WriteInteger(version);
    s.WriteInteger(count);
    s.seek(0);
    return s;
  };
  auto any = [](data::FrameSlot&) { return true; };
  data::CStream wrongVersion = frame(799, 0);
  EXPECT_FALSE(data::ReadStandardFrame(wrongVersion, 800, any));
  data::CStream negative = frame(800, -1);
  EXPECT_FALSE(data::ReadStandardFrame(negative, 800, any));
  data::CStream huge = frame(800, 0x7FFFFFFF);
  EXPECT_FALSE(data::ReadTriggerFrame(huge, 800, any));
  data::CStream ok = frame(800, 0);
  EXPECT_TRUE(data::ReadStandardFrame(ok, 800, any));
  // A record reader's failure stops the frame.
  data::CGameWriter w;
  w.Record(data::ChunkId::Triggers, 0).WriteInteger(5);
  std::mt19937 rng(1);
  data::CStream main = w.WriteMainSection(rng);
  main.seek(0);
  data::ReadMainSectionHeader(main);
  main.ReadInteger();
  main.ReadInteger();
  EXPECT_FALSE(data::ReadTriggerFrame(main, 800, [](data::FrameSlot&) { return false; }));
}

TEST(Container, AFrameBlockThatDoesNotInflateThrows) {
  data::CStream s;
  s.WriteInteger(800);
  s.WriteInteger(1);
  s.WriteInteger(4);
  s.WriteInteger(0x12345678);  // not a zlib stream
  s.seek(0);
  EXPECT_THROW(data::ReadStandardFrame(s, 800, [](data::FrameSlot&) { return true; }), data::StreamError);
}

TEST(Container, EveryChunkIsWrittenWithItsVersionInOrder) {
  data::CGameWriter w;
  w.Item(data::ChunkId::Constants).WriteString("c");
  w.Item(data::ChunkId::RoomOrder).WriteInteger(0);
  std::mt19937 rng(3);
  data::CStream main = w.WriteMainSection(rng);
  main.seek(0);
  data::ReadMainSectionHeader(main);
  auto any = [](data::FrameSlot&) { return true; };
  for (const data::ChunkInfo& c : data::ChunkTable()) {
    SCOPED_TRACE(c.name);
    switch (c.frame) {
      case data::ChunkFrame::Standard:
        ASSERT_TRUE(data::ReadStandardFrame(main, c.version, any));
        if (c.id == data::ChunkId::Rooms) {
          EXPECT_EQ(main.ReadInteger(), 100000);
          EXPECT_EQ(main.ReadInteger(), 10000000);
        }
        break;
      case data::ChunkFrame::Trigger: ASSERT_TRUE(data::ReadTriggerFrame(main, c.version, any)); break;
      case data::ChunkFrame::Counted: {
        ASSERT_EQ(main.ReadInteger(), c.version);
        int32_t n = main.ReadInteger();
        if (c.id == data::ChunkId::Constants) {
          ASSERT_EQ(n, 1);
          EXPECT_EQ(main.ReadString(), "c");
        } else if (c.id == data::ChunkId::RoomOrder) {
          ASSERT_EQ(n, 1);
          EXPECT_EQ(main.ReadInteger(), 0);
        } else {
          EXPECT_EQ(n, 0);
        }
        break;
      }
      case data::ChunkFrame::CompressedItems:
        ASSERT_EQ(main.ReadInteger(), c.version);
        EXPECT_EQ(main.ReadInteger(), 0);
        break;
      case data::ChunkFrame::SingleBlock:
        ASSERT_EQ(main.ReadInteger(), c.version);
        EXPECT_EQ(main.ReadCompressedBlock().size(), 0u);
        break;
    }
  }
  EXPECT_TRUE(main.atEnd());
}

TEST(Container, WrittenGameReadsBackThroughTheInnerHeader) {
  data::CGameWriter w;
  w.debug_mode = true;
  w.game_id = 987654;
  for (int i = 0; i < 16; ++i) w.guid[size_t(i)] = uint8_t(0xA0 + i);
  w.helper_library = {1, 2, 3};
  w.settings.scaling = 200;
  w.Item(data::ChunkId::RoomOrder).WriteInteger(0);
  std::vector<uint8_t> prefix(700000, 0x55);
  data::CStream file(w.Write(prefix));
  auto start = data::FindGameData(file);
  ASSERT_EQ(start, 697344u + 10000u + 4u);  // the first candidate after the prefix
  data::GameSettings settings;
  data::GameData data;
  bool sawSettings = false;
  ASSERT_EQ(data::ReadGameData(file, *start, settings, data, [&](bool debug) {
              sawSettings = true;
              EXPECT_TRUE(debug);
              EXPECT_EQ(settings.scaling, 200);
            }),
            data::LoadStatus::Ok);
  EXPECT_TRUE(sawSettings);
  EXPECT_TRUE(data.debug_mode);
  EXPECT_EQ(data.helper_library_name, "helper.dll");
  EXPECT_EQ(data.header.game_id, 987654);
  EXPECT_EQ(data.header.guid, w.guid);
  EXPECT_EQ(data.main.ReadInteger(), 700);  // the first chunk's version
}

TEST(Container, TwoWritesOfOneGameDifferButReadTheSame) {
  data::CGameWriter w;
  w.game_id = 5;
  data::CStream a = w.WriteGameData();
  data::CStream b = w.WriteGameData();
  EXPECT_NE(a.bytes(), b.bytes());
  for (data::CStream* s : {&a, &b}) {
    data::GameSettings settings;
    data::GameData data;
    ASSERT_EQ(data::ReadGameData(*s, 0, settings, data), data::LoadStatus::Ok);
    EXPECT_EQ(data.header.game_id, 5);
  }
}

TEST(Container, HeaderFailuresGiveTheirStatus) {
  data::CGameWriter w;
  data::CStream good = w.WriteGameData();
  struct Case {
    const char* what;
    size_t offset;  // where an integer is overwritten
    int32_t value;
    data::LoadStatus status;
  } cases[] = {
      {"format version", 0, 801, data::LoadStatus::WrongVersion},
      {"settings version", 8, 700, data::LoadStatus::ResourceData},
  };
  for (const Case& c : cases) {
    data::CStream s = good;
    s.seek(c.offset);
    s.WriteInteger(c.value);
    data::GameSettings settings;
    data::GameData data;
    EXPECT_EQ(data::ReadGameData(s, 0, settings, data), c.status) << c.what;
  }
  EXPECT_STREQ(data::LoadStatusMessage(data::LoadStatus::WrongVersion), "Error: Wrong version number.");
  EXPECT_STREQ(data::LoadStatusMessage(data::LoadStatus::ResourceData), "Error: Error in resource data.");
  EXPECT_STREQ(data::LoadStatusMessage(data::LoadStatus::NotValidGame), "Error: Not a valid game file.");
}

TEST(Container, EveryTruncationOfAGameThrowsInsteadOfCrashing) {
  data::CGameWriter w;
  w.settings.loading_picture = qv::data::TBitmap32(3, 2, 0xFF102030);
  data::CStream good = w.WriteGameData();
  for (size_t cut = 0; cut < good.size(); cut += 7) {
    std::vector<uint8_t> bytes(good.bytes().begin(), good.bytes().begin() + ptrdiff_t(cut));
    data::CStream s(std::move(bytes));
    data::GameSettings settings;
    data::GameData data;
    EXPECT_THROW(data::ReadGameData(s, 0, settings, data), data::StreamError) << cut;
  }
}
