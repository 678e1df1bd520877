// The date family: validity, the day numbering around the epoch, calendar arithmetic, parts,
// spans and comparisons, and the composition of the text forms.
#include "code/date_builtins.h"

#include <gtest/gtest.h>

#include <cmath>

#include "code/date.h"
#include "support/builtin_call.h"

using qv::code::DateFunctions;
using qv::code::RValue;
using qv::testing::CallBuiltin;

namespace {
RValue Call(const char* name, std::vector<RValue> args = {}) { return CallBuiltin(DateFunctions(), name, std::move(args)); }
double Date(const char* name, std::vector<RValue> args = {}) { return Call(name, std::move(args)).real; }
double MakeDate(double y, double m, double d) { return Date("date_create_date", {y, m, d}); }
double MakeDateTime(double y, double mo, double d, double h, double mi, double s) {
  return Date("date_create_datetime", {y, mo, d, h, mi, s});
}
}  // namespace

TEST(DateFunctions, CreationAndValidity) {
  EXPECT_EQ(MakeDate(1899, 12, 30), 0);
  EXPECT_EQ(MakeDate(1900, 1, 1), 2);
  EXPECT_EQ(MakeDate(2000, 1, 1), 36526);
  EXPECT_EQ(MakeDate(1, 1, 1), -693593);
  EXPECT_EQ(MakeDate(9999, 12, 31), 2958465);
  EXPECT_EQ(MakeDate(2004, 2, 30), 0);
  EXPECT_EQ(MakeDate(10000, 1, 1), 0);
  EXPECT_EQ(MakeDate(2004, -1, 1), 0);  // negative parts are never valid
  EXPECT_EQ(MakeDate(65536 + 2004, 2, 29), MakeDate(2004, 2, 29));  // parts are unsigned 16-bit

  struct Valid { double y, m, d; double expected; };
  const Valid dates[] = {{2004, 2, 29, 1}, {1900, 2, 29, 0}, {2000, 2, 29, 1}, {2001, 4, 31, 0}, {0, 1, 1, 0}};
  for (const Valid& v : dates) EXPECT_EQ(Date("date_valid_date", {v.y, v.m, v.d}), v.expected) << v.y << "-" << v.m;

  EXPECT_EQ(Date("date_create_time", {24.0, 0.0, 0.0}), 1);
  EXPECT_EQ(Date("date_create_time", {24.0, 0.0, 1.0}), 0);
  EXPECT_EQ(Date("date_create_time", {12.0, 0.0, 0.0}), 0.5);
  EXPECT_EQ(Date("date_valid_time", {23.0, 59.0, 60.0}), 0);
  EXPECT_EQ(Date("date_valid_datetime", {2004.0, 2.0, 29.0, 23.0, 59.0, 59.0}), 1);
  // Before the epoch the time of day is subtracted: 29 December 1899 06:00 is -1.25.
  EXPECT_EQ(MakeDateTime(1899, 12, 29, 6, 0, 0), -1.25);
  EXPECT_EQ(MakeDateTime(2000, 1, 1, 18, 0, 0), 36526.75);
}

