#pragma once

#include <string>

class QDateTime;

// The one date-time value of the engine: days since 30 December 1899, the time of
// day as the fraction. Configuration attributes, fileDetails time stamps and
// dataset date-time fields all use it, so values move between them unchanged.
struct TDateTime {
  double Value = 0.0;

  constexpr TDateTime() = default;
  constexpr explicit TDateTime(double days) : Value(days) {}

  friend constexpr bool operator==(TDateTime a, TDateTime b) { return a.Value == b.Value; }
  friend constexpr auto operator<=>(TDateTime a, TDateTime b) { return a.Value <=> b.Value; }
};

struct TDateParts {
  int Year = 1899, Month = 12, Day = 30;
};

struct TTimeParts {
  int Hour = 0, Minute = 0, Second = 0, MilliSecond = 0;
};

// Throws std::invalid_argument when the parts do not form a valid date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int milliSecond = 0);
bool IsValidDate(int year, int month, int day);
TDateParts DecodeDate(TDateTime value);
TTimeParts DecodeTime(TDateTime value);

// Whole days and the fraction alone.
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);

TDateTime Now();
// Local time of the given moment.
TDateTime FromQDateTime(const QDateTime& value);
QDateTime ToQDateTime(TDateTime value);
// Local time of seconds since the Unix epoch (a file's modification time).
TDateTime FromUnixTime(long long secondsSinceEpoch);
// Seconds since the Unix epoch rounded down to an even number: the two-second
// resolution at which listed files have always carried their time.
long long EvenSeconds(long long secondsSinceEpoch);

// Formats with the program's date-time patterns: yyyy, yy, mmmm, mmm, mm, m,
// dd, d, hh, h, nn, n, ss, s, zzz; anything else, and text in double quotes,
// is copied. "mm" directly after an "hh"/"h" means minutes, as people write it.
std::string FormatDateTime(const std::string& pattern, TDateTime value);
