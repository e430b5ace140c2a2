// Comparator limits and bins, and the list sweep's points, in the forms the dialogs read back.

#include "instrument_fixture.h"
#include "text_helpers.h"

namespace benchbridge::sim::testing {
namespace {

using ComparatorTest = InstrumentTest;
using ListTest = InstrumentTest;

TEST_F(ComparatorTest, LimitsAreReadBackInExponentAndPercentForm) {
  const std::pair<std::string, std::string> nominals[] = {
      {"10k", "10e3"},      {"4.7\xCE\xBC", "4.7e-6"},
      {"4.7u", "4.7e-6"},   {"1.5m", "1.5e-3"},
      {"2M", "2e6"},        {"100", "100"},
      {"0.0022", "2.2e-3"}, {"330p", "330e-12"}};
  for (const auto& [sent, reply] : nominals) {
    EXPECT_EQ(Ask("COMParator:TOLerance:NOMinal " + sent), "OK") << sent;
    EXPECT_EQ(Ask("COMParator:TOLerance:NOMinal?"), reply) << sent;
  }
  // The dialog shows a reply through ExponentToPrefix: every one lands on a prefix it lists.
  Ask("COMParator:TOLerance:NOMinal 1.5m");
  const MantissaPrefix shown = ExponentToPrefix(Ask("COMParator:TOLerance:NOMinal?"));
  EXPECT_EQ(shown.mantissa, "1.5");
  EXPECT_EQ(shown.prefix, "m");
  EXPECT_EQ(Ask("COMParator:TOLerance:NOMinal "), "exec err");  // an empty nominal box
  EXPECT_EQ(Ask("COMParator:TOLerance:NOMinal 0"), "exec err");
  EXPECT_EQ(Ask("COMParator:TOLerance:NOMinal 10 k"), "exec err");

  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:1L -2.5"), "OK");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:1L?"), "-2.5");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:3H 99.99"), "OK");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:3H 99.991"), "exec err");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:3H?"), "99.99");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:2H ------"), "OK");  // the dialog's "no limit"
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:2H?"), "------");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:2L +5"), "OK");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:2L?"), "5");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:2L x"), "exec err");

  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:2ndL?"), "--");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:2ndH 5m"), "OK");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:2ndH?"), "5e-3");
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:2ndH --k"), "OK");  // "--" with the prefix list's k
  EXPECT_EQ(Ask("COMParator:TOLerance:RANGe:2ndH?"), "--");
}

TEST_F(ComparatorTest, StateAnswersOnOffOrTheNumericForm) {
  EXPECT_EQ(Ask("COMParator:STATe ON"), "OK");
  EXPECT_EQ(Ask("COMParator:STATe?"), "ON");
  InstrumentOptions numeric;
  numeric.comparatorNumeric = true;
  Make(numeric);
  EXPECT_EQ(Ask("COMParator:STATe?"), "0");
  EXPECT_EQ(Ask("COMParator:STATe 1"), "OK");
  EXPECT_EQ(Ask("COMParator:STATe?"), "1");
}

