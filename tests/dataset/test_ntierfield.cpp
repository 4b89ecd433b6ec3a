#include "dataset/ntierfield.h"
#include "support/datetime.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>

namespace {

// Runs an action that must fail with a conversion error carrying exactly message.
void ExpectConversionError(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "expected \"" << message << "\"";
  } catch (const ENTierConversionError& error) {
    EXPECT_EQ(message, error.what());
  }
}

template <typename Field>
std::shared_ptr<Field> Written(const std::function<void(Field&)>& write) {
  auto field = std::make_shared<Field>();
  write(*field);
  return field;
}

TEST(NTierFieldTest, NewFieldsAreNullAndWritesClearIt) {
  TNTierStringField s;
  TNTierIntegerField i;
  TNTierBooleanField b;
  TNTierDateTimeField d;
  EXPECT_TRUE(s.IsNull() && i.IsNull() && b.IsNull() && d.IsNull());
  s.SetAsString("");
  i.SetAsInteger(0);
  b.SetAsBoolean(false);
  d.SetAsDateTime(TDateTime(0));
  EXPECT_FALSE(s.IsNull() || i.IsNull() || b.IsNull() || d.IsNull());
}

TEST(NTierFieldTest, SetNullOnAStringEmptiesTheText) {
  TNTierStringField s;
  s.SetAsString("abc");
  s.SetNull();
  EXPECT_TRUE(s.IsNull());
  EXPECT_EQ("", s.AsString());
}

TEST(NTierFieldTest, ReadsThatCannotConvertRaiseTheirTexts) {
  TNTierIntegerField integer;
  TNTierFloatField real;
  TNTierBooleanField boolean;
  TNTierDateField date;
  TNTierTimeField time;
  TNTierDateTimeField dateTime;
  ExpectConversionError([&] { (void)integer.AsBoolean(); }, "Error converting Integer to Boolean");
  ExpectConversionError([&] { (void)real.AsBoolean(); }, "Error converting Float to Boolean");
  ExpectConversionError([&] { (void)boolean.AsDateTime(); },
                        "Error converting Boolean to TDateTime");
  ExpectConversionError([&] { (void)boolean.AsFloat(); }, "Error converting Boolean to Float");
  ExpectConversionError([&] { (void)boolean.AsInteger(); }, "Error converting Boolean to Integer");
  ExpectConversionError([&] { (void)date.AsBoolean(); }, "Error converting TDate to Boolean");
  ExpectConversionError([&] { (void)time.AsBoolean(); }, "Error converting TTime to Boolean");
  ExpectConversionError([&] { (void)time.AsInteger(); }, "Error converting TTime to Integer");
  ExpectConversionError([&] { (void)dateTime.AsBoolean(); },
                        "Error converting TDateTime to Boolean");
}

