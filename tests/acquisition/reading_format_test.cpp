// Reading replies as the meter sends them, and the normalised "_new" log line.
#include "reading_format.h"

#include <gtest/gtest.h>

#include <string>

#include "gbk.h"

namespace benchbridge {
namespace {

const std::string kMu = "\xCE\xBC";   // μ
const std::string kOhm = "\xCE\xA9";  // Ω

std::string LogLineOf(const std::string& reply) {
  return NewLogLine(NormaliseReading(SplitReading(reply)));
}

TEST(SplitReading, FourFieldsGiveSixTextsAndTheNormalisedLine) {
  EXPECT_EQ(SplitReading("Cs,1.2345nF,D,0.01234"),
            (Reading{"Cs", "1.2345", "nF", "D", "0.01234", ""}));
  EXPECT_EQ(LogLineOf("Cs,1.2345nF,D,0.01234"), "Cs,1.2345e-9,F,D,0.01234,");
  EXPECT_EQ(LogLineOf("Ls,-0.5k" + kOhm + ",Q,12.3deg"), "Ls,-0.5e3," + kOhm + ",Q,12.3,deg");
}

TEST(SplitReading, MissingCommasLeaveTheLaterFieldsEmpty) {
  EXPECT_EQ(SplitReading("Ready"), (Reading{"Ready", "", "", "", "", ""}));
  EXPECT_EQ(SplitReading(""), Reading{});
  EXPECT_EQ(LogLineOf(""), ",,,,,");
  // Two fields: the second is the secondary field; three: the third is.
  EXPECT_EQ(SplitReading("Cs,1.2nF"), (Reading{"Cs", "", "", "", "1.2", "nF"}));
  EXPECT_EQ(SplitReading("Cs,1.2nF,D"), (Reading{"Cs", "1.2", "nF", "", "", "D"}));
  EXPECT_EQ(SplitReading(","), Reading{});
}

TEST(SplitReading, EverythingAfterTheThirdCommaIsTheFourthField) {
  EXPECT_EQ(SplitReading("R,1k,X,2,3,4"), (Reading{"R", "1", "k", "X", "2,3,4", ""}));
  EXPECT_EQ(SplitReading("R,1k,X,2,a,b"), (Reading{"R", "1", "k", "X", "2", ",a,b"}));
}

TEST(SplitReading, TheUnitIsTheTailWithoutDigitsPointsAndMinus) {
  EXPECT_EQ(SplitReading("a,OVER,b,--"), (Reading{"a", "", "OVER", "b", "--", ""}));
  // "+" and "e" belong to the value only when a digit, point or minus follows them.
  EXPECT_EQ(SplitReading("a,1.0e-3F,b,+5E"), (Reading{"a", "1.0e-3", "F", "b", "+5", "E"}));
  EXPECT_EQ(SplitReading("a,1e+F,b,x"), (Reading{"a", "1", "e+F", "b", "", "x"}));
  // No trimming anywhere.
  EXPECT_EQ(SplitReading(" Cs , 1.2 nF ,D, 3 "), (Reading{" Cs ", " 1.2", " nF ", "D", " 3", " "}));
}

TEST(SplitReading, MicroBecomesMuWithAtMostTwoMoreBytes) {
  EXPECT_EQ(SplitReading("Cs,4.7uF,D,1uHzz"),
            (Reading{"Cs", "4.7", kMu + "F", "D", "1", kMu + "Hz"}));
  EXPECT_EQ(LogLineOf("Cs,4.7uF,D,1uHzz"), "Cs,4.7e-6,F,D,1e-6,Hz");
  EXPECT_EQ(SplitReading("a,1u,b,U").primaryUnit, kMu);
  EXPECT_EQ(SplitReading("a,1u,b,U").secondaryUnit, "U");  // case-sensitive
  // A mu sent as such is a prefix like the converted one.
  EXPECT_EQ(LogLineOf("Ls,2" + kMu + "H,Q,3"), "Ls,2e-6,H,Q,3,");
}

// The cuts count the bytes the meter sent (GBK: two for every character beyond ASCII, one for
// each byte that was not GBK and now reads U+FFFD) and never end inside a character, so no
// display text and no log line holds a broken UTF-8 sequence.
TEST(SplitReading, ByteCutsNeverSplitACharacter) {
  const std::string replacement = "\xEF\xBF\xBD";  // U+FFFD, for a byte that was not GBK
  const Reading reading = SplitReading("a,1ua中,b,2");
  EXPECT_EQ(reading.primaryUnit, kMu + "a");
  EXPECT_EQ(NormaliseReading(reading).primaryUnit, "a");
  EXPECT_EQ(SplitReading("a,1u中文,b,2").primaryUnit, kMu + "中");
  EXPECT_EQ(LogLineOf("Cs,1.2nF" + replacement + replacement + ",D,1"),
            "Cs,1.2e-9,F" + replacement + ",D,1,");
  EXPECT_EQ(LogLineOf("R,1k欧姆,X,2"), "R,1e3,欧,X,2,");
  for (const std::string& reply : {"Cs,1.2nF" + replacement + ",D,1",
                                   std::string("a,1u中文,b,2k中"), "x,1m" + kOhm + "中,y,2"}) {
    const Reading split = SplitReading(reply);
    for (const std::string& text : {split.primaryUnit, split.secondaryUnit, LogLineOf(reply)}) {
      EXPECT_TRUE(IsValidUtf8(text)) << reply << " -> " << text;
    }
  }
}

TEST(NormaliseValue, PrefixesBecomeExponentsInTableOrder) {
  EXPECT_EQ(NormaliseValue("1", "mH"), (ValueUnit{"1e-3", "H"}));
  EXPECT_EQ(NormaliseValue("1", "MHz"), (ValueUnit{"1e6", "Hz"}));
  EXPECT_EQ(NormaliseValue("1", "pF"), (ValueUnit{"1e-12", "F"}));
  EXPECT_EQ(NormaliseValue("2", "kHz"), (ValueUnit{"2e3", "Hz"}));
  EXPECT_EQ(NormaliseValue("3", "kOhm"), (ValueUnit{"3e3", "Oh"}));  // two bytes kept
  EXPECT_EQ(NormaliseValue("1", "F"), (ValueUnit{"1", "F"}));
  EXPECT_EQ(NormaliseValue("1", ""), (ValueUnit{"1", ""}));
  // Each rule sees what the earlier ones left: "mnF" loses both prefixes, "nmF" only one.
  EXPECT_EQ(NormaliseValue("1", "mnF"), (ValueUnit{"1e-3e-9", "F"}));
  EXPECT_EQ(NormaliseValue("1", "nmF"), (ValueUnit{"1e-9", "mF"}));
  EXPECT_EQ(NormaliseValue("1", "m" + kMu + "x"), (ValueUnit{"1e-3e-6", ""}));
  // Letters only: an empty value, changed only by a prefix letter.
  EXPECT_EQ(NormaliseValue("", "mOVER"), (ValueUnit{"e-3", "OV"}));
  EXPECT_EQ(NormaliseValue("", "OVER"), (ValueUnit{"", "OVER"}));
}

TEST(NormaliseReading, SecondaryDegreesAndEmptyUnitsStayAsSent) {
  EXPECT_EQ(LogLineOf("Z,1.5k" + kOhm + ",θ,-12.3deg"), "Z,1.5e3," + kOhm + ",θ,-12.3,deg");
  EXPECT_EQ(LogLineOf("Cp,1pF,Rp,mdeg"), "Cp,1e-12,F,Rp,e-3,de");
  // The primary pair is normalised even when its unit is "deg".
  EXPECT_EQ(LogLineOf("a,1deg,b,2"), "a,1,deg,b,2,");
}

}  // namespace
}  // namespace benchbridge