TEST_F(ComparatorTest, BinFollowsTheReadingAgainstTheLimits) {
  // The noiseless 10 nF capacitor with D 0.002 against bins of 1, 5 and 10 % around a nominal.
  EXPECT_EQ(Ask("COMParator:TOLerance:BIN?"), "exec err");  // comparator off
  Ask("COMParator:STATe ON");
  const std::pair<std::string, std::string> bins[] = {
      {"10n", "1"}, {"9.8n", "2"}, {"10.6n", "3"}, {"8n", "O"}, {"12n", "O"}};
  for (const auto& [nominal, bin] : bins) {
    Ask("COMParator:TOLerance:NOMinal " + nominal);
    EXPECT_EQ(Ask("COMParator:TOLerance:BIN?"), bin) << nominal;
  }
  Ask("COMParator:TOLerance:NOMinal 10n");
  Ask("COMParator:TOLerance:RANGe:2ndH 1m");  // D 0.002 is too lossy
  EXPECT_EQ(Ask("COMParator:TOLerance:BIN?"), "A");
  Ask("COMParator:TOLerance:NOMinal 8n");  // out of every bin comes first
  EXPECT_EQ(Ask("COMParator:TOLerance:BIN?"), "O");
  Ask("COMParator:TOLerance:NOMinal 10n");
  Ask("COMParator:TOLerance:RANGe:2ndH 3m");
  EXPECT_EQ(Ask("COMParator:TOLerance:BIN?"), "1");
  // A bin without limits takes nothing; one-sided limits are open on the other side.
  Ask("COMParator:TOLerance:RANGe:1L --");
  Ask("COMParator:TOLerance:RANGe:1H --");
  EXPECT_EQ(Ask("COMParator:TOLerance:BIN?"), "2");
  Ask("COMParator:TOLerance:RANGe:1L -50");
  EXPECT_EQ(Ask("COMParator:TOLerance:BIN?"), "1");
  // In DC resistance mode the secondary limits do not count.
  Ask("KEYS 37");
  Ask("COMParator:TOLerance:NOMinal 100G");
  Ask("COMParator:TOLerance:RANGe:2ndH 0");
  EXPECT_EQ(Ask("COMParator:TOLerance:BIN?"), "1");
}

// The point reply cut the way the list dialog cuts it.
std::vector<std::string> Fields(const std::string& reply) { return SplitText(reply, ","); }

TEST_F(ListTest, PointsAreWrittenAndReadBackWithValueAndVerdict) {
  EXPECT_EQ(Ask("LIST:STATe ON"), "OK");
  EXPECT_EQ(Ask("LIST:MODE?"), "SEQuence");
  EXPECT_EQ(Ask("LIST:PARAmeter 0,1000,9.9n,10.1n"), "OK");
  EXPECT_EQ(Ask("LIST:PARAmeter 0?"), "0,1000,9.9e-9,10.1e-9,10.000nF,PASS");
  EXPECT_EQ(Ask("LIST:PARAmeter 6,120,--,9.5n"), "OK");
  EXPECT_EQ(Ask("LIST:PARAmeter 6?"), "6,120,--,9.5e-9,10.000nF,FAIL");
  EXPECT_EQ(Ask("LIST:PARAmeter 3,2000,--,--"), "OK");
  EXPECT_EQ(Ask("LIST:PARAmeter? 3"), "3,2000,--,--,10.000nF,--");  // no limits: no verdict
  EXPECT_EQ(Ask("LIST:PARAmeter 1?"), "1,,,,,");                    // not in the sweep: no fields
  EXPECT_EQ(Ask("LIST:PARAmeter 0,--,--,--"), "OK");                // the dialog's empty row
  EXPECT_EQ(Ask("LIST:PARAmeter 0?"), "0,,,,,");
  EXPECT_EQ(Ask("LIST:PARAmeter 5,--,1k,2k"), "OK");  // limits without a frequency go too
  EXPECT_EQ(Ask("LIST:PARAmeter 5?"), "5,,,,,");
  // Read by position among the non-empty pieces, a point is either whole or only its number:
  // never a reply whose later fields would move up into the frequency's place.
  for (int point = 0; point < 7; ++point) {
    const std::size_t fields = Fields(Ask("LIST:PARAmeter " + std::to_string(point) + "?")).size();
    EXPECT_TRUE(fields == 6u || fields == 1u) << point << ": " << fields;
  }
}

