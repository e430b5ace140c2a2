// Building the parameter caption from the meter's replies, and the list switch rule.

#include <gtest/gtest.h>

#include "function_caption.h"

namespace benchbridge {
namespace {

TEST(FunctionCaption, PairsAreBuiltFromPrimaryLetterAndSecondary) {
  EXPECT_EQ(FunctionPair("C", EquivalentLetter("SER"), SecondaryParamName("D")), "Cs-D");
  EXPECT_EQ(FunctionPair("L", EquivalentLetter("PAL"), SecondaryParamName("THR")), "Lp-θ");
  EXPECT_EQ(SecondaryParamName("thr"), "thr");  // replies compare exactly
}

TEST(FunctionCaption, TheEquivalentLetterIsOneWholeCharacter) {
  EXPECT_EQ(EquivalentLetter("s"), "s");
  EXPECT_EQ(EquivalentLetter("1x"), "1");
  EXPECT_EQ(EquivalentLetter("θx"), "θ");  // never half a UTF-8 sequence
  EXPECT_EQ(EquivalentLetter("串联"), "串");
  EXPECT_EQ(EquivalentLetter("\xA6"), "\xA6");
  EXPECT_EQ(EquivalentLetter(""), "");
}

TEST(FunctionCaption, TheListSwitchAppliesToPairsAndEcaOnly) {
  for (const char* caption : {"Ls-Q", "Cs-D", "Rp-X", "Z-θ", "ECA", "ECs-D"}) {
    EXPECT_TRUE(ListSwitchApplies(caption)) << caption;
  }
  for (const char* caption : {"AUTO", "自动", "DCR", "", "ls-Q", "X"}) {
    EXPECT_FALSE(ListSwitchApplies(caption)) << caption;
  }
}

}  // namespace
}  // namespace benchbridge
