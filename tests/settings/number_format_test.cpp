#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "settings/number_format.h"

namespace zorva {
namespace {

TEST(NumberFormat, ShortestFormWithFifteenDigits) {
  const std::pair<double, const char*> cases[] = {{M_PI / 2, "1.5707963267949"},
                                                  {0, "0"},
                                                  {300, "300"},
                                                  {1e-6, "1E-6"},
                                                  {-0.000012345, "-0.000012345"},
                                                  {123456789012345.0, "123456789012345"},
                                                  {1234567890123456.0, "1.23456789012346E15"},
                                                  {0.1 + 0.2, "0.3"}};
  for (auto [value, text] : cases) EXPECT_EQ(formatFloat(value, "."), text);
  EXPECT_EQ(formatFloat(0.1, ","), "0,1");
}

TEST(NumberFormat, ParsesNumbersWithAPointACommaOrTheGivenSeparator) {
  const std::tuple<const char*, const char*, double> read[] = {
      {" -2.25 ", ".", -2.25},   {"+3", ".", 3.0},           {"1E-6", ".", 1e-6},
      {"0,1", ",", 0.1},         {"0.1", ",", 0.1},          {"0,1", ".", 0.1},
      {"-2,5E-3", ".", -2.5e-3}, {"1\u066B5", "\u066B", 1.5}};  // a separator of more than one byte
  for (auto [text, separator, value] : read) EXPECT_EQ(parseFloat(text, separator), value) << text;
  for (const char* bad : {"1,5.5", "1,,5", ",", "", "-", "abc", "inf", "nan", "1e999", "0x10", "1 2"})
    EXPECT_FALSE(parseFloat(bad, bad == std::string("1,,5") || bad == std::string(",") ? "," : ".")) << bad;
}

TEST(NumberFormat, FormattedValuesReadBackToFifteenDigits) {
  for (double v : {1.0 / 3, -2.0 / 7, 123.456, 1e-7, 6.02214076e23, 0.00001}) {
    auto back = parseFloat(formatFloat(v, "."), ".");
    ASSERT_TRUE(back);
    EXPECT_NEAR(*back, v, std::fabs(v) * 1e-14);
  }
}

TEST(NumberFormat, IntegersDecimalAndHexadecimal) {
  const std::pair<const char*, std::int32_t> read[] = {
      {"-7", -7}, {" 5 ", 5}, {"0XfF", 255}, {"0xFFFFFFFF", -1}, {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}};
  for (auto [text, value] : read) EXPECT_EQ(parseInt(text), value) << text;
  for (const char* bad : {"2147483648", "99999999999", "0x123456789", "1.5", "", "-", "12abc"})
    EXPECT_FALSE(parseInt(bad)) << bad;
}

TEST(NumberFormat, RoundTo15DigitsIsWhatAFieldShowsAndReadsBack) {
  EXPECT_EQ(roundTo15Digits(0.1 + 0.2), 0.3);
  EXPECT_EQ(roundTo15Digits(1234567890123456.0), 1234567890123460.0);
  EXPECT_EQ(roundTo15Digits(1e-7 / 3), 3.33333333333333e-8);
  // Texts that cannot be read back: NaN, infinities, and the largest double,
  // which rounds up past the range.
  for (double v : {std::nan(""), -HUGE_VAL, 1.7976931348623157e308}) EXPECT_FALSE(roundTo15Digits(v)) << v;
  EXPECT_EQ(roundTo15Digits(1.79769313486231e308), 1.79769313486231e308);
}

}  // namespace
}  // namespace zorva
