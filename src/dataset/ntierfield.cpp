#include "dataset/ntierfield.h"

#include "config/udfxml.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::int32_t ParseInteger(std::string_view text) {
  std::string_view digits = Trimmed(text);
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    throw ENTierConversionError("'" + std::string(text) + "' is not a valid integer value");
  }
  return value;
}

// The decimal separator of the user's locale.
char DecimalPoint() {
  const QString point = QLocale::system().decimalPoint();
  return point.size() == 1 && point[0].unicode() < 0x80 ? static_cast<char>(point[0].unicode())
                                                        : '.';
}

double ParseFloat(std::string_view text) {
  std::string digits(Trimmed(text));
  // The locale's separator is the expected one; a plain full stop is accepted too,
  // so that text written under another locale still reads.
  const char point = DecimalPoint();
  if (point != '.') {
    for (char& c : digits) {
      if (c == point) c = '.';
    }
  }
  const char* begin = digits.data();
  if (!digits.empty() && digits.front() == '+') ++begin;
  double value = 0;
  const auto [end, error] = std::from_chars(begin, digits.data() + digits.size(), value);
  if (begin == digits.data() + digits.size() || error != std::errc() ||
      end != digits.data() + digits.size() || !std::isfinite(value)) {
    throw ENTierConversionError("'" + std::string(text) + "' is not a valid floating point value");
  }
  return value;
}

// General format with 15 significant digits and the locale's decimal separator.
std::string FormatFloat(double value) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text(buffer, n > 0 ? static_cast<size_t>(n) : 0);
  const char point = DecimalPoint();
  for (char& c : text) {
    if (c == '.') c = point;
  }
  return text;
}

std::int32_t TruncateToInteger(double value, const char* from) {
  const double whole = std::trunc(value);
  if (!std::isfinite(whole) || whole < std::numeric_limits<std::int32_t>::min() ||
      whole > std::numeric_limits<std::int32_t>::max()) {
    throw ENTierConversionError(std::string("Value out of range converting ") + from +
                                " to Integer");
  }
  return static_cast<std::int32_t>(whole);
}

// The locale's short date format with a four-digit year, so that the text
// reads back as the same day.
QString RegionalDateFormat() {
  QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
  if (!format.contains(QLatin1String("yyyy"))) format.replace(QLatin1String("yy"), "yyyy");
  return format;
}

QString RegionalTimeFormat() {
  return QLocale::system().timeFormat(QLocale::LongFormat);
}

std::string RegionalDateTimeText(TDateTime value) {
  const QDateTime moment = ToQDateTime(value);
  const QLocale locale = QLocale::system();
  QString text = locale.toString(moment.date(), RegionalDateFormat());
  // A value at midnight is a plain date, as people write it.
  if (moment.time().msecsSinceStartOfDay() != 0) {
    text += ' ' + locale.toString(moment.time(), RegionalTimeFormat());
  }
  return text.toStdString();
}

TDateTime ParseRegionalDateTime(std::string_view text) {
  const QString input = QString::fromUtf8(Trimmed(text).data(), Trimmed(text).size());
  const QLocale locale = QLocale::system();
  const QString date = RegionalDateFormat();
  const QDateTime both = locale.toDateTime(input, date + ' ' + RegionalTimeFormat());
  if (both.isValid()) return FromQDateTime(both);
  const QDate day = locale.toDate(input, date);
  if (day.isValid()) return FromQDateTime(QDateTime(day, QTime(0, 0)));
  const QDateTime shortForm = locale.toDateTime(input, QLocale::ShortFormat);
  if (shortForm.isValid()) return FromQDateTime(shortForm);
  const QDateTime iso = QDateTime::fromString(input, Qt::ISODate);
  if (iso.isValid()) return FromQDateTime(iso);
  throw ENTierConversionError("'" + std::string(text) + "' is not a valid date and time");
}

