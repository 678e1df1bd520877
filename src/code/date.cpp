#include "code/date.h"

#include <chrono>
#include <clocale>
#include <cmath>
#include <ctime>

namespace qv::code {

namespace {

// Days since 1 January 1970 of a proleptic Gregorian date (era arithmetic over 400-year cycles).
int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

const int64_t kEpoch = daysFromCivil(1899, 12, 30);

std::tm toTm(const DateParts& p) {
  std::tm t{};
  t.tm_year = p.year - 1900;
  t.tm_mon = p.month - 1;
  t.tm_mday = p.day;
  t.tm_hour = p.hour;
  t.tm_min = p.minute;
  t.tm_sec = p.second;
  t.tm_wday = p.weekday - 1;
  t.tm_yday = static_cast<int>(daysFromCivil(p.year, p.month, p.day) - daysFromCivil(p.year, 1, 1));
  t.tm_isdst = -1;
  return t;
}

std::string format(const DateParts& p, const char* pattern) {
  std::tm t = toTm(p);
  char buf[128];
  size_t n = std::strftime(buf, sizeof buf, pattern, &t);
  return std::string(buf, n);
}

}  // namespace

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return kDays[month - 1] + (month == 2 && IsLeapYear(year));
}

bool EncodeDate(int year, int month, int day, double& out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
  out = static_cast<double>(daysFromCivil(year, month, day) - kEpoch);
  return true;
}

bool EncodeTime(int hour, int minute, int second, int millisecond, double& out) {
  bool inDay = hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
               millisecond >= 0 && millisecond < 1000;
  bool midnight = hour == 24 && minute == 0 && second == 0 && millisecond == 0;
  if (!inDay && !midnight) return false;
  out = ((hour * 3600 + minute * 60 + second) * 1000.0 + millisecond) / kMillisecondsPerDay;
  return true;
}

double ComposeDateTime(double date, double time) { return date < 0 ? date - time : date + time; }

bool DecodeDateTime(double value, DateParts& out) {
  if (!(value > kMinDate - 1 && value < kMaxDate + 1)) return false;
  double whole = std::trunc(value);
  int64_t date = static_cast<int64_t>(whole);
  int64_t ms = static_cast<int64_t>(std::nearbyint(std::fabs(value - whole) * kMillisecondsPerDay));
  if (ms >= static_cast<int64_t>(kMillisecondsPerDay)) {  // rounds up to the next midnight
    ms -= static_cast<int64_t>(kMillisecondsPerDay);
    date += value < 0 ? -1 : 1;
  }
  if (date < kMinDate || date > kMaxDate) return false;
  out.date = date;
  civilFromDays(date + kEpoch, out.year, out.month, out.day);
  out.hour = static_cast<int>(ms / 3600000);
  out.minute = static_cast<int>(ms / 60000 % 60);
  out.second = static_cast<int>(ms / 1000 % 60);
  out.millisecond = static_cast<int>(ms % 1000);
  // Day 1 (31 December 1899) was a Sunday.
  out.weekday = static_cast<int>(((date - 1) % 7 + 7) % 7) + 1;
  return true;
}

double DateTimeLine(double value) {
  double whole = std::trunc(value);
  return whole + std::fabs(value - whole);
}

int IsoWeek(const DateParts& p) {
  int64_t day = daysFromCivil(p.year, p.month, p.day);
  int isoWeekday = (p.weekday + 5) % 7 + 1;  // Monday 1 .. Sunday 7
  int64_t thursday = day - (isoWeekday - 1) + 3;
  int year, month, dayOfMonth;
  civilFromDays(thursday, year, month, dayOfMonth);
  return static_cast<int>((thursday - daysFromCivil(year, 1, 1)) / 7 + 1);
}

double CurrentDateTime() {
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  if (ms < 0) ms += 1000;
  std::tm local{};
  if (std::tm* t = std::localtime(&seconds)) local = *t;  // single-threaded runner
  double date = 0, time = 0;
  EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
  EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(ms), time);
  return ComposeDateTime(date, time);
}

std::string FormatDate(const DateParts& parts) { return format(parts, "%x"); }
std::string FormatTime(const DateParts& parts) { return format(parts, "%X"); }

void UseHostDateFormats() { std::setlocale(LC_TIME, ""); }

}  // namespace qv::code
