// The bytes that travel: the payload codec, the address text and the search datagrams. Every
// decoder takes only exact forms and refuses the rest.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "multiplayer/address.h"
#include "multiplayer/discovery.h"
#include "multiplayer/payload.h"

using namespace qv::multiplayer;

namespace {

std::vector<uint8_t> Encode(uint8_t kind, int32_t id, const qv::code::RValue& v) {
  Record r;
  r.kind = kind;
  r.id = id;
  r.value = v;
  std::vector<uint8_t> out;
  EncodePayload(r, out);
  return out;
}

TEST(Payload, LayoutOfARealAndAString) {
  EXPECT_EQ(Encode(1, 0x01020304, 1.0),
            (std::vector<uint8_t>{1, 4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0xf0, 0x3f}));
  EXPECT_EQ(Encode(0, -1, "hi"), (std::vector<uint8_t>{0, 0xff, 0xff, 0xff, 0xff, 1, 2, 0, 0, 0, 'h', 'i'}));
}

TEST(Payload, RoundTripsAndCutsLongStringsTo32000) {
  const std::string exact(32000, 'x');
  const struct {
    qv::code::RValue value;
    std::string expected;
    bool isString;
  } cases[] = {{qv::code::RValue(-2.5), "", false},
               {qv::code::RValue(""), "", true},
               {qv::code::RValue(exact), exact, true},
               {qv::code::RValue(std::string(40000, 'y')), std::string(32000, 'y'), true}};
  for (const auto& c : cases) {
    const std::vector<uint8_t> bytes = Encode(1, 77, c.value);
    EXPECT_LE(bytes.size(), kMaxPayloadBytes);
    const std::optional<Record> r = DecodePayload(bytes);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->id, 77);
    EXPECT_EQ(r->player, 0);
    EXPECT_EQ(r->value.isString(), c.isString);
    if (c.isString) {
      EXPECT_EQ(r->value.str, c.expected);
    } else {
      EXPECT_EQ(r->value.real, -2.5);
    }
  }
}

TEST(Payload, RefusesEveryOtherForm) {
  std::vector<uint8_t> real = Encode(1, 5, 3.0), text = Encode(0, 5, "abc");
  auto with = [](std::vector<uint8_t> b, size_t at, uint8_t v) {
    b[at] = v;
    return b;
  };
  auto sized = [](std::vector<uint8_t> b, size_t n) {
    b.resize(n);
    return b;
  };
  std::vector<uint8_t> longN = text;
  longN[6] = 0x01;
  longN[7] = 0x7d;  // n = 32001
  longN.resize(10 + 32001, 'z');
  std::vector<uint8_t> negativeN = text;
  negativeN[9] = 0x80;
  const std::vector<std::vector<uint8_t>> bad = {
      {},
      sized(real, 5),
      sized(real, 13),
      [&] { auto b = real; b.push_back(0); return b; }(),
      with(real, 0, 2),    // kind
      with(real, 5, 2),    // string flag
      with(real, 5, 1),    // says string, sized as a real
      sized(text, 9),
      sized(text, 12),     // shorter than n says
      [&] { auto b = text; b.push_back('!'); return b; }(),
      longN,
      negativeN,
  };
  for (size_t i = 0; i < bad.size(); ++i) EXPECT_FALSE(DecodePayload(bad[i])) << "case " << i;
}

TEST(Address, SplitsAtTheFirstColon) {
  const struct {
    const char* text;
    bool valid;
    const char* host;
    int port;  // -1: no port element
  } cases[] = {
      {"", true, "", -1},
      {"192.168.1.20", true, "192.168.1.20", -1},
      {"192.168.1.20:6000", true, "192.168.1.20", 6000},
      {":6000", true, "", 6000},
      {"a:1:2", false, "", 0},  // the text after the first colon is "1:2"
      {"host:", false, "", 0},
      {"host:0", false, "", 0},
      {"host:65536", false, "", 0},
      {"host:65535", true, "host", 65535},
      {"host:+5", false, "", 0},
      {"host:600x", false, "", 0},
  };
  for (const auto& c : cases) {
    const std::optional<TcpipAddress> a = ParseTcpipAddress(c.text);
    ASSERT_EQ(a.has_value(), c.valid) << c.text;
    if (!a) continue;
    EXPECT_EQ(a->host, c.host) << c.text;
    EXPECT_EQ(a->port.has_value(), c.port >= 0) << c.text;
    if (c.port >= 0) {
      EXPECT_EQ(*a->port, c.port) << c.text;
    }
    EXPECT_EQ(a->portOrDefault(), c.port >= 0 ? c.port : kDefaultPort);
  }
}

TEST(Discovery, QueriesAndRepliesNameTheGame) {
  const Guid game{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, other{16};
  EXPECT_EQ(ParseQuery(EncodeQuery(game)), game);
  const std::vector<uint8_t> reply = EncodeReply(game, Announcement{other, "room"});
  ASSERT_TRUE(ParseReply(reply, game));
  EXPECT_EQ(ParseReply(reply, game)->name, "room");
  EXPECT_EQ(ParseReply(reply, game)->instance, other);
  EXPECT_FALSE(ParseReply(reply, other)) << "another game's session is never listed";
  // A long name travels cut; a reply whose sizes do not add up is refused.
  EXPECT_EQ(ParseReply(EncodeReply(game, Announcement{other, std::string(300, 'n')}), game)->name.size(), kMaxAnnouncedName);
  std::vector<uint8_t> shortName = reply, longName = reply;
  shortName.pop_back();
  longName.push_back('x');
  EXPECT_FALSE(ParseReply(shortName, game));
  EXPECT_FALSE(ParseReply(longName, game));
  EXPECT_FALSE(ParseReply(EncodeQuery(game), game));
  EXPECT_FALSE(ParseQuery(reply));
  std::vector<uint8_t> noMark = EncodeQuery(game);
  noMark[0] ^= 1;
  EXPECT_FALSE(ParseQuery(noMark));
}

}  // namespace
