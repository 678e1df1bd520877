// The text records of ds_*_write and ds_*_read: exact bytes, round trips, and refusal of broken
// text without touching the container.
#include <gtest/gtest.h>

#include "datastructures/record.h"
#include "ds_test_support.h"
#include "data/stream.h"

using qv::code::RValue;
using qv::data::StreamError;
using qv::testing::DataStructureTest;
using qv::testing::Ds;
using qv::testing::DsReal;

using Records = DataStructureTest;

TEST_F(Records, ExactBytes) {
  double s = DsReal("ds_stack_create");
  Ds("ds_stack_push", {s, 1.0});
  EXPECT_EQ(Ds("ds_stack_write", {s}).str, "650000000100000000000000000000000000F03F00000000");

  double l = DsReal("ds_list_create");
  Ds("ds_list_add", {l, RValue("Hi")});
  EXPECT_EQ(Ds("ds_list_write", {l}).str,
            "2D010000" "01000000" "01000000" "0000000000000000" "02000000" "4869");

  double m = DsReal("ds_map_create");
  Ds("ds_map_add", {m, RValue("k"), -2.0});
  EXPECT_EQ(Ds("ds_map_write", {m}).str,
            "91010000" "01000000"
            "01000000" "0000000000000000" "01000000" "6B"   // key "k"
            "00000000" "00000000000000C0" "00000000");      // value -2

  double g = DsReal("ds_grid_create", {2.0, 1.0});
  Ds("ds_grid_set", {g, 1.0, 0.0, 0.5});
  EXPECT_EQ(Ds("ds_grid_write", {g}).str,
            "59020000" "02000000" "01000000"
            "00000000" "0000000000000000" "00000000"
            "00000000" "000000000000E03F" "00000000");

  double p = DsReal("ds_priority_create");
  Ds("ds_priority_add", {p, RValue("a"), 2.0});
  EXPECT_EQ(Ds("ds_priority_write", {p}).str,
            "F5010000" "01000000"
            "01000000" "0000000000000000" "01000000" "61"
            "00000000" "0000000000000040" "00000000");
}

// Each kind: fill, write, read into a fresh container of the same kind, write again: same text.
TEST_F(Records, RoundTripEveryKind) {
  struct Kind { const char* create; const char* fill; const char* write; const char* read; int fillArgs; };
  const Kind kinds[] = {
      {"ds_stack_create", "ds_stack_push", "ds_stack_write", "ds_stack_read", 1},
      {"ds_queue_create", "ds_queue_enqueue", "ds_queue_write", "ds_queue_read", 1},
      {"ds_list_create", "ds_list_add", "ds_list_write", "ds_list_read", 1},
      {"ds_map_create", "ds_map_add", "ds_map_write", "ds_map_read", 2},
      {"ds_priority_create", "ds_priority_add", "ds_priority_write", "ds_priority_read", 2},
  };
  for (const Kind& k : kinds) {
    double a = DsReal(k.create);
    for (int i = 0; i < 40; ++i) {
      RValue v = i % 3 ? RValue(i * 0.5) : RValue(std::string("s\0\xFF", 3) + std::to_string(i));
      if (k.fillArgs == 1) Ds(k.fill, {a, v});
      else Ds(k.fill, {a, v, double(40 - i)});
    }
    std::string text = Ds(k.write, {a}).str;
    double b = DsReal(k.create);
    Ds(k.read, {b, text});
    EXPECT_EQ(Ds(k.write, {b}).str, text) << k.create;
    // Lower-case digits read the same.
    std::string lower = text;
    for (char& ch : lower) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    double c = DsReal(k.create);
    Ds(k.read, {c, lower});
    EXPECT_EQ(Ds(k.write, {c}).str, text) << k.create;
  }
  double g = DsReal("ds_grid_create", {3.0, 4.0});
  Ds("ds_grid_set", {g, 2.0, 3.0, RValue("corner")});
  Ds("ds_grid_set", {g, 0.0, 1.0, 7.0});
  std::string text = Ds("ds_grid_write", {g}).str;
  double h = DsReal("ds_grid_create", {1.0, 1.0});
  Ds("ds_grid_read", {h, text});
  EXPECT_EQ(DsReal("ds_grid_width", {h}), 3);
  EXPECT_EQ(Ds("ds_grid_get", {h, 2.0, 3.0}).str, "corner");
  EXPECT_EQ(Ds("ds_grid_write", {h}).str, text);
}

