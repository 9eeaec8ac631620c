#include <gtest/gtest.h>

#include <cmath>

#include "settings/number_format.h"

namespace zorva {
namespace {

TEST(NumberFormat, ShortestFormWithFifteenDigits) {
  EXPECT_EQ(formatFloat(1.5, "."), "1.5");
  EXPECT_EQ(formatFloat(M_PI / 2, "."), "1.5707963267949");
  EXPECT_EQ(formatFloat(0.1, "."), "0.1");
  EXPECT_EQ(formatFloat(0.1, ","), "0,1");
  EXPECT_EQ(formatFloat(0, "."), "0");
  EXPECT_EQ(formatFloat(-1, "."), "-1");
  EXPECT_EQ(formatFloat(300, "."), "300");
  EXPECT_EQ(formatFloat(2.25, "."), "2.25");
  EXPECT_EQ(formatFloat(1e-6, "."), "1E-6");
  EXPECT_EQ(formatFloat(0.00001, "."), "0.00001");
  EXPECT_EQ(formatFloat(-0.000012345, "."), "-0.000012345");
  EXPECT_EQ(formatFloat(123456789012345.0, "."), "123456789012345");
  EXPECT_EQ(formatFloat(1234567890123456.0, "."), "1.23456789012346E15");
  EXPECT_EQ(formatFloat(1.5e300, "."), "1.5E300");
  EXPECT_EQ(formatFloat(0.1 + 0.2, "."), "0.3");
}

TEST(NumberFormat, ParsesNumbersWithAPointACommaOrTheGivenSeparator) {
  EXPECT_EQ(parseFloat("0.5", "."), 0.5);
  EXPECT_EQ(parseFloat(" -2.25 ", "."), -2.25);
  EXPECT_EQ(parseFloat("+3", "."), 3.0);
  EXPECT_EQ(parseFloat("1E-6", "."), 1e-6);
  EXPECT_EQ(parseFloat("0,1", ","), 0.1);
  EXPECT_EQ(parseFloat("0.1", ","), 0.1);
  EXPECT_EQ(parseFloat("0,1", "."), 0.1);
  EXPECT_EQ(parseFloat("-2,5E-3", "."), -2.5e-3);
  EXPECT_EQ(parseFloat("1\u066B5", "\u066B"), 1.5);  // a separator of more than one byte
  EXPECT_FALSE(parseFloat("1,5.5", "."));
  EXPECT_FALSE(parseFloat("1,,5", ","));
  EXPECT_FALSE(parseFloat(",", ","));
  EXPECT_FALSE(parseFloat("", "."));
  EXPECT_FALSE(parseFloat("-", "."));
  EXPECT_FALSE(parseFloat("abc", "."));
  EXPECT_FALSE(parseFloat("inf", "."));
  EXPECT_FALSE(parseFloat("nan", "."));
  EXPECT_FALSE(parseFloat("1e999", "."));
  EXPECT_FALSE(parseFloat("0x10", "."));
  EXPECT_FALSE(parseFloat("1 2", "."));
}

TEST(NumberFormat, FormattedValuesReadBackToFifteenDigits) {
  for (double v : {1.0 / 3, -2.0 / 7, 123.456, 1e-7, 6.02214076e23, 0.00001}) {
    auto back = parseFloat(formatFloat(v, "."), ".");
    ASSERT_TRUE(back);
    EXPECT_NEAR(*back, v, std::fabs(v) * 1e-14);
  }
}

TEST(NumberFormat, IntegersDecimalAndHexadecimal) {
  EXPECT_EQ(parseInt("42"), 42);
  EXPECT_EQ(parseInt("-7"), -7);
  EXPECT_EQ(parseInt(" 5 "), 5);
  EXPECT_EQ(parseInt("0x1F"), 31);
  EXPECT_EQ(parseInt("0XfF"), 255);
  EXPECT_EQ(parseInt("0xFFFFFFFF"), -1);
  EXPECT_EQ(parseInt("2147483647"), 2147483647);
  EXPECT_EQ(parseInt("-2147483648"), INT32_MIN);
  EXPECT_FALSE(parseInt("2147483648"));
  EXPECT_FALSE(parseInt("99999999999"));
  EXPECT_FALSE(parseInt("0x123456789"));
  EXPECT_FALSE(parseInt("1.5"));
  EXPECT_FALSE(parseInt(""));
  EXPECT_FALSE(parseInt("-"));
  EXPECT_FALSE(parseInt("12abc"));
}

TEST(NumberFormat, RoundTo15DigitsIsWhatAFieldShowsAndReadsBack) {
  EXPECT_EQ(roundTo15Digits(1.5707963267948966), 1.5707963267949);
  EXPECT_EQ(roundTo15Digits(0.1 + 0.2), 0.3);
  EXPECT_EQ(roundTo15Digits(-2.25), -2.25);
  EXPECT_EQ(roundTo15Digits(1234567890123456.0), 1234567890123460.0);
  EXPECT_EQ(roundTo15Digits(1e-7 / 3), 3.33333333333333e-8);
  EXPECT_EQ(roundTo15Digits(0), 0.0);
  // Texts that cannot be read back: NaN, infinities, and the largest double,
  // which rounds up past the range.
  EXPECT_FALSE(roundTo15Digits(std::nan("")));
  EXPECT_FALSE(roundTo15Digits(HUGE_VAL));
  EXPECT_FALSE(roundTo15Digits(-HUGE_VAL));
  EXPECT_FALSE(roundTo15Digits(1.7976931348623157e308));
  EXPECT_EQ(roundTo15Digits(1.79769313486231e308), 1.79769313486231e308);
}

}  // namespace
}  // namespace zorva
