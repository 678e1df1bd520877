// Date-time values: reals counting days since 30 December 1899 00:00, local time.
//
// The integer part is the date, the fraction the time of day (0.5 is noon). Before the epoch the
// value is negative and the time of day is subtracted from the date instead of added: 29 December
// 1899 06:00 is -1.25. Only years 1 to 9999 can be taken apart; outside them (and for NaN and the
// infinities) the decoders return false and the functions give their neutral result.
#pragma once

#include <cstdint>
#include <string>

namespace qv::code {

inline constexpr double kMinDate = -693593;  // 1 January 1
inline constexpr double kMaxDate = 2958465;  // 31 December 9999
inline constexpr double kMillisecondsPerDay = 86400000;

struct DateParts {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int weekday = 0;    // 1 Sunday .. 7 Saturday
  int64_t date = 0;   // the day number (the integer part)
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 for a month outside 1..12

// The day number of a calendar date, false when the date is not valid.
bool EncodeDate(int year, int month, int day, double& out);
// The fraction of a time of day; 24:00:00.000 is valid and gives 1.
bool EncodeTime(int hour, int minute, int second, int millisecond, double& out);
// Date plus time of day, the time subtracted before the epoch.
double ComposeDateTime(double date, double time);

// Takes a value apart, rounding the time to the nearest millisecond first (so that 10:00 stored
// as a binary fraction does not read back as 09:59:59.999). False outside years 1 to 9999.
bool DecodeDateTime(double value, DateParts& out);

// A value's position on one continuous time line: the date plus the (unsigned) time of day. It
// equals the value from the epoch on and orders values before the epoch correctly.
double DateTimeLine(double value);

// ISO 8601 week number (weeks begin on Monday; week 1 holds the year's first Thursday).
int IsoWeek(const DateParts& parts);

// Now, in local time.
double CurrentDateTime();

// The host's short date and long time formats (strftime's %x and %X in the LC_TIME locale).
std::string FormatDate(const DateParts& parts);
std::string FormatTime(const DateParts& parts);
// Switches LC_TIME (only it: numbers must keep "." whatever the host says) to the host's choice.
void UseHostDateFormats();

}  // namespace qv::code
