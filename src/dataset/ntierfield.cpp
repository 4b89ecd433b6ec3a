#include "dataset/ntierfield.h"

#include "config/udfxml.h"
#include "dataset/ntierrow.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

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

// Storage ----------------------------------------------------------------------

TNTierField::TNTierField(TNTierFieldKind kind, std::uint8_t position)
    : position_(position), flags_(static_cast<std::uint8_t>(kNullFlag | std::uint8_t(kind))) {}

double TNTierField::Number() const {
  double value = 0;
  std::memcpy(&value, value_, sizeof value);
  return value;
}

void TNTierField::StoreNumber(double value) {
  std::memcpy(value_, &value, sizeof value);
}

std::int32_t TNTierField::Integer() const {
  std::int32_t value = 0;
  std::memcpy(&value, value_, sizeof value);
  return value;
}

std::byte* TNTierField::SharedBlock() const {
  if (textSize_ != kSharedText) return nullptr;
  std::byte* block = nullptr;
  std::memcpy(&block, value_, sizeof block);
  return block;
}

std::string_view TNTierField::Text() const {
  if (Kind() != TNTierFieldKind::String) return {};
  if (const std::byte* block = SharedBlock()) {
    std::uint32_t size = 0;
    std::memcpy(&size, value_ + sizeof block, sizeof size);
    return {TNTierSharedText::Chars(block), size};
  }
  return {reinterpret_cast<const char*>(value_), textSize_};
}

const void* TNTierField::TextAddress() const {
  const std::byte* block = SharedBlock();
  return block != nullptr ? block : value_;
}

const TNTierRow* TNTierField::Row() const {
  if (position_ == kOwnCell) return nullptr;
  const std::byte* first =
      reinterpret_cast<const std::byte*>(this) - position_ * sizeof(TNTierField);
  return std::launder(reinterpret_cast<const TNTierRow*>(first - sizeof(TNTierRow)));
}

void TNTierField::ReleaseText() {
  if (std::byte* block = SharedBlock()) TNTierSharedText::Release(block);
  textSize_ = 0;
}

void TNTierField::SetText(std::string_view text) {
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("Text too long for a field");
  }
  // The text may be this field's own: it is copied before the old one goes.
  if (text.size() <= kInCell) {
    std::byte* old = SharedBlock();
    std::memmove(value_, text.data(), text.size());
    textSize_ = static_cast<std::uint8_t>(text.size());
    if (old != nullptr) TNTierSharedText::Release(old);
  } else {
    const TNTierRow* row = Row();
    TNTierTextCache* texts = row != nullptr ? row->Texts() : nullptr;
    std::byte* block =
        texts != nullptr ? texts->Share(position_, text) : TNTierSharedText::Create(text);
    ReleaseText();
    const auto size = static_cast<std::uint32_t>(text.size());
    std::memcpy(value_, &block, sizeof block);
    std::memcpy(value_ + sizeof block, &size, sizeof size);
    textSize_ = kSharedText;
  }
  MarkWritten();
}

void TNTierField::FailWrite(const char* message) {
  SetNull();
  Fail(message);
}

void TNTierField::SetNull() {
  ReleaseText();
  flags_ |= kNullFlag;
}

// Reading ----------------------------------------------------------------------

bool TNTierField::AsBoolean() const {
  switch (Kind()) {
    case TNTierFieldKind::String:
      if (Text() == "Yes") return true;
      if (Text() == "No") return false;
      Fail("Error converting String to Boolean");
    case TNTierFieldKind::Integer:
      Fail("Error converting Integer to Boolean");
    case TNTierFieldKind::Float:
      Fail("Error converting Float to Boolean");
    case TNTierFieldKind::Boolean:
      return Boolean();
    case TNTierFieldKind::Date:
      Fail("Error converting TDate to Boolean");
    case TNTierFieldKind::Time:
      Fail("Error converting TTime to Boolean");
    case TNTierFieldKind::DateTime:
      break;
  }
  Fail("Error converting TDateTime to Boolean");
}

TDateTime TNTierField::AsDateTime() const {
  switch (Kind()) {
    case TNTierFieldKind::String:
      return ParseRegionalDateTime(Text());
    case TNTierFieldKind::Integer:
      return TDateTime(Integer());
    case TNTierFieldKind::Boolean:
      Fail("Error converting Boolean to TDateTime");
    default:
      return TDateTime(Number());
  }
}

double TNTierField::AsFloat() const {
  switch (Kind()) {
    case TNTierFieldKind::String:
      return ParseFloat(Text());
    case TNTierFieldKind::Integer:
      return Integer();
    case TNTierFieldKind::Boolean:
      Fail("Error converting Boolean to Float");
    default:
      return Number();
  }
}