// A write of a form the class cannot hold loses the old value: the field ends null.
TEST(NTierFieldTest, WritesThatCannotConvertRaiseTheirTextsAndLeaveTheFieldNull) {
  struct TCase {
    std::function<std::shared_ptr<TNTierField>()> make;
    std::function<void(TNTierField&)> write;
    std::string message;
  };
  const auto integer = [] {
    return Written<TNTierIntegerField>([](auto& f) { f.SetAsInteger(5); });
  };
  const auto real = [] { return Written<TNTierFloatField>([](auto& f) { f.SetAsFloat(1.5); }); };
  const auto boolean = [] {
    return Written<TNTierBooleanField>([](auto& f) { f.SetAsBoolean(true); });
  };
  const auto date = [] { return Written<TNTierDateField>([](auto& f) { f.SetAsInteger(3); }); };
  const auto time = [] { return Written<TNTierTimeField>([](auto& f) { f.SetAsFloat(0.5); }); };
  const auto dateTime = [] {
    return Written<TNTierDateTimeField>([](auto& f) { f.SetAsFloat(2.5); });
  };
  const TCase cases[] = {
      {integer, [](TNTierField& f) { f.SetAsBoolean(true); },
       "Error converting Boolean to Integer"},
      {real, [](TNTierField& f) { f.SetAsBoolean(true); }, "Error converting Boolean to Float"},
      {boolean, [](TNTierField& f) { f.SetAsDateTime(TDateTime(1)); },
       "Error converting TDateTime to Boolean"},
      {boolean, [](TNTierField& f) { f.SetAsFloat(1); }, "Error converting Float to Boolean"},
      {boolean, [](TNTierField& f) { f.SetAsInteger(1); }, "Error converting Integer to Boolean"},
      {boolean, [](TNTierField& f) { f.SetAsString("Yes"); }, "Error converting String to Boolean"},
      {date, [](TNTierField& f) { f.SetAsBoolean(true); },
       "Error create converting Boolean to TDate"},
      {time, [](TNTierField& f) { f.SetAsBoolean(true); },
       "Error create converting Boolean to TTime"},
      {time, [](TNTierField& f) { f.SetAsInteger(1); }, "Error create converting Integer to TTime"},
      {dateTime, [](TNTierField& f) { f.SetAsBoolean(true); },
       "Error create converting Boolean to TDateTime"},
  };
  for (const TCase& c : cases) {
    auto field = c.make();
    ASSERT_FALSE(field->IsNull());
    ExpectConversionError([&] { c.write(*field); }, c.message);
    EXPECT_TRUE(field->IsNull()) << c.message;
  }
}

TEST(NTierFieldTest, StringBooleansAreYesAndNoInExactCase) {
  TNTierStringField s;
  s.SetAsBoolean(true);
  EXPECT_EQ("Yes", s.AsString());
  EXPECT_TRUE(s.AsBoolean());
  s.SetAsBoolean(false);
  EXPECT_FALSE(s.AsBoolean());
  s.SetAsString("yes");
  ExpectConversionError([&] { (void)s.AsBoolean(); }, "Error converting String to Boolean");
}

TEST(NTierFieldTest, BooleanFieldsReadTrueAndFalseInAnyCase) {
  TNTierBooleanField b;
  b.SetAsString("tRuE");
  EXPECT_TRUE(b.AsBoolean());
  EXPECT_EQ("True", b.AsString());
  b.SetAsString("FALSE");
  EXPECT_FALSE(b.AsBoolean());
  EXPECT_EQ("False", b.AsString());
}

TEST(NTierFieldTest, IntegersAndFloatsConvertBetweenTextAndNumber) {
  TNTierStringField s;
  s.SetAsInteger(-42);
  EXPECT_EQ("-42", s.AsString());
  EXPECT_EQ(-42, s.AsInteger());

  TNTierIntegerField i;
  i.SetAsString(" 17 ");
  EXPECT_EQ(17, i.AsInteger());
  EXPECT_EQ("17", i.AsString());
  EXPECT_DOUBLE_EQ(17.0, i.AsDateTime().Value);
  i.SetAsFloat(-2.9);
  EXPECT_EQ(-2, i.AsInteger());  // toward zero

  TNTierFloatField f;
  f.SetAsFloat(-7.75);
  EXPECT_EQ(-7, f.AsInteger());
  f.SetAsFloat(0.1);
  EXPECT_EQ(0.1, f.AsFloat());
  f.SetAsFloat(1.0 / 3.0);
  EXPECT_EQ(15u + 2u, f.AsString().size()) << f.AsString();  // "0." and 15 digits
  f.SetAsString(f.AsString());
  EXPECT_NEAR(1.0 / 3.0, f.AsFloat(), 1e-15);
}

