// The queue of received messages: the player filter, take, count, clear, compaction and the limit
// of 4000 records.
#include <gtest/gtest.h>

#include "multiplayer/message_queue.h"

using namespace qv::multiplayer;

namespace {

Record From(int32_t player, int32_t id) {
  Record r;
  r.player = player;
  r.id = id;
  return r;
}

TEST(MessageQueue, TakesTheOldestMatchingAndCountsTheUnread) {
  MessageQueue q;
  for (int i = 1; i <= 4; ++i) q.Append(From(i % 2 ? 7 : 9, i));  // 7:1, 9:2, 7:3, 9:4
  EXPECT_EQ(q.Count(0), 4);
  EXPECT_EQ(q.Count(7), 2);
  EXPECT_EQ(q.Count(-1), 0);
  Record r;
  EXPECT_FALSE(q.Take(-1, r));
  EXPECT_FALSE(q.Take(8, r));
  ASSERT_TRUE(q.Take(9, r));
  EXPECT_EQ(r.id, 2);
  EXPECT_EQ(q.firstUnread(), 0u) << "record 1 is still unread";
  ASSERT_TRUE(q.Take(0, r));
  EXPECT_EQ(r.id, 1);
  EXPECT_EQ(q.firstUnread(), 2u) << "the index moves over every read record";
  EXPECT_EQ(q.Count(0), 2);
  ASSERT_TRUE(q.Take(0, r));
  EXPECT_EQ(r.id, 3);
}

TEST(MessageQueue, ClearMarksTheMatchingRecordsAndCompacts) {
  MessageQueue q;
  for (int i = 1; i <= 6; ++i) q.Append(From(i % 2 ? 7 : 9, i));
  Record r;
  q.Take(0, r);  // 1
  q.Clear(9);
  EXPECT_EQ(q.size(), 2u);
  EXPECT_EQ(q.firstUnread(), 0u);
  EXPECT_EQ(q.Count(0), 2);
  q.Take(0, r);
  EXPECT_EQ(r.id, 3);
  q.Clear(-1);
  EXPECT_EQ(q.Count(0), 1);
  q.Clear(0);
  EXPECT_EQ(q.size(), 0u);
}

TEST(MessageQueue, HoldsAt4000UnreadRecordsAndMakesRoomByCompacting) {
  MessageQueue q;
  for (int i = 0; i < 4000; ++i) ASSERT_TRUE(q.Append(From(1, i)));
  EXPECT_FALSE(q.Append(From(1, 4000))) << "4000 unread records: the new one is lost";
  Record r;
  ASSERT_TRUE(q.Take(0, r));
  ASSERT_TRUE(q.Take(0, r));
  EXPECT_EQ(q.size(), 4000u);
  EXPECT_TRUE(q.Append(From(1, 4001))) << "compaction drops the two read records";
  EXPECT_EQ(q.size(), 3999u);
  EXPECT_EQ(q.Count(0), 3999);
  ASSERT_TRUE(q.Take(0, r));
  EXPECT_EQ(r.id, 2);
  EXPECT_TRUE(q.Append(From(1, 4002)));
  EXPECT_TRUE(q.Append(From(1, 4003))) << "the record taken makes room";
  EXPECT_FALSE(q.Append(From(1, 4004)));
  EXPECT_EQ(q.Count(0), 4000);
}

}  // namespace