TEST_F(ListTest, BadPointsAreRefusedAndLeaveThePointAsItWas) {
  Ask("LIST:PARAmeter 2,1000,10k,20k");
  EXPECT_EQ(Ask("LIST:PARAmeter 7,1000,--,--"), "exec err");
  EXPECT_EQ(Ask("LIST:PARAmeter -1?"), "exec err");
  EXPECT_EQ(Ask("LIST:PARAmeter 2,1000,10k"), "exec err");
  EXPECT_EQ(Ask("LIST:PARAmeter 2,1000,10k,20k,30k"), "exec err");
  EXPECT_EQ(Ask("LIST:PARAmeter 2,5,--,--"), "exec err");  // below the model's frequencies
  EXPECT_EQ(Ask("LIST:PARAmeter 2,1000,10x,--"), "exec err");
  EXPECT_EQ(Ask("LIST:PARAmeter 2?"), "2,1000,10e3,20e3,--,--");  // list off: nothing measured
  MakeWith("LX2101", "capacitor");
  EXPECT_EQ(Ask("LIST:PARAmeter 0,1234,--,--"), "exec err");
  EXPECT_EQ(Ask("LIST:PARAmeter 0,120,--,--"), "OK");
}

TEST_F(ListTest, SweepRunsOnlyWithAChosenParameter) {
  Ask("FUNC:IMP:A AUTO");
  EXPECT_EQ(Ask("LIST:STATe ON"), "exec err");
  Ask("KEYS 37");
  EXPECT_EQ(Ask("LIST:STATe ON"), "exec err");
  Ask("KEYS 17");
  EXPECT_EQ(Ask("LIST:STATe ON"), "OK");
  EXPECT_EQ(Ask("LIST:STATe?"), "ON");
  EXPECT_EQ(Ask("LIST:STATe OFF"), "OK");
  EXPECT_EQ(Ask("LIST:STATe?"), "OFF");
}

TEST_F(ListTest, TriggeredSweepMeasuresAllPointsOrOneAtATime) {
  Ask("SYSTem:SOUR MAN");
  Ask("LIST:PARAmeter 1,1000,--,--");
  Ask("LIST:PARAmeter 4,2000,--,--");
  Ask("LIST:STATe ON");
  EXPECT_EQ(Fields(Ask("LIST:PARAmeter 1?"))[4], "--");  // waits for the trigger
  Ask("*TRG");
  EXPECT_EQ(Fields(Ask("LIST:PARAmeter 1?"))[4], "10.000nF");
  EXPECT_EQ(Fields(Ask("LIST:PARAmeter 4?"))[4], "10.000nF");

  Ask("LIST:STATe OFF");
  EXPECT_EQ(Ask("LIST:MODE STEP"), "OK");
  EXPECT_EQ(Ask("LIST:MODE?"), "STEP");
  Ask("LIST:STATe ON");  // starts a fresh sweep
  Ask("*TRG");
  EXPECT_EQ(Fields(Ask("LIST:PARAmeter 1?"))[4], "10.000nF");
  EXPECT_EQ(Fields(Ask("LIST:PARAmeter 4?"))[4], "--");
  Ask("*TRG");
  EXPECT_EQ(Fields(Ask("LIST:PARAmeter 4?"))[4], "10.000nF");
  EXPECT_EQ(Ask("LIST:MODE SEQUENCE"), "OK");
  EXPECT_EQ(Ask("LIST:MODE?"), "SEQuence");
  EXPECT_EQ(Ask("LIST:MODE RANDOM"), "exec err");
}

TEST_F(ListTest, PointsMeasureAtTheirOwnFrequency) {
  // The parallel inductance of a coil grows as its Q falls towards low frequencies.
  MakeWith("LX3102", "inductor");
  Ask("FUNC:IMP:EQU PAL");
  Ask("LIST:STATe ON");
  Ask("LIST:PARAmeter 0,100,--,--");
  EXPECT_EQ(Fields(Ask("LIST:PARAmeter 0?"))[4], "2.0000mH");
  // The list measures the primary parameter only; the reading keeps its own frequency.
  EXPECT_EQ(Ask("FETCH:INT?"), "Lp,1.0100mH,Q,10.000");
}

}  // namespace
}  // namespace benchbridge::sim::testing