TEST(DateFunctions, PartsRoundTrip) {
  struct Case { double y, mo, d, h, mi, s, weekday; };
  const Case cases[] = {
      {2005, 1, 1, 10, 0, 0, 7},   {1899, 12, 29, 6, 30, 15, 6}, {1, 1, 1, 0, 0, 0, 2},
      {9999, 12, 31, 23, 59, 59, 6}, {2024, 2, 29, 12, 34, 56, 5}, {1600, 3, 1, 1, 2, 3, 4},
  };
  for (const Case& c : cases) {
    double v = MakeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s);
    EXPECT_EQ(Date("date_get_year", {v}), c.y);
    EXPECT_EQ(Date("date_get_month", {v}), c.mo);
    EXPECT_EQ(Date("date_get_day", {v}), c.d);
    EXPECT_EQ(Date("date_get_hour", {v}), c.h);
    EXPECT_EQ(Date("date_get_minute", {v}), c.mi);
    EXPECT_EQ(Date("date_get_second", {v}), c.s) << c.y;
    EXPECT_EQ(Date("date_get_weekday", {v}), c.weekday) << c.y;
  }
  // Every whole second of one day survives the trip (times are rounded to milliseconds first).
  for (int s = 0; s < 86400; s += 7) {
    double v = MakeDateTime(2010, 6, 15, s / 3600, s / 60 % 60, s % 60);
    ASSERT_EQ(Date("date_get_hour", {v}) * 3600 + Date("date_get_minute", {v}) * 60 + Date("date_get_second", {v}), s);
  }
  // Values without a calendar date give 0.
  for (double bad : {1e300, -1e300, double(NAN), double(INFINITY), 2958466.0, -693594.0}) {
    EXPECT_EQ(Date("date_get_year", {bad}), 0) << bad;
    EXPECT_EQ(Call("date_date_string", {bad}).str, "") << bad;
    EXPECT_EQ(Date("date_inc_month", {bad, 1.0}), 0) << bad;
  }
}

TEST(DateFunctions, WeeksAndDaysOfYear) {
  struct Week { double y, m, d, week; };
  const Week weeks[] = {{2005, 1, 1, 53}, {2005, 1, 3, 1}, {2004, 12, 31, 53}, {2008, 12, 29, 1},
                        {2010, 1, 3, 53}, {2010, 1, 4, 1}, {2026, 12, 10, 50}};
  for (const Week& w : weeks) EXPECT_EQ(Date("date_get_week", {MakeDate(w.y, w.m, w.d)}), w.week) << w.y << "-" << w.m << "-" << w.d;

  double v = MakeDateTime(2004, 3, 1, 5, 6, 7);  // day 61 of a leap year
  EXPECT_EQ(Date("date_get_day_of_year", {v}), 61);
  EXPECT_EQ(Date("date_get_hour_of_year", {v}), 5 + 60 * 24);
  EXPECT_EQ(Date("date_get_minute_of_year", {v}), 6 + (5 + 60 * 24) * 60);
  EXPECT_EQ(Date("date_get_second_of_year", {v}), 7 + (6 + (5 + 60 * 24) * 60) * 60);
  EXPECT_EQ(Date("date_days_in_month", {MakeDate(2004, 2, 10)}), 29);
  EXPECT_EQ(Date("date_days_in_month", {MakeDate(2100, 2, 10)}), 28);
  EXPECT_EQ(Date("date_days_in_year", {MakeDate(2000, 7, 1)}), 366);
  EXPECT_EQ(Date("date_leap_year", {MakeDate(1900, 7, 1)}), 0);
}

TEST(DateFunctions, Shifting) {
  EXPECT_EQ(Date("date_inc_month", {MakeDate(2005, 1, 31), 1.0}), MakeDate(2005, 2, 28));
  EXPECT_EQ(Date("date_inc_month", {MakeDate(2005, 3, 31), -1.0}), MakeDate(2005, 2, 28));
  EXPECT_EQ(Date("date_inc_month", {MakeDate(2005, 1, 15), -13.0}), MakeDate(2003, 12, 15));
  EXPECT_EQ(Date("date_inc_year", {MakeDate(2004, 2, 29), 1.0}), MakeDate(2005, 2, 28));
  EXPECT_EQ(Date("date_inc_month", {MakeDateTime(2005, 1, 31, 12, 0, 0), 1.0}), MakeDate(2005, 2, 28) + 0.5);
  EXPECT_EQ(Date("date_inc_month", {MakeDateTime(1899, 11, 29, 6, 0, 0), 1.0}), -1.25);  // keeps the time
  EXPECT_EQ(Date("date_inc_year", {MakeDate(9999, 1, 1), 1.0}), 0);  // beyond year 9999
  EXPECT_EQ(Date("date_inc_month", {MakeDate(2000, 1, 1), 1e9}), 0);
  EXPECT_EQ(Date("date_inc_week", {10.0, 2.0}), 24);
  EXPECT_EQ(Date("date_inc_day", {10.5, -3.0}), 7.5);
  EXPECT_EQ(Date("date_inc_hour", {1.0, 6.0}), 1.25);
  EXPECT_EQ(Date("date_inc_minute", {0.0, 720.0}), 0.5);
  EXPECT_DOUBLE_EQ(Date("date_inc_second", {0.0, 43200.0}), 0.5);
}

