// Reading command lines: headers, queries, parameters.

#include <gtest/gtest.h>

#include "command_syntax.h"

namespace benchbridge::sim {
namespace {

TEST(CommandSyntaxTest, LinesSplitIntoHeaderWordsQueryAndParameter) {
  const auto command = ParseCommandLine("  :FUNC:IMP:A?  \r");
  ASSERT_TRUE(command);
  EXPECT_EQ(command->words, (std::vector<std::string>{"FUNC", "IMP", "A"}));
  EXPECT_TRUE(command->query);
  EXPECT_EQ(command->parameter, "");

  const auto point = ParseCommandLine("LIST:PARAmeter 2,1000,10k,--");
  ASSERT_TRUE(point);
  EXPECT_FALSE(point->query);
  EXPECT_EQ(point->parameter, "2,1000,10k,--");

  const auto common = ParseCommandLine("*IDN?");
  ASSERT_TRUE(common);
  EXPECT_EQ(common->words, (std::vector<std::string>{"*IDN"}));
  EXPECT_TRUE(common->query);

  for (const char* bad :
       {"", "   ", ":", "A::B", "A:", "*", "*IDN:X?", "FUNC?:IMP", "A;B", "FRE\xCE\xA9"}) {
    EXPECT_FALSE(ParseCommandLine(bad).has_value()) << bad;
  }
}

TEST(CommandSyntaxTest, WordsMatchInTheirShortOrLongFormOnly) {
  EXPECT_TRUE(WordMatches("FUNCtion", "FUNC"));
  EXPECT_TRUE(WordMatches("FUNCtion", "function"));
  EXPECT_TRUE(WordMatches("FUNCtion", "FuNcTiOn"));
  EXPECT_FALSE(WordMatches("FUNCtion", "FUNCT"));
  EXPECT_FALSE(WordMatches("FUNCtion", "FUN"));
  EXPECT_FALSE(WordMatches("FUNCtion", "FUNCTIONS"));
  EXPECT_TRUE(WordMatches("2NDL", "2ndL"));
  EXPECT_TRUE(WordMatches("*IDN", "*idn"));

  const auto command = ParseCommandLine("comp:tol:rang:1l?");
  ASSERT_TRUE(command);
  EXPECT_TRUE(HeaderMatches("COMParator:TOLerance:RANGe:1L", *command));
  EXPECT_FALSE(HeaderMatches("COMParator:TOLerance:RANGe", *command));
  EXPECT_FALSE(HeaderMatches("COMParator:TOLerance:RANGe:1L:X", *command));
  EXPECT_EQ(KeywordIndex("seq", {"SEQuence", "STEP"}), 0u);
  EXPECT_EQ(KeywordIndex("STEP", {"SEQuence", "STEP"}), 1u);
  EXPECT_FALSE(KeywordIndex("SEQUEN", {"SEQuence", "STEP"}).has_value());
}

}  // namespace
}  // namespace benchbridge::sim
