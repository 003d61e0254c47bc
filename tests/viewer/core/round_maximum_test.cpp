#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>

#include "common/decimal_format.h"
#include "viewer/core/round_maximum.h"
#include "viewer/core/viewer_text.h"

using namespace kv;

TEST(RoundMaximum, SmallestLadderValueNotBelow) {
  const std::pair<double, double> cases[] = {
      {1, 1},     {1.2, 1.5},       {2.4, 2.5}, {3.2, 5},     {5.1, 7.5}, {7.6, 10},   {76, 100},
      {150, 150}, {0.0012, 0.0015}, {380, 500}, {4, 5},       {12, 15},   {220, 250},  {0.04, 0.05},
      {0.9, 1},   {1.5, 1.5},       {0.3, 0.3}, {7.5, 7.5},   {7.51, 10}, {1e-300, 1e-300}, {1.00000001, 1.5},
      {0.75, 0.75}, {2.5e12, 2.5e12}, {0.0007500001, 0.001}};
  for (auto [in, want] : cases) {
    double x = in;
    EXPECT_TRUE(RoundMaximum(x)) << in;
    EXPECT_EQ(x, want) << in;  // exactly the nearest double of the ladder value
  }
}

TEST(RoundMaximum, RefusesWhatHasNoLadderValue) {
  for (double bad : {0.0, -0.0, -1.0, -1e-9, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::denorm_min(), DBL_MIN / 4, DBL_MAX, 1.6e308}) {
    double x = bad;
    EXPECT_FALSE(RoundMaximum(x)) << bad;
    if (!std::isnan(bad)) {
      EXPECT_EQ(x, bad);
    }
  }
  double x = 9e307;
  EXPECT_TRUE(RoundMaximum(x));
  EXPECT_EQ(x, 1e308);
}

TEST(ViewerText, OemNamesAndComments) {
  EXPECT_EQ(OemName(std::string_view("\x8A\xA0\xAD\xA0\xAB\0junk", 10)), "Канал");
  EXPECT_EQ(OemName("ABCDEFGHIJKLMNOPQRSTU"), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(OemComment(std::string(70, 'x')), std::string(64, 'x'));
  EXPECT_EQ(OemComment(std::string_view("\0abc", 4)), "");
}

TEST(ViewerText, PatternsRoundTiesAwayWithSystemSeparators) {
  SetSystemSeparators(",", "\u00a0");  // a Russian system
  EXPECT_EQ(FormatDuration(0.125), "0,13");
  EXPECT_EQ(FormatDuration(-0.02f), "-0,02");
  EXPECT_EQ(FormatDuration(59.98), "59,98");
  EXPECT_EQ(FormatDuration(3.0), "3");
  EXPECT_EQ(FormatStep(0.02f), "0,02");
  EXPECT_EQ(FormatStep(0.001f), "0,001");
  EXPECT_EQ(FormatStep(0.0000001), "0");
  EXPECT_EQ(FormatTime(1234.5), "1234,5");
  EXPECT_EQ(FormatAxisValue(1234567.0625), "1\u00a0234\u00a0567,063");
  EXPECT_EQ(FormatAxisValue(-0.0005), "-0,001");
  SetSystemSeparators(".", ",");
  EXPECT_EQ(FormatAxisValue(12345.5), "12,345.5");
  EXPECT_EQ(FormatFloat("0.00", 2), "2.00");
  EXPECT_EQ(FormatStep(std::numeric_limits<double>::quiet_NaN()), "NAN");
}