// XML date forms; their parse errors become conversion errors like every other.
template <typename Parse>
TDateTime ParseXML(std::string_view text, Parse parse) {
  try {
    return parse(std::string(text));
  } catch (const std::invalid_argument& error) {
    throw ENTierConversionError(error.what());
  } catch (const std::out_of_range& error) {
    throw ENTierConversionError(error.what());
  }
}

[[noreturn]] void Fail(const char* message) {
  throw ENTierConversionError(message);
}

// Days from 1 January 0001 to 31 December 9999, the span every date routine handles;
// anything outside (or not a number) would make the date arithmetic meaningless.
double CheckedDays(double value) {
  constexpr double kFirstDay = -693593.0;
  constexpr double kLastDay = 2958466.0;
  if (!(value >= kFirstDay && value < kLastDay)) {
    throw ENTierConversionError("'" + FormatFloat(value) + "' is not a valid date and time value");
  }
  return value;
}

}  // namespace

void TNTierField::FailWrite(const char* message) {
  isNull_ = true;
  Fail(message);
}

// String ---------------------------------------------------------------------

bool TNTierStringField::AsBoolean() const {
  if (value_ == "Yes") return true;
  if (value_ == "No") return false;
  Fail("Error converting String to Boolean");
}

TDateTime TNTierStringField::AsDateTime() const {
  return ParseRegionalDateTime(value_);
}
double TNTierStringField::AsFloat() const {
  return ParseFloat(value_);
}
std::int32_t TNTierStringField::AsInteger() const {
  return ParseInteger(value_);
}

void TNTierStringField::SetAsBoolean(bool value) {
  SetAsString(value ? "Yes" : "No");
}
void TNTierStringField::SetAsDateTime(TDateTime value) {
  SetAsString(RegionalDateTimeText(value));
}
void TNTierStringField::SetAsFloat(double value) {
  SetAsString(FormatFloat(value));
}
void TNTierStringField::SetAsInteger(std::int32_t value) {
  SetAsString(std::to_string(value));
}

void TNTierStringField::SetAsString(std::string_view value) {
  value_.assign(value);
  MarkWritten();
}

void TNTierStringField::SetNull() {
  value_.clear();
  TNTierField::SetNull();
}

// Integer --------------------------------------------------------------------

bool TNTierIntegerField::AsBoolean() const {
  Fail("Error converting Integer to Boolean");
}

void TNTierIntegerField::SetAsBoolean(bool) {
  FailWrite("Error converting Boolean to Integer");
}
void TNTierIntegerField::SetAsDateTime(TDateTime value) {
  value_ = TruncateToInteger(value.Value, "TDateTime");
  MarkWritten();
}
void TNTierIntegerField::SetAsFloat(double value) {
  value_ = TruncateToInteger(value, "Float");
  MarkWritten();
}
void TNTierIntegerField::SetAsInteger(std::int32_t value) {
  value_ = value;
  MarkWritten();
}
void TNTierIntegerField::SetAsString(std::string_view value) {
  value_ = ParseInteger(value);
  MarkWritten();
}

// Float ----------------------------------------------------------------------

bool TNTierFloatField::AsBoolean() const {
  Fail("Error converting Float to Boolean");
}
std::int32_t TNTierFloatField::AsInteger() const {
  return TruncateToInteger(value_, "Float");
}
std::string TNTierFloatField::AsString() const {
  return FormatFloat(value_);
}

void TNTierFloatField::SetAsBoolean(bool) {
  FailWrite("Error converting Boolean to Float");
}
void TNTierFloatField::SetAsDateTime(TDateTime value) {
  SetAsFloat(value.Value);
}
void TNTierFloatField::SetAsFloat(double value) {
  value_ = value;
  MarkWritten();
}
void TNTierFloatField::SetAsInteger(std::int32_t value) {
  SetAsFloat(value);
}
void TNTierFloatField::SetAsString(std::string_view value) {
  SetAsFloat(ParseFloat(value));
}

// Boolean --------------------------------------------------------------------

TDateTime TNTierBooleanField::AsDateTime() const {
  Fail("Error converting Boolean to TDateTime");
}
double TNTierBooleanField::AsFloat() const {
  Fail("Error converting Boolean to Float");
}
std::int32_t TNTierBooleanField::AsInteger() const {
  Fail("Error converting Boolean to Integer");
}

