// Number texts as the meter writes and reads them.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "si_format.h"
#include "text_helpers.h"

namespace benchbridge::sim {
namespace {

TEST(SiFormatTest, ReadingValuesHaveFiveDigitsAndAPrefixForAMantissaFrom1To1000) {
  EXPECT_EQ(FormatWithPrefix(10.023e-9, "F"), "10.023nF");
  EXPECT_EQ(FormatWithPrefix(4.7e-6, "F"), "4.7000uF");
  EXPECT_EQ(FormatWithPrefix(123.456e3, "\xCE\xA9"), "123.46k\xCE\xA9");
  EXPECT_EQ(FormatWithPrefix(1.0, "H"), "1.0000H");
  EXPECT_EQ(FormatWithPrefix(-0.5e3, "\xCE\xA9"), "-500.00\xCE\xA9");
  EXPECT_EQ(FormatWithPrefix(999.996, "\xCE\xA9"), "1.0000k\xCE\xA9");  // rounding moves the prefix
  EXPECT_EQ(FormatWithPrefix(0.0, "F"), "0.0000F");
  EXPECT_EQ(FormatWithPrefix(-1e-13, "F"), "-0.1000pF");  // below p, the mantissa shrinks
  EXPECT_EQ(FormatWithPrefix(2.5e9, "\xCE\xA9"), "2500.0M\xCE\xA9");
  EXPECT_EQ(FormatWithPrefix(1e10, "\xCE\xA9"), "OVER");
  EXPECT_EQ(FormatWithPrefix(std::numeric_limits<double>::infinity(), "F"), "OVER");
  EXPECT_EQ(FormatWithPrefix(std::nan(""), "F"), "OVER");
}

TEST(SiFormatTest, RatiosAndAnglesHaveFiveDigitsAndAtMostFiveDecimals) {
  EXPECT_EQ(FormatPlain(0.002013), "0.00201");
  EXPECT_EQ(FormatPlain(25.1234), "25.123");
  EXPECT_EQ(FormatPlain(-89.88541), "-89.885");
  EXPECT_EQ(FormatPlain(123456.0), "123460");
  EXPECT_EQ(FormatPlain(-0.000001), "0.00000");  // no "-0"
  EXPECT_EQ(FormatPlain(2e6), "OVER");
}

TEST(SiFormatTest, LimitsGoOutInExponentFormThatThePanelTurnsIntoItsPrefixes) {
  const std::tuple<double, std::string, std::string, std::string> cases[] = {
      {1.5e-3, "1.5e-3", "1.5", "m"},
      {10e3, "10e3", "10", "k"},
      {2e6, "2e6", "2", "M"},
      {100.0, "100", "100", ""},
      {4.7e-6, "4.7e-6", "4.7", "μ"},
      {-2.2e-9, "-2.2e-9", "-2.2", "n"},
      {330e-12, "330e-12", "330", "p"},
      {0.0, "0", "0", ""},
      {1e-15, "0.001e-12", "0.001", "p"},
      {5e9, "5000e6", "5000", "M"},
  };
  for (const auto& [value, text, mantissa, prefix] : cases) {
    EXPECT_EQ(FormatExponent(value), text) << value;
    const MantissaPrefix shown = ExponentToPrefix(FormatExponent(value));
    EXPECT_EQ(shown.mantissa, mantissa) << value;
    EXPECT_EQ(shown.prefix, prefix) << value;
  }
  EXPECT_EQ(FormatPercent(-2.5), "-2.5");
  EXPECT_EQ(FormatPercent(99.99), "99.99");
  EXPECT_EQ(FormatPercent(5.0), "5");
  EXPECT_EQ(FormatPercent(-0.001), "0");
}

TEST(SiFormatTest, ParametersTakeOnePrefixAndNothingElse) {
  EXPECT_EQ(ParsePrefixedNumber("10k"), 10e3);
  EXPECT_EQ(ParsePrefixedNumber("10K"), 10e3);
  EXPECT_DOUBLE_EQ(*ParsePrefixedNumber("4.7\xCE\xBC"), 4.7e-6);  // μ
  EXPECT_DOUBLE_EQ(*ParsePrefixedNumber("4.7\xC2\xB5"), 4.7e-6);  // µ, the micro sign
  EXPECT_DOUBLE_EQ(*ParsePrefixedNumber("4.7u"), 4.7e-6);
  EXPECT_DOUBLE_EQ(*ParsePrefixedNumber("1.5m"), 1.5e-3);
  EXPECT_EQ(ParsePrefixedNumber("1.5M"), 1.5e6);
  EXPECT_DOUBLE_EQ(*ParsePrefixedNumber("+.5e-3k"), 0.5);
  EXPECT_EQ(ParsePrefixedNumber("-3"), -3.0);
  for (const char* bad :
       {"", "k", "10 k", "10kk", "1e", "1.2.3", "inf", "nan", "0x10", "--", "1e400", "10%"}) {
    EXPECT_FALSE(ParsePrefixedNumber(bad).has_value()) << bad;
  }
  EXPECT_EQ(ParseNumberWithUnit("600mV", "mV"), 600.0);
  EXPECT_EQ(ParseNumberWithUnit("1000HZ", "Hz"), 1000.0);
  EXPECT_FALSE(ParseNumberWithUnit("600V", "mV").has_value());
  EXPECT_FALSE(ParseNumberWithUnit("mV", "mV").has_value());
  EXPECT_TRUE(IsNoLimit("--"));
  EXPECT_TRUE(IsNoLimit("------"));
  EXPECT_TRUE(IsNoLimit("--\xCE\xBC"));
  EXPECT_FALSE(IsNoLimit("-"));
  EXPECT_FALSE(IsNoLimit("--5"));
  EXPECT_FALSE(IsNoLimit(""));
}

}  // namespace
}  // namespace benchbridge::sim
