// The adapter's framing reader, fed as a socket would feed it: whole, split anywhere, and damaged.
#include "adapter/message_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/mutations.h"

namespace {

using qv::adapter::FrameMessage;
using qv::adapter::kMaxBodyBytes;
using qv::adapter::kMaxHeaderBytes;
using qv::adapter::MessageReader;
using Result = MessageReader::Result;

// Everything the reader hands out for `bytes` fed in pieces of `piece` bytes: messages as they are,
// faults as "!" (their text is checked elsewhere).
std::vector<std::string> readAll(const std::string& bytes, size_t piece) {
  MessageReader reader;
  std::vector<std::string> out;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    reader.Feed(std::string_view(bytes).substr(at, piece));
    std::string m;
    for (Result r; (r = reader.Next(m)) != Result::None;) out.push_back(r == Result::Message ? m : "!");
  }
  return out;
}

TEST(MessageReader, ReadsFramesHoweverTheBytesArrive) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> expected;
  };
  const std::string big(kMaxBodyBytes + 1, 'x');
  const Case cases[] = {
      {"two messages", FrameMessage("{\"a\":1}") + FrameMessage("{}"), {"{\"a\":1}", "{}"}},
      {"empty body", FrameMessage(""), {""}},
      {"other fields, any case, blanks", "content-type: json\r\nCONTENT-LENGTH:  2 \r\n\r\n{}" + FrameMessage("[]"), {"{}", "[]"}},
      {"no length, then a message", "Content-Type: x\r\n\r\n" + FrameMessage("{}"), {"!", "{}"}},
      {"length not a number", "Content-Length: 1e3\r\n\r\n" + FrameMessage("{}"), {"!", "{}"}},
      {"negative length", "Content-Length: -2\r\n\r\n" + FrameMessage("{}"), {"!", "{}"}},
      // The body of a header without a length runs into the next header, which is found again.
      {"length given twice", "Content-Length: 2\r\nContent-Length: 2\r\n\r\n{}" + FrameMessage("1") + FrameMessage("2"),
       {"!", "!", "1", "2"}},
      {"huge length number", "Content-Length: 99999999999999999999999\r\n\r\n" + FrameMessage("{}"), {"!", "{}"}},
      {"body above the limit is skipped", FrameMessage(big) + FrameMessage("{}"), {"!", "{}"}},
      {"overlong header", std::string(kMaxHeaderBytes + 10, 'h') + "\r\n\r\n" + FrameMessage("{}"), {"!", "{}"}},
  };
  for (const Case& c : cases) {
    for (size_t piece : {c.bytes.size(), size_t{1}, size_t{7}, size_t{4096}}) {
      if (piece == 1 && c.bytes.size() > 100000) continue;  // the large cases byte by byte take long
      SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
      EXPECT_EQ(readAll(c.bytes, piece), c.expected);
    }
  }
}

TEST(MessageReader, FaultsSayWhat) {
  MessageReader reader;
  std::string m;
  reader.Feed("Content-Length: " + std::to_string(kMaxBodyBytes + 1) + "\r\n\r\n");
  ASSERT_EQ(reader.Next(m), Result::Malformed);
  EXPECT_EQ(m, "a message body of " + std::to_string(kMaxBodyBytes + 1) + " bytes, above the limit of " +
                   std::to_string(kMaxBodyBytes));
  reader = MessageReader();
  reader.Feed("X: y\r\n\r\n");
  ASSERT_EQ(reader.Next(m), Result::Malformed);
  EXPECT_EQ(m, "a message header without a valid Content-Length");
}

// A refused body is never held: memory stays bounded however much a peer sends.
TEST(MessageReader, HoldsNoMoreThanItsLimits) {
  MessageReader reader;
  std::string m;
  reader.Feed("Content-Length: 100000000\r\n\r\n");
  ASSERT_EQ(reader.Next(m), Result::Malformed);
  const std::string chunk(1 << 20, 'z');
  for (int i = 0; i < 50; ++i) {
    reader.Feed(chunk);
    EXPECT_EQ(reader.Next(m), Result::None);
    EXPECT_EQ(reader.held(), 0u);
  }
  // Endless header bytes: dropped as they come.
  reader = MessageReader();
  for (int i = 0; i < 50; ++i) {
    reader.Feed(chunk);
    while (reader.Next(m) != Result::None) {
    }
    EXPECT_LE(reader.held(), kMaxHeaderBytes);
  }
}

// The checks of fuzz/fuzz_dap_reader.cpp over mutations of a good stream, so that every test run
// covers them: nothing crashes, the reader holds at most its limits and hands out no body above
// its limit, and each message it hands out is a body that was framed in the input.
TEST(MessageReader, MutatedStreamsStayBounded) {
  const std::string good = FrameMessage("{\"seq\":1,\"type\":\"request\",\"command\":\"threads\"}") +
                           FrameMessage("{\"seq\":2}");
  std::mt19937 random(30);
  for (int k = 0; k < 5000; ++k) {
    const std::string m = qv::testing::Mutate(good, random, "0123456789:\r\n ");
    MessageReader reader;
    std::string out;
    const size_t piece = 1 + random() % 64;
    for (size_t at = 0; at < m.size(); at += piece) {
      reader.Feed(std::string_view(m).substr(at, piece));
      for (Result r; (r = reader.Next(out)) != Result::None;) {
        ASSERT_LE(out.size(), kMaxBodyBytes);
        if (r == Result::Message) {
          ASSERT_NE(m.find("\r\n\r\n" + out), std::string::npos) << m;
        }
      }
      ASSERT_LE(reader.held(), kMaxHeaderBytes + kMaxBodyBytes);
    }
  }
}

}  // namespace
