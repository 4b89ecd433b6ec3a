#include "support/datetime.h"

#include <QDateTime>

#include <gtest/gtest.h>

TEST(DateTime, EncodesAgainstTheDecember1899Epoch) {
  EXPECT_EQ(EncodeDate(1899, 12, 30).Value, 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1).Value, 2.0);
  EXPECT_EQ(EncodeDate(2004, 3, 7).Value, 38053.0);
  EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0).Value, 0.5);
  EXPECT_THROW(EncodeDate(2004, 2, 30), std::invalid_argument);
  EXPECT_THROW(EncodeTime(24, 0, 0), std::invalid_argument);
}

TEST(DateTime, DecodesWithoutLosingASecondToRounding) {
  // 21:05:09 is not exact in binary; decoding must not give 21:05:08.999.
  const TDateTime v(EncodeDate(2004, 3, 7).Value + EncodeTime(21, 5, 9).Value);
  const TTimeParts t = DecodeTime(v);
  EXPECT_EQ(t.Hour, 21);
  EXPECT_EQ(t.Minute, 5);
  EXPECT_EQ(t.Second, 9);
  EXPECT_EQ(t.MilliSecond, 0);
  const TDateParts d = DecodeDate(v);
  EXPECT_EQ(d.Year, 2004);
  EXPECT_EQ(d.Month, 3);
  EXPECT_EQ(d.Day, 7);
  EXPECT_EQ(DateOf(v).Value, 38053.0);
}

TEST(DateTime, FormatsTheProgramsPatterns) {
  const TDateTime v(EncodeDate(2004, 3, 7).Value + EncodeTime(21, 5, 9).Value);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd @ hh:nn:ss", v), "2004-03-07 @ 21:05:09");
  EXPECT_EQ(FormatDateTime("dd/mmm/yy @ hh:nn", v), "07/Mar/04 @ 21:05");
  EXPECT_EQ(FormatDateTime("hh:nn:ss yyyy-mm-dd", v), "21:05:09 2004-03-07");
  EXPECT_EQ(FormatDateTime("d/m/yy", v), "7/3/04");
  EXPECT_EQ(FormatDateTime("hh:mm", v), "21:05");
  EXPECT_EQ(FormatDateTime("\"at\" hh", v), "at 21");
}

TEST(DateTime, RoundTripsThroughLocalQDateTime) {
  const QDateTime when(QDate(2020, 6, 1), QTime(8, 30, 15));
  const TDateTime v = FromQDateTime(when);
  EXPECT_EQ(ToQDateTime(v), when);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", FromUnixTime(when.toSecsSinceEpoch())),
            "2020-06-01 08:30:15");
}
