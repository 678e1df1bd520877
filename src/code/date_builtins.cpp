// Date and time family. Sections: now; creation and validity; shifting; parts; spans and
// comparisons; text; the registration table. A value outside years 1 to 9999 (or NaN) has no parts:
// the part functions give 0 and the text functions the empty string.
#include "code/date_builtins.h"

#include <cmath>

#include "code/date.h"

namespace qv::code {

namespace {

constexpr double kMillisecond = 1.0 / kMillisecondsPerDay;

// ---- now

void CurrentDateTimeFn(BuiltinCall& c) { c.result = CurrentDateTime(); }
void CurrentDate(BuiltinCall& c) { c.result = std::trunc(CurrentDateTime()); }
void CurrentTime(BuiltinCall& c) {
  double now = CurrentDateTime();
  c.result = now - std::trunc(now);
}

// ---- creation and validity: each part is rounded and taken as an unsigned 16-bit number, so a
// negative part is never valid and 65536 + k counts as k.

int part(const BuiltinCall& c, int i) { return static_cast<uint16_t>(c.integer(i)); }

bool makeDate(const BuiltinCall& c, int first, double& out) {
  return EncodeDate(part(c, first), part(c, first + 1), part(c, first + 2), out);
}
bool makeTime(const BuiltinCall& c, int first, double& out) {
  return EncodeTime(part(c, first), part(c, first + 1), part(c, first + 2), 0, out);
}

void CreateDateTime(BuiltinCall& c) {
  double date, time;
  if (makeDate(c, 0, date) && makeTime(c, 3, time)) c.result = ComposeDateTime(date, time);
}
void CreateDate(BuiltinCall& c) {
  double date;
  if (makeDate(c, 0, date)) c.result = date;
}
void CreateTime(BuiltinCall& c) {
  double time;
  if (makeTime(c, 0, time)) c.result = time;
}
void ValidDateTime(BuiltinCall& c) {
  double date, time;
  c.result = truthValue(makeDate(c, 0, date) && makeTime(c, 3, time));
}
void ValidDate(BuiltinCall& c) {
  double date;
  c.result = truthValue(makeDate(c, 0, date));
}
void ValidTime(BuiltinCall& c) {
  double time;
  c.result = truthValue(makeTime(c, 0, time));
}

// ---- shifting

// The same day n months later, clamped to the target month's length; time of day kept. A target
// outside years 1 to 9999 gives 0, like an invalid date does for the create functions.
double incMonth(double d, int64_t n) {
  DateParts p;
  if (!DecodeDateTime(d, p)) return 0;
  int64_t months = int64_t{p.year} * 12 + (p.month - 1) + n;
  int64_t year = months >= 0 ? months / 12 : -((-months + 11) / 12);
  int month = static_cast<int>(months - year * 12) + 1;
  if (year < 1 || year > 9999) return 0;
  int y = static_cast<int>(year);
  int day = p.day < DaysInMonth(y, month) ? p.day : DaysInMonth(y, month);
  double date = 0;
  EncodeDate(y, month, day, date);
  return ComposeDateTime(date, std::fabs(d - std::trunc(d)));
}

void IncYear(BuiltinCall& c) { c.result = incMonth(c.real(0), int64_t{12} * c.integer(1)); }
void IncMonth(BuiltinCall& c) { c.result = incMonth(c.real(0), c.integer(1)); }
void IncWeek(BuiltinCall& c) { c.result = c.real(0) + 7.0 * c.integer(1); }
void IncDay(BuiltinCall& c) { c.result = c.real(0) + c.integer(1); }
// (d * k + n) / k, literally: before the epoch this moves the time of day the other way.
template <int kPerDay>
void IncUnits(BuiltinCall& c) { c.result = (c.real(0) * kPerDay + c.integer(1)) / kPerDay; }

// ---- parts

template <double (*get)(const DateParts&, double)>
void Part(BuiltinCall& c) {
  DateParts p;
  if (DecodeDateTime(c.real(0), p)) c.result = get(p, c.real(0));
}

double startOfYear(const DateParts& p) {
  double jan1 = 0;
  EncodeDate(p.year, 1, 1, jan1);
  return jan1;
}
double dayOfYear(const DateParts& p, double d) { return std::trunc(d - startOfYear(p)) + 1; }
double hourOfYear(const DateParts& p, double d) { return p.hour + (dayOfYear(p, d) - 1) * 24; }
double minuteOfYear(const DateParts& p, double d) { return p.minute + hourOfYear(p, d) * 60; }
double secondOfYear(const DateParts& p, double d) { return p.second + minuteOfYear(p, d) * 60; }

double year(const DateParts& p, double) { return p.year; }
double month(const DateParts& p, double) { return p.month; }
double day(const DateParts& p, double) { return p.day; }
double week(const DateParts& p, double) { return IsoWeek(p); }
double hour(const DateParts& p, double) { return p.hour; }
double minute(const DateParts& p, double) { return p.minute; }
double second(const DateParts& p, double) { return p.second; }
double weekday(const DateParts& p, double) { return p.weekday; }
double daysInMonth(const DateParts& p, double) { return DaysInMonth(p.year, p.month); }
double daysInYear(const DateParts& p, double) { return IsLeapYear(p.year) ? 366 : 365; }
double leapYear(const DateParts& p, double) { return truthValue(IsLeapYear(p.year)); }
double isToday(const DateParts& p, double) {
  DateParts today;
  return truthValue(DecodeDateTime(CurrentDateTime(), today) && today.date == p.date);
}

// ---- spans and comparisons, measured on the continuous time line so that values before the
// epoch (whose time of day runs backwards in the stored real) still measure true durations.

double daySpan(const BuiltinCall& c) { return std::fabs(DateTimeLine(c.real(0)) - DateTimeLine(c.real(1))); }
void YearSpan(BuiltinCall& c) { c.result = daySpan(c) / 365.25; }
void MonthSpan(BuiltinCall& c) { c.result = daySpan(c) / 30.4375; }
void WeekSpan(BuiltinCall& c) { c.result = daySpan(c) / 7; }
void DaySpan(BuiltinCall& c) { c.result = daySpan(c); }
void HourSpan(BuiltinCall& c) { c.result = daySpan(c) * 24; }
void MinuteSpan(BuiltinCall& c) { c.result = daySpan(c) * 1440; }
void SecondSpan(BuiltinCall& c) { c.result = daySpan(c) * 86400; }

double sign3(double a, double b) { return a < b ? -1.0 : a > b ? 1.0 : 0.0; }
void CompareDateTime(BuiltinCall& c) {
  double a = DateTimeLine(c.real(0)), b = DateTimeLine(c.real(1));
  c.result = std::fabs(a - b) < kMillisecond ? 0.0 : sign3(a, b);
}
void CompareDate(BuiltinCall& c) {
  double a = std::trunc(c.real(0)), b = std::trunc(c.real(1));
  c.result = a == b ? 0.0 : sign3(c.real(0), c.real(1));
}
void CompareTime(BuiltinCall& c) {
  double a = std::fabs(c.real(0) - std::trunc(c.real(0))), b = std::fabs(c.real(1) - std::trunc(c.real(1)));
  c.result = std::fabs(a - b) < kMillisecond ? 0.0 : sign3(a, b);
}
void DateOf(BuiltinCall& c) { c.result = std::trunc(c.real(0)); }
void TimeOf(BuiltinCall& c) { c.result = c.real(0) - std::trunc(c.real(0)); }

// ---- text

void DateTimeString(BuiltinCall& c) {
  DateParts p;
  if (!DecodeDateTime(c.real(0), p)) {
    c.result = std::string();
    return;
  }
  std::string text = FormatDate(p);
  if (p.hour != 0 || p.minute != 0 || p.second != 0 || p.millisecond != 0) text += " " + FormatTime(p);
  c.result = std::move(text);
}
void DateString(BuiltinCall& c) {
  DateParts p;
  c.result = DecodeDateTime(c.real(0), p) ? FormatDate(p) : std::string();
}
void TimeString(BuiltinCall& c) {
  DateParts p;
  c.result = DecodeDateTime(c.real(0), p) ? FormatTime(p) : std::string();
}

const BuiltinFunction kDateFunctions[] = {
    {"date_current_datetime", CurrentDateTimeFn, 0},
    {"date_current_date", CurrentDate, 0},
    {"date_current_time", CurrentTime, 0},
    {"date_create_datetime", CreateDateTime, 6},
    {"date_create_date", CreateDate, 3},
    {"date_create_time", CreateTime, 3},
    {"date_valid_datetime", ValidDateTime, 6},
    {"date_valid_date", ValidDate, 3},
    {"date_valid_time", ValidTime, 3},
    {"date_inc_year", IncYear, 2},
    {"date_inc_month", IncMonth, 2},
    {"date_inc_week", IncWeek, 2},
    {"date_inc_day", IncDay, 2},
    {"date_inc_hour", IncUnits<24>, 2},
    {"date_inc_minute", IncUnits<1440>, 2},
    {"date_inc_second", IncUnits<86400>, 2},
    {"date_get_year", Part<year>, 1},
    {"date_get_month", Part<month>, 1},
    {"date_get_day", Part<day>, 1},
    {"date_get_week", Part<week>, 1},
    {"date_get_hour", Part<hour>, 1},
    {"date_get_minute", Part<minute>, 1},
    {"date_get_second", Part<second>, 1},
    {"date_get_weekday", Part<weekday>, 1},
    {"date_get_day_of_year", Part<dayOfYear>, 1},
    {"date_get_hour_of_year", Part<hourOfYear>, 1},
    {"date_get_minute_of_year", Part<minuteOfYear>, 1},
    {"date_get_second_of_year", Part<secondOfYear>, 1},
    {"date_year_span", YearSpan, 2},
    {"date_month_span", MonthSpan, 2},
    {"date_week_span", WeekSpan, 2},
    {"date_day_span", DaySpan, 2},
    {"date_hour_span", HourSpan, 2},
    {"date_minute_span", MinuteSpan, 2},
    {"date_second_span", SecondSpan, 2},
    {"date_compare_datetime", CompareDateTime, 2},
    {"date_compare_date", CompareDate, 2},
    {"date_compare_time", CompareTime, 2},
    {"date_date_of", DateOf, 1},
    {"date_time_of", TimeOf, 1},
    {"date_datetime_string", DateTimeString, 1},
    {"date_date_string", DateString, 1},
    {"date_time_string", TimeString, 1},
    {"date_days_in_month", Part<daysInMonth>, 1},
    {"date_days_in_year", Part<daysInYear>, 1},
    {"date_leap_year", Part<leapYear>, 1},
    {"date_is_today", Part<isToday>, 1},
};

}  // namespace

BuiltinFamily DateFunctions() { return kDateFunctions; }

}  // namespace qv::code
