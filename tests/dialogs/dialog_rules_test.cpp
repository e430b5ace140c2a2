// The dialogs' reply handling and command building, without a window.

#include <gtest/gtest.h>

#include "bin_limit.h"
#include "comparator_commands.h"
#include "comparator_reply.h"
#include "point_command.h"
#include "point_reply.h"
#include "system_options.h"
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

TEST(BinLimitTest, MessageNamesTheBin) {
  EXPECT_EQ(BinLimitMessage(3), "3档参数值有误。参数区间值[-99.99~~+99.99]");
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

TEST(ComparatorReplyTest, SwitchAndPrefixesAreMatchedExactly) {
  EXPECT_EQ(ComparatorSwitchFromReply("1"), 1);
  EXPECT_EQ(ComparatorSwitchFromReply("0"), 0);
  EXPECT_EQ(ComparatorSwitchFromReply("ON"), std::nullopt);
  EXPECT_EQ(ComparatorSwitchFromReply(" 1"), std::nullopt);
  EXPECT_EQ(PrefixedValueFromReply("1.5e-3").prefixItem, 3);  // "m"
  EXPECT_EQ(PrefixedValueFromReply("2e6").prefixItem, 1);     // "M"
  EXPECT_EQ(PrefixedValueFromReply("4.7e-6").prefixItem, 4);  // "μ"
  const PrefixedValue plain = PrefixedValueFromReply("100");
  EXPECT_EQ(plain.mantissa, "100");
  EXPECT_EQ(plain.prefixItem, std::nullopt);  // the blank item is not an empty prefix
  EXPECT_EQ(PrefixItemIndex(" "), 0);
}

TEST(PointCommandTest, WritesAndQueries) {
  EXPECT_EQ(PointWrite(0, "1000", {"10", "k"}, {"20", ""}), "LIST:PARAmeter 0,1000,10k,20");
  EXPECT_EQ(PointWrite(2, "1000", {"10", "k"}, {"", "M"}), "LIST:PARAmeter 2,1000,10k,--");
  EXPECT_EQ(PointWrite(6, " ", {" ", "μ"}, {"", ""}), "LIST:PARAmeter 6,--,--,--");
  EXPECT_EQ(PointWrite(1, " 50 ", {" 4.7 ", "μ"}, {"1", "p"}), "LIST:PARAmeter 1,50,4.7μ,1p");
  EXPECT_EQ(PointQuery(6), "LIST:PARAmeter 6?");
  EXPECT_EQ(SweepModeItemFromReply("STEP"), 1);
  EXPECT_EQ(SweepModeItemFromReply("SEQuence"), 0);
  EXPECT_EQ(SweepModeItemFromReply("SEQUENCE"), std::nullopt);
  EXPECT_EQ(SweepModeItemFromReply("step"), std::nullopt);
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

TEST(SystemOptionsTest, RepliesSelectTheirItemsExactly) {
  EXPECT_EQ(SystemItemFromReply(system_option::kBeeper, "ON"), 1);
  EXPECT_EQ(SystemItemFromReply(system_option::kBeeper, "on"), std::nullopt);
  EXPECT_EQ(SystemItemFromReply(system_option::kTrigger, "MAN"), 2);
  EXPECT_EQ(SystemItemFromReply(system_option::kPassTone, "SHO"), 1);
  EXPECT_EQ(SystemItemFromReply(system_option::kFailTone, "LON"), 2);
  EXPECT_EQ(SystemItemFromReply(system_option::kPowerOn, "LAST"), 1);
  EXPECT_EQ(SystemItemFromReply(system_option::kPowerOn, "DEFAULT"), 0);
  EXPECT_EQ(SystemItemFromReply(system_option::kPowerOn, ""), std::nullopt);
}

}  // namespace
}  // namespace benchbridge
