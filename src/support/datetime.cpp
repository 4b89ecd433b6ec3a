#include "support/datetime.h"

#include <QDateTime>
#include <QTimeZone>

#include <array>
#include <cmath>
#include <stdexcept>

namespace {

constexpr double kMsPerDay = 86400000.0;
// A function rather than a namespace-scope QDate: a TDateTime constant built in
// another file during static initialisation must not see an unset epoch.
QDate Epoch() {
  return QDate(1899, 12, 30);
}

constexpr std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

// Splits a value into whole days and milliseconds of the day, rounding to the
// nearest millisecond so that 0.5 days is exactly 12:00:00.000.
void Split(TDateTime value, long long& days, long long& ms) {
  const double whole = std::floor(value.Value);
  days = static_cast<long long>(whole);
  ms = std::llround((value.Value - whole) * kMsPerDay);
  if (ms >= static_cast<long long>(kMsPerDay)) {
    ++days;
    ms -= static_cast<long long>(kMsPerDay);
  }
}

std::string TwoDigits(int v) {
  std::string s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && QDate::isValid(year, month, day);
}

TDateTime EncodeDate(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) {
    throw std::invalid_argument("Invalid argument to date encode");
  }
  return TDateTime(static_cast<double>(Epoch().daysTo(QDate(year, month, day))));
}

TDateTime EncodeTime(int hour, int minute, int second, int milliSecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      milliSecond < 0 || milliSecond > 999) {
    throw std::invalid_argument("Invalid argument to time encode");
  }
  const double ms = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + milliSecond;
  return TDateTime(ms / kMsPerDay);
}

TDateParts DecodeDate(TDateTime value) {
  long long days = 0, ms = 0;
  Split(value, days, ms);
  const QDate d = Epoch().addDays(days);
  return {d.year(), d.month(), d.day()};
}

TTimeParts DecodeTime(TDateTime value) {
  long long days = 0, ms = 0;
  Split(value, days, ms);
  TTimeParts t;
  t.MilliSecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  t.Second = static_cast<int>(ms % 60);
  ms /= 60;
  t.Minute = static_cast<int>(ms % 60);
  t.Hour = static_cast<int>(ms / 60);
  return t;
}

TDateTime DateOf(TDateTime value) {
  long long days = 0, ms = 0;
  Split(value, days, ms);
  return TDateTime(static_cast<double>(days));
}

TDateTime TimeOf(TDateTime value) {
  long long days = 0, ms = 0;
  Split(value, days, ms);
  return TDateTime(static_cast<double>(ms) / kMsPerDay);
}

TDateTime FromQDateTime(const QDateTime& value) {
  const QDateTime local = value.toLocalTime();
  const QDate d = local.date();
  const QTime t = local.time();
  return TDateTime(static_cast<double>(Epoch().daysTo(d)) + t.msecsSinceStartOfDay() / kMsPerDay);
}

QDateTime ToQDateTime(TDateTime value) {
  long long days = 0, ms = 0;
  Split(value, days, ms);
  return QDateTime(Epoch().addDays(days), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

TDateTime Now() {
  return FromQDateTime(QDateTime::currentDateTime());
}

TDateTime FromUnixTime(long long secondsSinceEpoch) {
  return FromQDateTime(QDateTime::fromSecsSinceEpoch(secondsSinceEpoch));
}

long long EvenSeconds(long long secondsSinceEpoch) {
  // Down also before 1970, where % gives a negative remainder.
  return secondsSinceEpoch - ((secondsSinceEpoch % 2) + 2) % 2;
}

std::string FormatDateTime(const std::string& pattern, TDateTime value) {
  const TDateParts d = DecodeDate(value);
  const TTimeParts t = DecodeTime(value);
  std::string out;
  bool lastWasHour = false;
  size_t i = 0;
  auto run = [&](char c) {
    size_t n = 0;
    while (i + n < pattern.size() && (pattern[i + n] | 0x20) == c) ++n;
    return n;
  };
  while (i < pattern.size()) {
    const char c = pattern[i];
    const char lower = static_cast<char>(c | 0x20);
    if (c == '"' || c == '\'') {
      const size_t end = pattern.find(c, i + 1);
      const size_t stop = end == std::string::npos ? pattern.size() : end;
      out.append(pattern, i + 1, stop - i - 1);
      i = stop == pattern.size() ? stop : stop + 1;
      continue;
    }
    size_t n = 0;
    switch (lower) {
      case 'y':
        n = run('y');
        out += n <= 2 ? TwoDigits(d.Year % 100) : std::to_string(d.Year);
        break;
      case 'm':
        n = run('m');
        if (lastWasHour && n <= 2) {
          out += n == 2 ? TwoDigits(t.Minute) : std::to_string(t.Minute);
        } else if (n >= 4) {
          out += kLongMonths[d.Month - 1];
        } else if (n == 3) {
          out += kShortMonths[d.Month - 1];
        } else {
          out += n == 2 ? TwoDigits(d.Month) : std::to_string(d.Month);
        }
        break;
      case 'd':
        n = run('d');
        out += n >= 2 ? TwoDigits(d.Day) : std::to_string(d.Day);
        break;
      case 'h':
        n = run('h');
        out += n >= 2 ? TwoDigits(t.Hour) : std::to_string(t.Hour);
        break;
      case 'n':
        n = run('n');
        out += n >= 2 ? TwoDigits(t.Minute) : std::to_string(t.Minute);
        break;
      case 's':
        n = run('s');
        out += n >= 2 ? TwoDigits(t.Second) : std::to_string(t.Second);
        break;
      case 'z': {
        n = run('z');
        std::string ms = std::to_string(t.MilliSecond);
        out += n >= 3 ? std::string(3 - ms.size(), '0') + ms : ms;
        break;
      }
      default:
        out += c;
        i += 1;
        if (c != ' ' && c != ':') lastWasHour = false;
        continue;
    }
    lastWasHour = lower == 'h';
    i += n;
  }
  return out;
}
