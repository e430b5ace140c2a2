// The dialogs' reply handling and command building, without a window.

#include <gtest/gtest.h>

#include "bin_limit.h"
#include "comparator_commands.h"
#include "point_command.h"
#include "point_reply.h"
#include "unit_family.h"

namespace benchbridge {
namespace {

TEST(BinLimitTest, BothEndsPassAndJustOutsideFails) {
  EXPECT_EQ(CheckBinLimit("99.99"), BinLimitCheck::kInRange);
  EXPECT_EQ(CheckBinLimit("-99.99"), BinLimitCheck::kInRange);
  EXPECT_EQ(CheckBinLimit("+99.990"), BinLimitCheck::kInRange);
  EXPECT_EQ(CheckBinLimit("99.991"), BinLimitCheck::kOutOfRange);
  EXPECT_EQ(CheckBinLimit("-99.991"), BinLimitCheck::kOutOfRange);
  EXPECT_EQ(CheckBinLimit("1e2"), BinLimitCheck::kOutOfRange);
  EXPECT_EQ(CheckBinLimit(" 5 "), BinLimitCheck::kInRange);
  EXPECT_EQ(CheckBinLimit(".5"), BinLimitCheck::kInRange);
}

TEST(BinLimitTest, EmptyAndPlaceholderAreSkipped) {
  EXPECT_EQ(CheckBinLimit(""), BinLimitCheck::kSkipped);
  EXPECT_EQ(CheckBinLimit("   "), BinLimitCheck::kSkipped);
  EXPECT_EQ(CheckBinLimit("------"), BinLimitCheck::kSkipped);
  EXPECT_EQ(CheckBinLimit(" ------ "), BinLimitCheck::kSkipped);
}

TEST(BinLimitTest, TextsThatAreNoNumberRaiseTheConversionError) {
  for (const char* text :
       {"+", "--", "-----", ".", "1.2.3", "1e", "inf", "nan", "0x10", "1,5", "1e99999"}) {
    try {
      CheckBinLimit(text);
      ADD_FAILURE() << text << " passed";
    } catch (const ConversionError& error) {
      EXPECT_EQ(error.what(), "'" + std::string(text) + "' is not a valid floating point value");
    }
  }
}

TEST(ComparatorCommandsTest, ArgumentsFromTheBoxes) {
  EXPECT_EQ(NominalArgument("10", "k"), "10k");
  EXPECT_EQ(NominalArgument("10", " "), "10");
  EXPECT_EQ(NominalArgument("", " "), "");
  EXPECT_EQ(NominalArgument(" 10 ", ""), " 10 ");  // as typed
  EXPECT_EQ(BinArgument(""), "--");
  EXPECT_EQ(BinArgument("  "), "--");
  EXPECT_EQ(BinArgument("------"), "------");
  EXPECT_EQ(SecondaryArgument("", "μ"), "--μ");
  EXPECT_EQ(SecondaryArgument("5", "M"), "5M");
  EXPECT_EQ(SecondaryArgument("5", " "), "5");
  EXPECT_EQ(RangeCommand("2ndL", "5M"), "COMParator:TOLerance:RANGe:2ndL 5M");
  EXPECT_EQ(RangeQuery("3H"), "COMParator:TOLerance:RANGe:3H?");
}

TEST(PointCommandTest, ValuesAreTrimmedAndBlankOnesBecomePlaceholders) {
  EXPECT_EQ(PointWrite(6, " ", {" ", "μ"}, {"", ""}), "LIST:PARAmeter 6,--,--,--");
  EXPECT_EQ(PointWrite(1, " 50 ", {" 4.7 ", "μ"}, {"1", "p"}), "LIST:PARAmeter 1,50,4.7μ,1p");
}

TEST(PointReplyTest, FieldsByPositionAmongNonEmptyPieces) {
  const PointSettings settings = PointSettingsFromReply("0,,1000,,1.5e3,2,1.2kΩ,PASS");
  EXPECT_EQ(settings.frequency, "1000");
  EXPECT_EQ(settings.low.mantissa, "1.5");
  EXPECT_EQ(settings.low.prefix, "k");
  EXPECT_EQ(settings.high.mantissa, "2");
  EXPECT_EQ(settings.high.prefix, "");
  const PointResult result = PointResultFromReply("0,1000,1,2,1.2kΩ,PASS");
  EXPECT_EQ(result.testValue, "1.2kΩ");
  EXPECT_EQ(result.compareResult, "PASS");
}

TEST(PointReplyTest, ShortRepliesLeaveMissingFieldsEmpty) {
  const PointSettings settings = PointSettingsFromReply("0,1000");
  EXPECT_EQ(settings.frequency, "1000");
  EXPECT_EQ(settings.low.mantissa, "");
  EXPECT_EQ(settings.high.mantissa, "");
  EXPECT_EQ(PointSettingsFromReply("").frequency, "");
  const PointResult result = PointResultFromReply("0,1000,1,2,9.9Ω");
  EXPECT_EQ(result.testValue, "9.9Ω");
  EXPECT_EQ(result.compareResult, "");
}

TEST(UnitFamilyTest, FunctionLetterChoosesTheUnits) {
  EXPECT_EQ(UnitFamilyOf("Rs-Q").baseUnit, "Ω");
  EXPECT_EQ(UnitFamilyOf("Z-θ").baseUnit, "Ω");
  EXPECT_EQ(UnitFamilyOf("Cp-D").baseUnit, "F");
  EXPECT_EQ(UnitFamilyOf("ESR").baseUnit, "F");
  const UnitFamily henry = UnitFamilyOf("Ls-Q");
  EXPECT_EQ(henry.items, (std::array<std::string, 7>{"MH", "kH", "H", "mH", "μH", "nH", "pH"}));
  EXPECT_EQ(henry.items[UnitFamily::kBaseItem], "H");
  EXPECT_EQ(UnitFamilyOf("X-Y").baseUnit, "");
  EXPECT_EQ(UnitFamilyOf("").baseUnit, "");
  EXPECT_EQ(UnitPrefix("μF", "F"), "μ");
  EXPECT_EQ(UnitPrefix("kΩ", "Ω"), "k");
  EXPECT_EQ(UnitPrefix("Ω", "Ω"), "");
  EXPECT_EQ(UnitPrefix("mH", "F"), "");
}

}  // namespace
}  // namespace benchbridge
