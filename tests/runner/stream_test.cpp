// CStream encodings: the byte layouts the game data, saved games and data-structure strings share.
#include "data/stream.h"

#include <gtest/gtest.h>

#include <cmath>

using qv::data::CStream;
using qv::data::StreamError;

TEST(Stream, PrimitivesRoundTripLittleEndian) {
  CStream s;
  s.WriteInteger(-2);
  s.WriteBoolean(true);
  s.WriteReal(0.1);
  s.WriteString("abc");
  EXPECT_EQ(s.size(), 4u + 4u + 8u + 7u);
  EXPECT_EQ(s.bytes()[0], 0xFE);
  EXPECT_EQ(s.bytes()[3], 0xFF);
  s.seek(0);
  EXPECT_EQ(s.ReadInteger(), -2);
  EXPECT_TRUE(s.ReadBoolean());
  EXPECT_EQ(s.ReadReal(), 0.1);
  EXPECT_EQ(s.ReadString(), "abc");
  EXPECT_TRUE(s.atEnd());
}

TEST(Stream, BooleanIsTrueOnlyAboveZero) {
  for (auto [stored, expected] : {std::pair{2, true}, {1, true}, {0, false}, {-1, false}}) {
    CStream s;
    s.WriteInteger(stored);
    s.seek(0);
    EXPECT_EQ(s.ReadBoolean(), expected) << stored;
  }
}

TEST(Stream, NonPositiveStringLengthReadsEmptyAndConsumesOnlyTheLength) {
  CStream s;
  s.WriteInteger(-5);
  s.WriteInteger(0);
  s.WriteInteger(77);
  s.seek(0);
  EXPECT_EQ(s.ReadString(), "");
  EXPECT_EQ(s.ReadString(), "");
  EXPECT_EQ(s.ReadInteger(), 77);
}

TEST(Stream, ReadingPastTheEndThrowsWithoutAllocating) {
  CStream s;
  s.WriteInteger(0x7FFFFFFF);  // a string length far beyond the data
  s.seek(0);
  EXPECT_THROW(s.ReadString(), StreamError);
  s.seek(0);
  EXPECT_THROW(s.ReadRawBlock(), StreamError);
  CStream neg;
  neg.WriteInteger(-1);
  neg.seek(0);
  EXPECT_THROW(neg.ReadCompressedBlock(), StreamError);
  CStream shortInt;
  shortInt.WriteByte(1);
  shortInt.seek(0);
  EXPECT_THROW(shortInt.ReadInteger(), StreamError);
}

TEST(Stream, CompressedBlockRoundTripAndCorruption) {
  CStream inner;
  for (int i = 0; i < 1000; ++i) inner.WriteInteger(i);
  CStream outer;
  outer.WriteCompressedBlock(inner);
  outer.seek(0);
  CStream back = outer.ReadCompressedBlock();
  EXPECT_EQ(back.position(), 0u);
  EXPECT_EQ(back.bytes(), inner.bytes());

  outer.bytes()[10] ^= 0x55;  // damage the deflate data
  outer.seek(0);
  EXPECT_THROW(outer.ReadCompressedBlock(), StreamError);
}

TEST(Stream, HexIsUpperCaseAndIgnoresAFinalOddDigit) {
  CStream s;
  s.WriteByte(0xAB);
  s.WriteByte(0x01);
  EXPECT_EQ(s.ToHex(), "AB01");
  s.FromHex("ff10a");
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s.bytes()[0], 0xFF);
  EXPECT_EQ(s.bytes()[1], 0x10);
  EXPECT_EQ(s.position(), 0u);
}