// The failed parse keeps what the field held, null or not: nothing was written.
TEST(NTierFieldTest, TextThatDoesNotParseLeavesTheFieldAsItWas) {
  TNTierIntegerField i;
  EXPECT_THROW(i.SetAsString("12x"), ENTierConversionError);
  EXPECT_TRUE(i.IsNull());
  i.SetAsInteger(9);
  EXPECT_THROW(i.SetAsString(""), ENTierConversionError);
  EXPECT_THROW(i.SetAsString("99999999999"), ENTierConversionError);
  EXPECT_FALSE(i.IsNull());
  EXPECT_EQ(9, i.AsInteger());

  TNTierFloatField f;
  EXPECT_THROW(f.SetAsString("nan"), ENTierConversionError);
  EXPECT_TRUE(f.IsNull());

  TNTierDateTimeField d;
  d.SetAsFloat(100.25);
  EXPECT_THROW(d.SetAsString("2024-13-01"), ENTierConversionError);
  EXPECT_EQ(100.25, d.AsFloat());

  TNTierStringField s;
  s.SetAsString("abc");
  EXPECT_THROW((void)s.AsInteger(), ENTierConversionError);
  EXPECT_THROW((void)s.AsFloat(), ENTierConversionError);
  EXPECT_THROW((void)s.AsDateTime(), ENTierConversionError);
}

TEST(NTierFieldTest, DateFieldsKeepTheirPartOfTheValue) {
  const TDateTime moment(EncodeDate(2024, 3, 5).Value + EncodeTime(14, 30, 15).Value);

  TNTierDateTimeField dateTime;
  dateTime.SetAsDateTime(moment);
  EXPECT_EQ("2024-03-05", dateTime.AsString());  // the time of day is not written
  EXPECT_EQ(moment, dateTime.AsDateTime());
  EXPECT_EQ(static_cast<int>(EncodeDate(2024, 3, 5).Value), dateTime.AsInteger());

  TNTierDateField date;
  date.SetAsDateTime(moment);
  EXPECT_EQ(EncodeDate(2024, 3, 5), date.AsDateTime());
  EXPECT_EQ("2024-03-05", date.AsString());

  TNTierTimeField time;
  time.SetAsDateTime(moment);
  EXPECT_NEAR(EncodeTime(14, 30, 15).Value, time.AsFloat(), 1e-9);
  EXPECT_EQ("14:30:15", time.AsString());
}

TEST(NTierFieldTest, DateFieldsReadXMLText) {
  TNTierDateTimeField dateTime;
  dateTime.SetAsString("2023-11-20T08:05:09");
  const TDateParts d = DecodeDate(dateTime.AsDateTime());
  const TTimeParts t = DecodeTime(dateTime.AsDateTime());
  EXPECT_EQ(2023, d.Year);
  EXPECT_EQ(11, d.Month);
  EXPECT_EQ(20, d.Day);
  EXPECT_EQ(8, t.Hour);
  EXPECT_EQ(9, t.Second);

  TNTierDateField date;
  date.SetAsString("2023-11-20T08:05:09");
  EXPECT_EQ(EncodeDate(2023, 11, 20), date.AsDateTime());

  TNTierTimeField time;
  time.SetAsString("08:05:09");
  EXPECT_EQ("08:05:09", time.AsString());
}

TEST(NTierFieldTest, StringDateTimesRoundTripThroughTheRegionalText) {
  const TDateTime moment(EncodeDate(2031, 7, 9).Value + EncodeTime(6, 7, 8).Value);
  TNTierStringField s;
  s.SetAsDateTime(moment);
  EXPECT_FALSE(s.AsString().empty());
  EXPECT_NEAR(moment.Value, s.AsDateTime().Value, 1e-8) << s.AsString();
  s.SetAsDateTime(EncodeDate(1950, 1, 31));
  EXPECT_EQ(EncodeDate(1950, 1, 31), s.AsDateTime()) << s.AsString();
}

TEST(NTierFieldTest, DateValuesOutsideTheCalendarAreRefused) {
  TNTierDateTimeField d;
  d.SetAsFloat(5);
  EXPECT_THROW(d.SetAsFloat(1e12), ENTierConversionError);
  EXPECT_THROW(d.SetAsFloat(std::numeric_limits<double>::quiet_NaN()), ENTierConversionError);
  EXPECT_EQ(5.0, d.AsFloat());
  TNTierFloatField f;
  f.SetAsFloat(1e12);
  EXPECT_THROW((void)f.AsInteger(), ENTierConversionError);
}

}  // namespace
