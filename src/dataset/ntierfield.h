#pragma once

#include "support/datetime.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

class TNTierRow;

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
//
// A list may hold millions of cells, so a cell is 16 bytes and its class is a
// tag rather than a virtual table: numbers and texts of up to 13 bytes live in
// the cell, longer texts in a block shared by reference count. A cell in a row
// shares the block of the text last written to its column when the text is the
// same, as folders and statuses repeat row after row.
class TNTierField {
 public:
  ~TNTierField() { ReleaseText(); }
  TNTierField(const TNTierField&) = delete;
  TNTierField& operator=(const TNTierField&) = delete;

  TNTierFieldKind Kind() const { return static_cast<TNTierFieldKind>(flags_ & kKindMask); }

  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  double AsFloat() const;
  std::int32_t AsInteger() const;
  std::string AsString() const;

  void SetAsBoolean(bool value);
  void SetAsDateTime(TDateTime value);
  void SetAsFloat(double value);
  void SetAsInteger(std::int32_t value);
  void SetAsString(std::string_view value);

  bool IsNull() const { return (flags_ & kNullFlag) != 0; }
  // A string field also forgets its text.
  void SetNull();

  // The text of a string field without a copy, for sorting and finding; empty
  // for other classes. Valid until the field is written again.
  std::string_view Text() const;
  // Where a string field's text lies, to ask for it ahead of reading it.
  const void* TextAddress() const;

 protected:
  explicit TNTierField(TNTierFieldKind kind) : TNTierField(kind, kOwnCell) {}

 private:
  friend class TNTierRow;

  static constexpr std::size_t kInCell = 13;         // longest text kept in the cell
  static constexpr std::uint8_t kSharedText = 0xFF;  // textSize_ of a text in a block
  static constexpr std::uint8_t kOwnCell = 0xFF;     // position_ of a cell outside a row
  static constexpr std::uint8_t kKindMask = 0x07;
  static constexpr std::uint8_t kNullFlag = 0x08;

  // position: the cell's index in its row, which leads to the row's shared texts.
  TNTierField(TNTierFieldKind kind, std::uint8_t position);

  double Number() const;
  void StoreNumber(double value);
  std::int32_t Integer() const;
  bool Boolean() const { return value_[0] != std::byte{0}; }
  std::byte* SharedBlock() const;

  void SetText(std::string_view text);
  void ReleaseText();
  // The row this cell sits in, or null for a cell of its own.
  const TNTierRow* Row() const;

  void MarkWritten() { flags_ = static_cast<std::uint8_t>(flags_ & ~kNullFlag); }
  // A write of a form the class cannot hold: the field becomes null, then the error.
  [[noreturn]] void FailWrite(const char* message);

  // A number, a boolean, a text of up to kInCell bytes, or a shared block
  // (its address, then the text's length as 32 bits).
  alignas(8) std::byte value_[kInCell] = {};
  std::uint8_t textSize_ = 0;
  std::uint8_t position_;
  std::uint8_t flags_;
};

static_assert(sizeof(TNTierField) == 16);

// The field classes name the kind a cell is made with; they hold nothing more.
class TNTierStringField final : public TNTierField {
 public:
  TNTierStringField() : TNTierField(TNTierFieldKind::String) {}
};

class TNTierIntegerField final : public TNTierField {
 public:
  TNTierIntegerField() : TNTierField(TNTierFieldKind::Integer) {}
};

class TNTierFloatField final : public TNTierField {
 public:
  TNTierFloatField() : TNTierField(TNTierFieldKind::Float) {}
};

class TNTierBooleanField final : public TNTierField {
 public:
  TNTierBooleanField() : TNTierField(TNTierFieldKind::Boolean) {}
};

// Holds whole days only.
class TNTierDateField final : public TNTierField {
 public:
  TNTierDateField() : TNTierField(TNTierFieldKind::Date) {}
};

// Holds the time of day only (the fraction of a day).
class TNTierTimeField final : public TNTierField {
 public:
  TNTierTimeField() : TNTierField(TNTierFieldKind::Time) {}
};

// AsString gives the date alone, "yyyy-mm-dd".
class TNTierDateTimeField final : public TNTierField {
 public:
  TNTierDateTimeField() : TNTierField(TNTierFieldKind::DateTime) {}
};
