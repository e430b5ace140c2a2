// Every query the panel makes answers in the form the panel compares it with; settings are
// acknowledged, read back, and refused where the meter would refuse them.

#include <gmock/gmock.h>

#include "instrument_fixture.h"
#include "text_helpers.h"

namespace benchbridge::sim::testing {
namespace {

using QueriesTest = InstrumentTest;

TEST_F(QueriesTest, ConnectionAndReadbackQueriesAtPowerOn) {
  EXPECT_EQ(Ask("SYSTem:REMote"), "OK");
  EXPECT_EQ(Ask("DISPlay:PAGE MEASurement"), "OK");
  const std::vector<std::string> idn = SplitText(Ask("*IDN?"), ",");
  ASSERT_EQ(idn.size(), 5u);
  EXPECT_EQ(idn[1], "LX3102");
  EXPECT_EQ(Ask("*LX?"), "3102");
  EXPECT_EQ(Ask("FUNCtion:IMPedance:A?"), "C");
  EXPECT_EQ(Ask("FUNCtion:IMPedance:B?"), "D");
  EXPECT_EQ(Ask("FUNCtion:IMPedance:EQUivalent?"), "SER");
  EXPECT_EQ(Ask("VOLTage:LEVel?"), "1000");
  EXPECT_EQ(Ask("BIAS:VOLTage:LEVel?"), "0");
  EXPECT_EQ(Ask("FREQuency:CW?"), "1000");
  EXPECT_EQ(Ask("FUNCtion:IMPedance:RANGe:AUTO?"), "ON");
  EXPECT_EQ(Ask("OUTput:RESistance?"), "0");
  EXPECT_EQ(Ask("APERture?"), "MEDium");
  EXPECT_EQ(Ask("COMParator:STATe?"), "OFF");
  EXPECT_EQ(Ask("SYSTem:LOCal"), "OK");
}

TEST_F(QueriesTest, SettingsAreReadBackInTheWordsThePanelCompares) {
  const std::pair<std::string, std::string> settings[] = {
      {"APERture FAST", "FAST"}, {"APERture SLOW", "SLOW"}, {"APERture MED", "MEDium"}};
  for (const auto& [command, reply] : settings) {
    EXPECT_EQ(Ask(command), "OK") << command;
    EXPECT_EQ(Ask("APERture?"), reply) << command;
  }
  EXPECT_EQ(Ask("FUNCtion:IMPedance:RANGe:AUTO OFF"), "OK");
  EXPECT_EQ(Ask("FUNCtion:IMPedance:RANGe:AUTO?"), "OFF");
  EXPECT_EQ(Ask("OUTput:RESistance 1"), "OK");
  EXPECT_EQ(Ask("OUTput:RESistance?"), "1");
  EXPECT_EQ(Ask("OUTput:RESistance 2"), "exec err");
  EXPECT_EQ(Ask("VOLTage:LEVel 0600"), "OK");  // the panel sends the text as typed
  EXPECT_EQ(Ask("VOLTage:LEVel?"), "600");
  EXPECT_EQ(Ask("BIAS:VOLTage:LEVel 1500"), "OK");
  EXPECT_EQ(Ask("BIAS:VOLTage:LEVel?"), "1500");
  EXPECT_EQ(Ask("BIAS:VOLTage:LEVel 1501"), "exec err");
  EXPECT_EQ(Ask("FREQuency:CW 20000"), "OK");
  EXPECT_EQ(Ask("FREQuency:CW?"), "20000");
}

TEST_F(QueriesTest, SystemOptionsAnswerWithTheSetupPageWords) {
  EXPECT_EQ(Ask("SYSTem:BEEPer:STATe?"), "ON");
  EXPECT_EQ(Ask("SYSTem:BEEPer:STATe 0"), "OK");
  EXPECT_EQ(Ask("SYSTem:BEEPer:STATe?"), "OFF");
  for (const std::string source : {"INT", "EXT", "MAN"}) {
    EXPECT_EQ(Ask("SYSTem:SOUR " + source), "OK");
    EXPECT_EQ(Ask("SYSTem:SOUR?"), source);
  }
  for (const std::string tone : {"OFF", "SHO", "LON"}) {
    EXPECT_EQ(Ask("SYSTem:BEEPer:PASS " + tone), "OK");
    EXPECT_EQ(Ask("SYSTem:BEEPer:PASS?"), tone);
  }
  EXPECT_EQ(Ask("SYSTem:BEEPer:FAIL SHO"), "OK");
  EXPECT_EQ(Ask("SYSTem:BEEPer:FAIL?"), "SHO");
  EXPECT_EQ(Ask("SYSTem:BEEPer:PASS?"), "LON");  // the two tones are separate settings
  EXPECT_EQ(Ask("SYSTem:STARt?"), "DEFault");
  EXPECT_EQ(Ask("SYSTem:STARt 1"), "OK");
  EXPECT_EQ(Ask("SYSTem:STARt?"), "LAST");
  EXPECT_EQ(Ask("SYSTem:SOUR BUS"), "exec err");
  EXPECT_EQ(Ask("SYSTem:BEEPer:FAIL MID"), "exec err");
}

TEST_F(QueriesTest, HeadersInShortLongAndAnyCaseFormButNothingElse) {
  EXPECT_EQ(Ask("FUNC:IMP:A?"), "C");
  EXPECT_EQ(Ask("function:impedance:a?"), "C");
  EXPECT_EQ(Ask(":FUNCtion:IMPedance:EQU?"), "SER");
  EXPECT_EQ(Ask("freq:cw?\r"), "1000");  // a terminal's CR before the line feed is ignored
  EXPECT_EQ(Ask("COMP:TOL:RANG:2ndl?"), "--");
  EXPECT_EQ(Ask("FUNCT:IMP:A?"), "cmd err");  // neither the short nor the long form
  EXPECT_EQ(Ask("FUNC:IMP?"), "cmd err");
  EXPECT_EQ(Ask("*IDN"), "cmd err");  // a query only
  EXPECT_EQ(Ask("FETCH:INT"), "cmd err");
  EXPECT_EQ(Ask("FUNC:COMV 1"), "cmd err");
  EXPECT_EQ(Ask(""), "cmd err");
  EXPECT_EQ(Ask("\xEF\xBF\xBD?"), "cmd err");  // undecodable bytes arrive as U+FFFD
  EXPECT_EQ(Ask("FREQ::CW?"), "cmd err");
}

TEST_F(QueriesTest, ParameterProblemsAreExecutionErrors) {
  EXPECT_EQ(Ask("APERture"), "exec err");  // missing
  EXPECT_EQ(Ask("APERture QUICK"), "exec err");
  EXPECT_EQ(Ask("*IDN? please"), "exec err");  // where none is taken
  EXPECT_EQ(Ask("SYSTem:REMote NOW"), "exec err");
  EXPECT_EQ(Ask("FREQuency:CW 1k"), "exec err");
  EXPECT_EQ(Ask("FREQuency:CW 1e3"), "OK");
  EXPECT_EQ(Ask("FREQuency:CW 1000Hz"), "OK");
  EXPECT_EQ(Ask("DISPlay:PAGE LIST"), "exec err");
  EXPECT_EQ(Ask("KEYS 50"), "exec err");
  EXPECT_EQ(Ask("KEYS x"), "exec err");
}

TEST_F(QueriesTest, FreeValueModelsTakeAnyWholeValueInTheirRange) {
  const std::tuple<std::string, int> models[] = {
      {"LX3101", 10000}, {"LX3102", 20000}, {"LX3110", 100000}};
  for (const auto& [model, top] : models) {
    MakeWith(model, "capacitor");
    EXPECT_EQ(Ask("FREQuency:CW 10"), "OK") << model;
    EXPECT_EQ(Ask("FREQuency:CW 9"), "exec err") << model;
    EXPECT_EQ(Ask("FREQuency:CW " + std::to_string(top)), "OK") << model;
    EXPECT_EQ(Ask("FREQuency:CW " + std::to_string(top + 1)), "exec err") << model;
    EXPECT_EQ(Ask("FREQuency:CW 1234"), "OK") << model;
    EXPECT_EQ(Ask("FREQuency:CW?"), "1234") << model;
    EXPECT_EQ(Ask("VOLTage:LEVel 100"), "OK") << model;
    EXPECT_EQ(Ask("VOLTage:LEVel 2000"), "OK") << model;
    EXPECT_EQ(Ask("VOLTage:LEVel 99"), "exec err") << model;
    EXPECT_EQ(Ask("VOLTage:LEVel 2001"), "exec err") << model;
    EXPECT_EQ(Ask("VOLTage:LEVel 750"), "OK") << model;
    EXPECT_EQ(Ask("*LX?"), model.substr(2));
  }
}

TEST_F(QueriesTest, ListModelsTakeOnlyTheirListedFrequenciesAndLevels) {
  MakeWith("LX2101", "capacitor");
  for (const int hz : {100, 120, 200, 400, 800, 1000, 2000, 4000, 8000, 10000}) {
    EXPECT_EQ(Ask("FREQuency:CW " + std::to_string(hz)), "OK") << hz;
  }
  for (const int hz : {10, 1234, 15000, 20000, 100000}) {
    EXPECT_EQ(Ask("FREQuency:CW " + std::to_string(hz)), "exec err") << hz;
  }
  EXPECT_EQ(Ask("FREQuency:CW?"), "10000");  // refusals leave the last good one
  for (const int mv : {100, 300, 600, 1000, 1500, 2000}) {
    EXPECT_EQ(Ask("VOLTage:LEVel " + std::to_string(mv)), "OK") << mv;
  }
  EXPECT_EQ(Ask("VOLTage:LEVel 750"), "exec err");
  EXPECT_EQ(Ask("VOLTage:LEVel?"), "2000");

  MakeWith("LX2102", "capacitor");
  EXPECT_EQ(Ask("FREQuency:CW 15000"), "OK");
  EXPECT_EQ(Ask("FREQuency:CW 20000"), "OK");
  EXPECT_EQ(Ask("FREQuency:CW 40000"), "exec err");
  MakeWith("LX2110", "capacitor");
  for (const int hz : {40000, 50000, 80000, 100000}) {
    EXPECT_EQ(Ask("FREQuency:CW " + std::to_string(hz)), "OK") << hz;
  }
}

TEST_F(QueriesTest, LevelBiasAndFrequencyAreFixedOutsideTheImpedanceMode) {
  EXPECT_EQ(Ask("VOLTage:LEVel 600"), "OK");
  EXPECT_EQ(Ask("KEYS 37"), "OK");  // DC resistance
  EXPECT_EQ(Ask("VOLTage:LEVel?"), "0");
  EXPECT_EQ(Ask("BIAS:VOLTage:LEVel?"), "1500");
  EXPECT_EQ(Ask("FREQuency:CW?"), "0");
  EXPECT_EQ(Ask("VOLTage:LEVel 600"), "exec err");
  EXPECT_EQ(Ask("BIAS:VOLTage:LEVel 0"), "exec err");
  EXPECT_EQ(Ask("FREQuency:CW 100"), "exec err");
  EXPECT_EQ(Ask("KEYS 17"), "OK");  // electrolytic capacitor
  EXPECT_EQ(Ask("VOLTage:LEVel?"), "1000");
  EXPECT_EQ(Ask("BIAS:VOLTage:LEVel?"), "1500");
  EXPECT_EQ(Ask("FREQuency:CW 120"), "OK");
  EXPECT_EQ(Ask("FREQuency:CW?"), "120");
  EXPECT_EQ(Ask("KEYS 17"), "OK");  // back to the impedance mode, settings as they were
  EXPECT_EQ(Ask("VOLTage:LEVel?"), "600");
}

TEST_F(QueriesTest, ResetRestoresThePowerOnState) {
  Ask("FREQuency:CW 120");
  Ask("KEYS 49");
  Ask("COMParator:STATe ON");
  EXPECT_EQ(Ask("*RST"), "OK");
  EXPECT_EQ(Ask("FREQuency:CW?"), "1000");
  EXPECT_EQ(Ask("FUNCtion:IMPedance:A?"), "C");
  EXPECT_EQ(Ask("COMParator:STATe?"), "OFF");
}

}  // namespace
}  // namespace benchbridge::sim::testing
