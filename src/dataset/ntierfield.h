#pragma once

#include "support/datetime.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// A value that cannot be read or written in the requested form. The message is
// the whole explanation ("Error converting Boolean to Integer", or the parser's
// complaint about a text).
class ENTierConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The seven value classes a column can hold; the column's type code picks one.
enum class TNTierFieldKind : std::uint8_t { String, Integer, Float, Boolean, Date, Time, DateTime };

// One cell of a row. Every class reads and writes every form; a form that makes
// no sense for the class raises ENTierConversionError. A successful write clears
// IsNull.
class TNTierField {
 public:
  virtual ~TNTierField() = default;
  TNTierField(const TNTierField&) = delete;
  TNTierField& operator=(const TNTierField&) = delete;

  virtual TNTierFieldKind Kind() const = 0;

  virtual bool AsBoolean() const = 0;
  virtual TDateTime AsDateTime() const = 0;
  virtual double AsFloat() const = 0;
  virtual std::int32_t AsInteger() const = 0;
  virtual std::string AsString() const = 0;

  virtual void SetAsBoolean(bool value) = 0;
  virtual void SetAsDateTime(TDateTime value) = 0;
  virtual void SetAsFloat(double value) = 0;
  virtual void SetAsInteger(std::int32_t value) = 0;
  virtual void SetAsString(std::string_view value) = 0;

  bool IsNull() const { return isNull_; }
  virtual void SetNull() { isNull_ = true; }

 protected:
  TNTierField() = default;
  void MarkWritten() { isNull_ = false; }
  // A write of a form the class cannot hold: the field becomes null, then the error.
  [[noreturn]] void FailWrite(const char* message);

 private:
  bool isNull_ = true;
};

class TNTierStringField final : public TNTierField {
 public:
  TNTierFieldKind Kind() const override { return TNTierFieldKind::String; }
  // The text without a copy, for sorting and finding.
  const std::string& Text() const { return value_; }

  bool AsBoolean() const override;
  TDateTime AsDateTime() const override;
  double AsFloat() const override;
  std::int32_t AsInteger() const override;
  std::string AsString() const override { return value_; }

  void SetAsBoolean(bool value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsFloat(double value) override;
  void SetAsInteger(std::int32_t value) override;
  void SetAsString(std::string_view value) override;
  void SetNull() override;

 private:
  std::string value_;
};

class TNTierIntegerField final : public TNTierField {
 public:
  TNTierFieldKind Kind() const override { return TNTierFieldKind::Integer; }

  bool AsBoolean() const override;
  TDateTime AsDateTime() const override { return TDateTime(value_); }
  double AsFloat() const override { return value_; }
  std::int32_t AsInteger() const override { return value_; }
  std::string AsString() const override { return std::to_string(value_); }

  void SetAsBoolean(bool value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsFloat(double value) override;
  void SetAsInteger(std::int32_t value) override;
  void SetAsString(std::string_view value) override;

 private:
  std::int32_t value_ = 0;
};

class TNTierFloatField final : public TNTierField {
 public:
  TNTierFieldKind Kind() const override { return TNTierFieldKind::Float; }

  bool AsBoolean() const override;
  TDateTime AsDateTime() const override { return TDateTime(value_); }
  double AsFloat() const override { return value_; }
  std::int32_t AsInteger() const override;
  std::string AsString() const override;

  void SetAsBoolean(bool value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsFloat(double value) override;
  void SetAsInteger(std::int32_t value) override;
  void SetAsString(std::string_view value) override;

 private:
  double value_ = 0.0;
};

class TNTierBooleanField final : public TNTierField {
 public:
  TNTierFieldKind Kind() const override { return TNTierFieldKind::Boolean; }

  bool AsBoolean() const override { return value_; }
  TDateTime AsDateTime() const override;
  double AsFloat() const override;
  std::int32_t AsInteger() const override;
  std::string AsString() const override { return value_ ? "True" : "False"; }

  void SetAsBoolean(bool value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsFloat(double value) override;
  void SetAsInteger(std::int32_t value) override;
  void SetAsString(std::string_view value) override;

 private:
  bool value_ = false;
};

// Holds whole days only.
class TNTierDateField final : public TNTierField {
 public:
  TNTierFieldKind Kind() const override { return TNTierFieldKind::Date; }

  bool AsBoolean() const override;
  TDateTime AsDateTime() const override { return TDateTime(value_); }
  double AsFloat() const override { return value_; }
  std::int32_t AsInteger() const override;
  std::string AsString() const override;

  void SetAsBoolean(bool value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsFloat(double value) override;
  void SetAsInteger(std::int32_t value) override;
  void SetAsString(std::string_view value) override;

 private:
  double value_ = 0.0;
};

// Holds the time of day only (the fraction of a day).
class TNTierTimeField final : public TNTierField {
 public:
  TNTierFieldKind Kind() const override { return TNTierFieldKind::Time; }

  bool AsBoolean() const override;
  TDateTime AsDateTime() const override { return TDateTime(value_); }
  double AsFloat() const override { return value_; }
  std::int32_t AsInteger() const override;
  std::string AsString() const override;

  void SetAsBoolean(bool value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsFloat(double value) override;
  void SetAsInteger(std::int32_t value) override;
  void SetAsString(std::string_view value) override;

 private:
  double value_ = 0.0;
};

class TNTierDateTimeField final : public TNTierField {
 public:
  TNTierFieldKind Kind() const override { return TNTierFieldKind::DateTime; }

  bool AsBoolean() const override;
  TDateTime AsDateTime() const override { return TDateTime(value_); }
  double AsFloat() const override { return value_; }
  std::int32_t AsInteger() const override;
  // The date alone, "yyyy-mm-dd".
  std::string AsString() const override;

  void SetAsBoolean(bool value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsFloat(double value) override;
  void SetAsInteger(std::int32_t value) override;
  void SetAsString(std::string_view value) override;

 private:
  double value_ = 0.0;
};
