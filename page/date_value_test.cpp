#include "page/date_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/error.h"

namespace ostrivel {
namespace {

TEST(DateValue, DayNumbers) {
  EXPECT_EQ(DateFromParts(1899, 12, 30), 0);
  EXPECT_EQ(DateFromParts(1900, 1, 1), 2);
  EXPECT_EQ(DateFromParts(2018, 12, 8), 43442);
  EXPECT_EQ(DateFromParts(1899, 12, 29), -1);
  EXPECT_EQ(DateFromParts(1, 1, 1), -693593);
  EXPECT_EQ(DateFromParts(9999, 12, 31), 2958465);
  EXPECT_EQ(DateFromParts(2000, 2, 29), 36585);
}

TEST(DateValue, InvalidPartsRaise) {
  const int bad[][3] = {{0, 1, 1},     {10000, 1, 1}, {2018, 13, 1}, {2018, 0, 1},
                        {2018, 2, 29}, {1900, 2, 29}, {2018, 4, 31}, {2018, 1, 0}};
  for (const auto& b : bad) {
    SCOPED_TRACE(testing::Message() << b[0] << "-" << b[1] << "-" << b[2]);
    try {
      DateFromParts(b[0], b[1], b[2]);
      ADD_FAILURE() << "no failure";
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
    }
  }
  EXPECT_THROW(TimeFromParts(24, 0, 0, 0), Error);
  EXPECT_THROW(TimeFromParts(0, 0, 0, 1000), Error);
  EXPECT_EQ(TimeFromParts(6, 0, 0, 0), 0.25);
}

TEST(DateValue, SplitTable) {
  struct Case {
    double value;
    int y, mo, d, h, mi, s, ms, dow;
  };
  const double t0905 = TimeFromParts(9, 5, 3, 250);
  const Case cases[] = {
      {43442 + t0905, 2018, 12, 8, 9, 5, 3, 250, 7},
      {2, 1900, 1, 1, 0, 0, 0, 0, 2},
      {0, 1899, 12, 30, 0, 0, 0, 0, 7},
      {-1.25, 1899, 12, 29, 6, 0, 0, 0, 6},
      {43442 + TimeFromParts(23, 59, 59, 999), 2018, 12, 8, 23, 59, 59, 999, 7},
      // Rounds to a whole day at the millisecond: midnight of the next day.
      {43442 + 0.9999999999, 2018, 12, 9, 0, 0, 0, 0, 1},
      {DateFromParts(1, 1, 1), 1, 1, 1, 0, 0, 0, 0, 2},
      {DateFromParts(9999, 12, 31) + 0.5, 9999, 12, 31, 12, 0, 0, 0, 6},
      {DateFromParts(2000, 2, 29), 2000, 2, 29, 0, 0, 0, 0, 3},
      {DateFromParts(2100, 3, 1), 2100, 3, 1, 0, 0, 0, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << c.value);
    SplitDateTime s = SplitValue(c.value);
    ASSERT_TRUE(s.valid);
    EXPECT_EQ(s.year, c.y);
    EXPECT_EQ(s.month, c.mo);
    EXPECT_EQ(s.day, c.d);
    EXPECT_EQ(s.hour, c.h);
    EXPECT_EQ(s.minute, c.mi);
    EXPECT_EQ(s.second, c.s);
    EXPECT_EQ(s.millisecond, c.ms);
    EXPECT_EQ(s.dayOfWeek, c.dow);
  }
}

TEST(DateValue, SplitOutsideTheCalendarIsInvalid) {
  const double cases[] = {std::nan(""),
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          2958466.0,
                          -693594.0,
                          1e300,
                          -1e300};
  for (double v : cases) {
    SCOPED_TRACE(v);
    EXPECT_FALSE(SplitValue(v).valid);
  }
}

TEST(DateValue, EveryDayRoundTrips) {
  // Day numbers and calendar fields agree across the whole range.
  for (int year = 1; year <= 9999; year += 7) {
    for (int month = 1; month <= 12; ++month) {
      const int day = DaysInMonth(year, month);
      SplitDateTime s = SplitValue(DateFromParts(year, month, day));
      ASSERT_TRUE(s.valid);
      ASSERT_EQ(s.year * 10000 + s.month * 100 + s.day, year * 10000 + month * 100 + day);
    }
  }
}

}  // namespace
}  // namespace ostrivel
