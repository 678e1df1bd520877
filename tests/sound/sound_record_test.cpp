// The sound record and the sounds chunk: the writer mirrors the reader.
#include <gtest/gtest.h>

#include "data/stream.h"
#include "sound/sound.h"

namespace qv::sound {
namespace {

CSound sample() {
  CSound s;
  s.kind = 2;
  s.fileType = ".wav";
  s.fileName = "boom.wav";
  s.data = std::vector<uint8_t>{1, 2, 3, 0, 255};
  s.preload = false;
  s.effects = 2 | 64;
  s.volume = 0.75;
  s.pan = -0.5;
  return s;
}

void expectSame(const CSound& a, const CSound& b) {
  EXPECT_EQ(a.kind, b.kind);
  EXPECT_EQ(a.fileType, b.fileType);
  EXPECT_EQ(a.fileName, b.fileName);
  EXPECT_EQ(a.data, b.data);
  EXPECT_EQ(a.preload, b.preload);
  EXPECT_EQ(a.effects, b.effects);
  EXPECT_EQ(a.volume, b.volume);
  EXPECT_EQ(a.pan, b.pan);
}

TEST(SoundRecord, RoundTripsEveryField) {
  for (CSound in : {sample(), CSound{}}) {
    data::CStream s;
    WriteSoundRecord(s, in);
    s.seek(0);
    CSound out;
    out.kind = 9;
    ASSERT_TRUE(ReadSoundRecord(s, out));
    expectSame(in, out);
    EXPECT_TRUE(s.atEnd());
    EXPECT_EQ(out.handle, -1);
  }
}

TEST(SoundRecord, LayoutIsVersionThenFieldsInOrder) {
  data::CStream s;
  CSound in = sample();
  in.data.reset();
  WriteSoundRecord(s, in);
  s.seek(0);
  EXPECT_EQ(s.ReadInteger(), 800);
  EXPECT_EQ(s.ReadInteger(), 2);
  EXPECT_EQ(s.ReadString(), ".wav");
  EXPECT_EQ(s.ReadString(), "boom.wav");
  EXPECT_FALSE(s.ReadBoolean());
  EXPECT_EQ(s.ReadInteger(), 66);
  EXPECT_EQ(s.ReadReal(), 0.75);
  EXPECT_EQ(s.ReadReal(), -0.5);
  EXPECT_FALSE(s.ReadBoolean());
  EXPECT_TRUE(s.atEnd());
}

TEST(SoundRecord, OtherVersionFailsAndShortDataThrowsWithoutChange) {
  data::CStream s;
  WriteSoundRecord(s, sample());
  s.seek(0);
  s.WriteInteger(801);
  s.seek(0);
  CSound out;
  EXPECT_FALSE(ReadSoundRecord(s, out));
  expectSame(out, CSound{});

  data::CStream full;
  WriteSoundRecord(full, sample());
  for (size_t cut : {size_t{6}, size_t{30}, full.size() - 1}) {
    data::CStream part(std::vector<uint8_t>(full.bytes().begin(), full.bytes().begin() + static_cast<long>(cut)));
    CSound o;
    EXPECT_THROW(ReadSoundRecord(part, o), data::StreamError) << cut;
    expectSame(o, CSound{});
  }
}

TEST(SoundsChunk, KeepsEmptyIndicesAndNames) {
  SoundList list;
  list.items.push_back(std::make_unique<CSound>(sample()));
  list.items.push_back(nullptr);
  list.items.push_back(std::make_unique<CSound>());
  list.names = {"snd_boom", "", "snd_empty"};
  data::CStream s;
  WriteSoundsChunk(s, list);
  s.seek(0);
  SoundList back;
  ASSERT_TRUE(ReadSoundsChunk(s, back));
  ASSERT_EQ(back.count(), 3);
  EXPECT_EQ(back.names[0], "snd_boom");
  expectSame(*back.get(0), sample());
  EXPECT_EQ(back.get(1), nullptr);
  EXPECT_EQ(back.names[2], "snd_empty");
  EXPECT_TRUE(s.atEnd());
}

TEST(SoundsChunk, RejectsWrongVersionAndImpossibleCounts) {
  for (auto [version, count] : {std::pair{700, 0}, std::pair{800, -1}, std::pair{800, 1000000}}) {
    data::CStream s;
    s.WriteInteger(version);
    s.WriteInteger(count);
    s.seek(0);
    SoundList back;
    EXPECT_FALSE(ReadSoundsChunk(s, back)) << version << " " << count;
  }
}

}  // namespace
}  // namespace qv::sound