std::int32_t TNTierField::AsInteger() const {
  switch (Kind()) {
    case TNTierFieldKind::String:
      return ParseInteger(Text());
    case TNTierFieldKind::Integer:
      return Integer();
    case TNTierFieldKind::Float:
      return TruncateToInteger(Number(), "Float");
    case TNTierFieldKind::Boolean:
      Fail("Error converting Boolean to Integer");
    case TNTierFieldKind::Date:
      return TruncateToInteger(Number(), "TDate");
    case TNTierFieldKind::Time:
      Fail("Error converting TTime to Integer");
    case TNTierFieldKind::DateTime:
      break;
  }
  return TruncateToInteger(Number(), "TDateTime");
}

std::string TNTierField::AsString() const {
  switch (Kind()) {
    case TNTierFieldKind::String:
      return std::string(Text());
    case TNTierFieldKind::Integer:
      return std::to_string(Integer());
    case TNTierFieldKind::Float:
      return FormatFloat(Number());
    case TNTierFieldKind::Boolean:
      return Boolean() ? "True" : "False";
    case TNTierFieldKind::Time:
      return FormatDateTime("hh:nn:ss", TDateTime(Number()));
    case TNTierFieldKind::Date:
    case TNTierFieldKind::DateTime:
      break;
  }
  return FormatDateTime("yyyy-mm-dd", TDateTime(Number()));
}

// Writing ----------------------------------------------------------------------

void TNTierField::SetAsBoolean(bool value) {
  switch (Kind()) {
    case TNTierFieldKind::String:
      SetText(value ? "Yes" : "No");
      return;
    case TNTierFieldKind::Integer:
      FailWrite("Error converting Boolean to Integer");
    case TNTierFieldKind::Float:
      FailWrite("Error converting Boolean to Float");
    case TNTierFieldKind::Boolean:
      value_[0] = std::byte{static_cast<unsigned char>(value)};
      MarkWritten();
      return;
    case TNTierFieldKind::Date:
      FailWrite("Error create converting Boolean to TDate");
    case TNTierFieldKind::Time:
      FailWrite("Error create converting Boolean to TTime");
    case TNTierFieldKind::DateTime:
      break;
  }
  FailWrite("Error create converting Boolean to TDateTime");
}

void TNTierField::SetAsDateTime(TDateTime value) {
  switch (Kind()) {
    case TNTierFieldKind::String:
      SetText(RegionalDateTimeText(value));
      return;
    case TNTierFieldKind::Integer: {
      const std::int32_t number = TruncateToInteger(value.Value, "TDateTime");
      std::memcpy(value_, &number, sizeof number);
      MarkWritten();
      return;
    }
    case TNTierFieldKind::Boolean:
      FailWrite("Error converting TDateTime to Boolean");
    default:
      SetAsFloat(value.Value);
  }
}

void TNTierField::SetAsFloat(double value) {
  switch (Kind()) {
    case TNTierFieldKind::String:
      SetText(FormatFloat(value));
      return;
    case TNTierFieldKind::Integer: {
      const std::int32_t number = TruncateToInteger(value, "Float");
      std::memcpy(value_, &number, sizeof number);
      break;
    }
    case TNTierFieldKind::Float:
      StoreNumber(value);
      break;
    case TNTierFieldKind::Boolean:
      FailWrite("Error converting Float to Boolean");
    case TNTierFieldKind::Date:
      StoreNumber(std::trunc(CheckedDays(value)));
      break;
    case TNTierFieldKind::Time:
      StoreNumber(CheckedDays(value) - std::trunc(value));
      break;
    case TNTierFieldKind::DateTime:
      StoreNumber(CheckedDays(value));
      break;
  }
  MarkWritten();
}

void TNTierField::SetAsInteger(std::int32_t value) {
  switch (Kind()) {
    case TNTierFieldKind::String:
      SetText(std::to_string(value));
      return;
    case TNTierFieldKind::Integer:
      std::memcpy(value_, &value, sizeof value);
      MarkWritten();
      return;
    case TNTierFieldKind::Boolean:
      FailWrite("Error converting Integer to Boolean");
    case TNTierFieldKind::Time:
      FailWrite("Error create converting Integer to TTime");
    default:
      SetAsFloat(value);
  }
}

void TNTierField::SetAsString(std::string_view value) {
  switch (Kind()) {
    case TNTierFieldKind::String:
      SetText(value);
      return;
    case TNTierFieldKind::Integer:
      SetAsInteger(ParseInteger(value));
      return;
    case TNTierFieldKind::Float:
      SetAsFloat(ParseFloat(value));
      return;
    case TNTierFieldKind::Boolean: {
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
      return;
    }
    case TNTierFieldKind::Date:
      SetAsFloat(ParseXML(value, XMLToDate).Value);
      return;
    case TNTierFieldKind::Time:
      SetAsFloat(ParseXML(value, XMLToTime).Value);
      return;
    case TNTierFieldKind::DateTime:
      break;
  }
  SetAsFloat(ParseXML(value, XMLToDateTime).Value);
}