TEST(DateFunctions, SpansAndComparisons) {
  double a = MakeDateTime(2000, 1, 1, 0, 0, 0), b = MakeDateTime(2000, 1, 2, 12, 0, 0);
  EXPECT_EQ(Date("date_day_span", {a, b}), 1.5);
  EXPECT_EQ(Date("date_day_span", {b, a}), 1.5);
  EXPECT_EQ(Date("date_hour_span", {a, b}), 36);
  EXPECT_EQ(Date("date_minute_span", {a, b}), 36 * 60);
  EXPECT_EQ(Date("date_second_span", {a, b}), 36 * 3600);
  EXPECT_EQ(Date("date_week_span", {0.0, 14.0}), 2);
  EXPECT_EQ(Date("date_year_span", {0.0, 365.25 * 4}), 4);
  EXPECT_EQ(Date("date_month_span", {0.0, 30.4375}), 1);
  // Across the epoch spans measure real durations: 29 Dec 06:00 to 30 Dec 00:00 is 18 hours.
  EXPECT_EQ(Date("date_hour_span", {-1.25, 0.0}), 18);

  EXPECT_EQ(Date("date_compare_datetime", {a, a + 0.5 / 86400000}), 0);
  EXPECT_EQ(Date("date_compare_datetime", {a, a + 2.0 / 86400000}), -1);
  EXPECT_EQ(Date("date_compare_datetime", {b, a}), 1);
  EXPECT_EQ(Date("date_compare_datetime", {-1.25, -1.75}), -1);  // 06:00 before 18:00 on the same day
  EXPECT_EQ(Date("date_compare_date", {a + 0.9, a + 0.1}), 0);
  EXPECT_EQ(Date("date_compare_date", {a, b}), -1);
  EXPECT_EQ(Date("date_compare_time", {a + 0.25, b - 1.0}), -1);  // 06:00 against 12:00
  EXPECT_EQ(Date("date_compare_time", {a + 0.25, b + 0.75}), 0);
  EXPECT_EQ(Date("date_date_of", {-1.25}), -1);
  EXPECT_EQ(Date("date_time_of", {36526.75}), 0.75);
}

TEST(DateFunctions, TextFollowsTheHostFormats) {
  qv::code::DateParts p;
  double v = MakeDateTime(2004, 2, 29, 13, 5, 9);
  ASSERT_TRUE(qv::code::DecodeDateTime(v, p));
  std::string date = qv::code::FormatDate(p), time = qv::code::FormatTime(p);
  EXPECT_FALSE(date.empty());
  EXPECT_NE(date.find("29"), std::string::npos);
  EXPECT_NE(time.find("05"), std::string::npos);
  EXPECT_EQ(Call("date_date_string", {v}).str, date);
  EXPECT_EQ(Call("date_time_string", {v}).str, time);
  EXPECT_EQ(Call("date_datetime_string", {v}).str, date + " " + time);
  // At exactly midnight the time is left out.
  double midnight = MakeDate(2004, 2, 29);
  EXPECT_EQ(Call("date_datetime_string", {midnight}).str, Call("date_date_string", {midnight}).str);
}

TEST(DateFunctions, Now) {
  double now = Date("date_current_datetime");
  double today = Date("date_current_date");
  EXPECT_EQ(today, std::trunc(today));
  EXPECT_GE(now, today);
  EXPECT_LT(now - today, 1.0 + 1e-6);  // the day may turn between the two calls
  double t = Date("date_current_time");
  EXPECT_TRUE(t >= 0 && t < 1);
  EXPECT_EQ(Date("date_is_today", {now}), 1);
  EXPECT_EQ(Date("date_is_today", {now - 3}), 0);
  EXPECT_GT(Date("date_get_year", {now}), 2020);
}
