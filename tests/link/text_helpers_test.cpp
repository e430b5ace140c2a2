// SplitText, ExponentToPrefix and Trimmed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text_helpers.h"

namespace benchbridge {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitText, DropsEmptyPiecesAndKeepsBlanks) {
  EXPECT_EQ(SplitText("a,b,,c", ","), (Pieces{"a", "b", "c"}));
  EXPECT_EQ(SplitText("a, b ", ","), (Pieces{"a", " b "}));  // last piece untrimmed
  EXPECT_EQ(SplitText(",", ","), Pieces{});
  EXPECT_EQ(SplitText("", ","), Pieces{});
  EXPECT_EQ(SplitText(" x ,y", ","), (Pieces{" x ", "y"}));  // inner pieces keep blanks
  EXPECT_EQ(SplitText("a, ", ","), Pieces{"a"});             // blank remainder dropped
  EXPECT_EQ(SplitText("a,\r\n", ","), Pieces{"a"});          // control characters too
  EXPECT_EQ(SplitText("1.0e3 2.0e3", " "), (Pieces{"1.0e3", "2.0e3"}));
  EXPECT_EQ(SplitText("a::b::", "::"), (Pieces{"a", "b"}));  // separators of any length
  EXPECT_EQ(SplitText("a,b", ""), Pieces{"a,b"});            // no separator: one piece
}

TEST(ExponentToPrefix, TableRows) {
  struct Case {
    const char* text;
    const char* mantissa;
    const char* prefix;
  };
  for (const Case& c : {
           Case{"1.5e-3", "1.5", "m"},
           Case{"1500e-3", "1500", "m"},
           Case{"2.2e0", "2.2", ""},
           Case{"1.0e-12", "1.0", "p"},
           Case{"4.7e-6", "4.7", "μ"},
           Case{"33e-9", "33", "n"},
           Case{"10e3", "10", "k"},
           Case{"1e6", "1", "M"},
           Case{"1e+3", "1", "k"},  // the same numbers written otherwise
           Case{"1e-03", "1", "m"},
           Case{"1e-006", "1", "μ"},
           Case{"1e 6 ", "1", "M"},
       }) {
    const auto result = ExponentToPrefix(c.text);
    EXPECT_EQ(result.mantissa, c.mantissa) << c.text;
    EXPECT_EQ(result.prefix, c.prefix) << c.text;
  }
}

TEST(ExponentToPrefix, AnythingElseStaysWholeAndUnscaled) {
  for (const char* text : {"47", "1.0E-12", "1e-15", "1ex", "1e", "1e-", "1e--3", "1e3.0",
                           "1e000003", "1e3e3", "", "e", "1e-0000003"}) {
    const auto result = ExponentToPrefix(text);
    EXPECT_EQ(result.mantissa, text);
    EXPECT_EQ(result.prefix, "") << text;
  }
}

TEST(Trimmed, BlanksAndControlCharacters) {
  EXPECT_EQ(Trimmed(" \t\r\n ab c\x01 "), "ab c");
  EXPECT_EQ(Trimmed("μ "), "μ");  // bytes above 0x7F are text, not blanks
  EXPECT_EQ(Trimmed("   "), "");
}

}  // namespace
}  // namespace benchbridge