void TNTierBooleanField::SetAsBoolean(bool value) {
  value_ = value;
  MarkWritten();
}
void TNTierBooleanField::SetAsDateTime(TDateTime) {
  FailWrite("Error converting TDateTime to Boolean");
}
void TNTierBooleanField::SetAsFloat(double) {
  FailWrite("Error converting Float to Boolean");
}
void TNTierBooleanField::SetAsInteger(std::int32_t) {
  FailWrite("Error converting Integer to Boolean");
}
void TNTierBooleanField::SetAsString(std::string_view value) {
  std::string upper(value);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (upper == "TRUE") {
    SetAsBoolean(true);
  } else if (upper == "FALSE") {
    SetAsBoolean(false);
  } else {
    FailWrite("Error converting String to Boolean");
  }
}

// Date -----------------------------------------------------------------------

bool TNTierDateField::AsBoolean() const {
  Fail("Error converting TDate to Boolean");
}
std::int32_t TNTierDateField::AsInteger() const {
  return TruncateToInteger(value_, "TDate");
}
std::string TNTierDateField::AsString() const {
  return FormatDateTime("yyyy-mm-dd", TDateTime(value_));
}

void TNTierDateField::SetAsBoolean(bool) {
  FailWrite("Error create converting Boolean to TDate");
}
void TNTierDateField::SetAsDateTime(TDateTime value) {
  SetAsFloat(value.Value);
}
void TNTierDateField::SetAsFloat(double value) {
  value_ = std::trunc(CheckedDays(value));
  MarkWritten();
}
void TNTierDateField::SetAsInteger(std::int32_t value) {
  SetAsFloat(value);
}
void TNTierDateField::SetAsString(std::string_view value) {
  SetAsFloat(ParseXML(value, XMLToDate).Value);
}

// Time -----------------------------------------------------------------------

bool TNTierTimeField::AsBoolean() const {
  Fail("Error converting TTime to Boolean");
}
std::int32_t TNTierTimeField::AsInteger() const {
  Fail("Error converting TTime to Integer");
}
std::string TNTierTimeField::AsString() const {
  return FormatDateTime("hh:nn:ss", TDateTime(value_));
}

void TNTierTimeField::SetAsBoolean(bool) {
  FailWrite("Error create converting Boolean to TTime");
}
void TNTierTimeField::SetAsDateTime(TDateTime value) {
  SetAsFloat(value.Value);
}
void TNTierTimeField::SetAsFloat(double value) {
  value_ = CheckedDays(value) - std::trunc(value);
  MarkWritten();
}
void TNTierTimeField::SetAsInteger(std::int32_t) {
  FailWrite("Error create converting Integer to TTime");
}
void TNTierTimeField::SetAsString(std::string_view value) {
  SetAsFloat(ParseXML(value, XMLToTime).Value);
}

// DateTime -------------------------------------------------------------------

bool TNTierDateTimeField::AsBoolean() const {
  Fail("Error converting TDateTime to Boolean");
}
std::int32_t TNTierDateTimeField::AsInteger() const {
  return TruncateToInteger(value_, "TDateTime");
}
std::string TNTierDateTimeField::AsString() const {
  return FormatDateTime("yyyy-mm-dd", TDateTime(value_));
}

void TNTierDateTimeField::SetAsBoolean(bool) {
  FailWrite("Error create converting Boolean to TDateTime");
}
void TNTierDateTimeField::SetAsDateTime(TDateTime value) {
  SetAsFloat(value.Value);
}
void TNTierDateTimeField::SetAsFloat(double value) {
  value_ = CheckedDays(value);
  MarkWritten();
}
void TNTierDateTimeField::SetAsInteger(std::int32_t value) {
  SetAsFloat(value);
}
void TNTierDateTimeField::SetAsString(std::string_view value) {
  SetAsFloat(ParseXML(value, XMLToDateTime).Value);
}