TEST_F(Records, BrokenTextLeavesTheContainerAlone) {
  double s = DsReal("ds_stack_create");
  Ds("ds_stack_push", {s, 42.0});
  const std::string before = Ds("ds_stack_write", {s}).str;

  double l = DsReal("ds_list_create");
  Ds("ds_list_add", {l, 1.0});
  const std::string listText = Ds("ds_list_write", {l}).str;

  // A record of another kind: silently refused.
  Ds("ds_stack_read", {s, listText});
  EXPECT_EQ(Ds("ds_stack_write", {s}).str, before);

  // Broken text: the read throws (ending the step) and the stack is unchanged.
  const std::string broken[] = {
      "",                                             // no record number
      "65000000",                                     // no count
      "6500000001000000000000000000",                 // value cut short
      "65000000FFFFFF7F",                             // a count far beyond the bytes
      "65000000FFFFFFFF",                             // a negative count
      "65000000010000000000000000000000000000F03G00000000",  // not a hexadecimal pair
      "65000000 1000000",
  };
  for (const std::string& text : broken) {
    EXPECT_THROW(Ds("ds_stack_read", {s, text}), StreamError) << text;
    EXPECT_EQ(Ds("ds_stack_write", {s}).str, before) << text;
  }
  // A final odd digit is ignored.
  double t = DsReal("ds_stack_create");
  Ds("ds_stack_read", {t, before + "7"});
  EXPECT_EQ(Ds("ds_stack_write", {t}).str, before);
}

TEST_F(Records, InconsistentQueuesAndGridsAreRefused) {
  double q = DsReal("ds_queue_create");
  Ds("ds_queue_enqueue", {q, 5.0});
  const std::string before = Ds("ds_queue_write", {q}).str;
  const std::string empty16 = "00000000" "0000000000000000" "00000000";
  const std::string queues[] = {
      "C9000000" "02000000" "00000000" "01000000" + empty16,  // tail beyond the array
      "C9000000" "00000000" "01000000" "01000000" + empty16,  // head beyond tail
      "C9000000" "01000000" "FFFFFFFF" "01000000" + empty16,  // negative head
  };
  for (const std::string& text : queues) {
    EXPECT_THROW(Ds("ds_queue_read", {q, text}), StreamError);
    EXPECT_EQ(Ds("ds_queue_write", {q}).str, before);
  }
  double g = DsReal("ds_grid_create", {1.0, 1.0});
  const std::string grids[] = {
      "59020000" "00000100" "00000100",             // 65536 x 65536: the product must not wrap to 0
      "59020000" "FFFFFFFF" "FFFFFFFF" + empty16,   // negative sizes
      "59020000" "02000000" "01000000" + empty16,   // one cell short
  };
  for (const std::string& text : grids) {
    EXPECT_THROW(Ds("ds_grid_read", {g, text}), StreamError);
    EXPECT_EQ(DsReal("ds_grid_width", {g}), 1);
  }
  // A valid queue record whose head and tail sit mid-array keeps working after the read.
  Ds("ds_queue_read", {q, "C9000000" "02000000" "01000000" "02000000" + empty16 +
                              "00000000" "0000000000001C40" "00000000"});
  EXPECT_EQ(DsReal("ds_queue_size", {q}), 1);
  EXPECT_EQ(DsReal("ds_queue_head", {q}), 7);
  Ds("ds_queue_enqueue", {q, 8.0});  // grows the array past its 2 slots
  EXPECT_EQ(DsReal("ds_queue_tail", {q}), 8);
}
