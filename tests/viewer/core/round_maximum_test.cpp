#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "common/decimal_format.h"
#include "viewer/core/round_maximum.h"
#include "viewer/core/viewer_text.h"

using namespace kv;

TEST(RoundMaximum, SmallestLadderValueNotBelow) {
  const std::pair<double, double> cases[] = {{1, 1},         {1.2, 1.5},        {2.4, 2.5},        {3.2, 5},
                                             {5.1, 7.5},     {7.6, 10},         {76, 100},         {150, 150},
                                             {0.0012, 0.0015}, {1.00000001, 1.5}, {1e-300, 1e-300}, {9e307, 1e308}};
  for (auto [in, want] : cases) {
    double x = in;
    EXPECT_TRUE(RoundMaximum(x)) << in;
    EXPECT_EQ(x, want) << in;  // the double nearest to the ladder value
  }
  // No ladder value: refused at once, the value left as it was.
  const double inf = std::numeric_limits<double>::infinity();
  for (double bad : {0.0, -1.0, inf, -inf, std::numeric_limits<double>::denorm_min(), DBL_MIN / 4, DBL_MAX,
                     std::numeric_limits<double>::quiet_NaN()}) {
    double x = bad;
    EXPECT_FALSE(RoundMaximum(x)) << bad;
    EXPECT_TRUE(x == bad || (std::isnan(x) && std::isnan(bad)));
  }
}

TEST(ViewerText, PatternsRoundTiesAwayWithSystemSeparators) {
  SetSystemSeparators(",", "\u00a0");  // a Russian system
  EXPECT_EQ(FormatDuration(0.125), "0,13");
  EXPECT_EQ(FormatDuration(3.0), "3");
  EXPECT_EQ(FormatStep(0.02f), "0,02");
  EXPECT_EQ(FormatTime(1234.5), "1234,5");
  EXPECT_EQ(FormatAxisValue(1234567.0625), "1\u00a0234\u00a0567,063");
  EXPECT_EQ(FormatAxisValue(-0.0005), "-0,001");
  SetSystemSeparators(".", ",");
}
