// The function keys step through their choices like the meter's own keys, and the function
// queries tell the panel what is measured now.

#include <vector>

#include "instrument_fixture.h"

namespace benchbridge::sim::testing {
namespace {

using FunctionKeysTest = InstrumentTest;

struct Function {
  std::string a, b, equivalent;
  bool operator==(const Function&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Function& f) {
  return out << f.a << "/" << f.b << "/" << f.equivalent;
}

class Keys : public FunctionKeysTest {
 protected:
  Function Now() { return {Ask("FUNC:IMP:A?"), Ask("FUNC:IMP:B?"), Ask("FUNC:IMP:EQU?")}; }
  // Presses the key and notes what the function queries answer after each press.
  std::vector<Function> Press(int key, int times) {
    std::vector<Function> seen;
    for (int press = 0; press < times; ++press) {
      EXPECT_EQ(Ask("KEYS " + std::to_string(key)), "OK");
      seen.push_back(Now());
    }
    return seen;
  }
};

TEST_F(Keys, FunctionKeyStepsThroughAutoRCLZWithEachPrimarysSecondary) {
  // The capacitor on the fixture makes the automatic choice C with D.
  EXPECT_EQ(Press(49, 5), (std::vector<Function>{{"L", "Q", "SER"},
                                                 {"Z", "THR", "SER"},
                                                 {"AUTO", "D", "AUTO"},
                                                 {"R", "X", "SER"},
                                                 {"C", "D", "SER"}}));
}

TEST_F(Keys, SecondaryKeyOffersWhatSuitsThePrimary) {
  EXPECT_EQ(Press(33, 4),
            (std::vector<Function>{
                {"C", "Q", "SER"}, {"C", "THR", "SER"}, {"C", "ESR", "SER"}, {"C", "D", "SER"}}));
  Ask("KEYS 49");
  Ask("KEYS 49");
  Ask("KEYS 49");
  Ask("KEYS 49");  // R
  EXPECT_EQ(Press(33, 3),
            (std::vector<Function>{{"R", "Q", "SER"}, {"R", "THR", "SER"}, {"R", "X", "SER"}}));
}

TEST_F(Keys, CircuitKeyStepsAutoSeriesParallel) {
  EXPECT_EQ(Press(18, 3),
            (std::vector<Function>{{"C", "D", "PAL"}, {"C", "D", "AUTO"}, {"C", "D", "SER"}}));
}

TEST_F(Keys, SecondaryAndCircuitKeysDoNotApplyToAutoOrDcr) {
  Ask("KEYS 49");
  Ask("KEYS 49");
  Ask("KEYS 49");  // AUTO
  EXPECT_EQ(Ask("KEYS 33"), "exec err");
  EXPECT_EQ(Ask("KEYS 18"), "exec err");
  Ask("KEYS 37");
  EXPECT_EQ(Ask("KEYS 33"), "exec err");
  EXPECT_EQ(Ask("KEYS 18"), "exec err");
}

TEST_F(Keys, CapacitorAndDcrKeysSwitchTheirModeOnAndOff) {
  EXPECT_EQ(Press(17, 1), (std::vector<Function>{{"ECAP", "D", "SER"}}));
  EXPECT_EQ(Press(33, 2), (std::vector<Function>{{"ECAP", "ESR", "SER"}, {"ECAP", "D", "SER"}}));
  EXPECT_EQ(Press(18, 1), (std::vector<Function>{{"ECAP", "D", "PAL"}}));
  // DC resistance from the electrolytic mode, and back to where it came from.
  EXPECT_EQ(Press(37, 1), (std::vector<Function>{{"DCR", "D", "SER"}}));
  EXPECT_EQ(Press(37, 1), (std::vector<Function>{{"ECAP", "D", "PAL"}}));
  EXPECT_EQ(Press(17, 1), (std::vector<Function>{{"C", "D", "SER"}}));
  // The function key brings the impedance mode back without stepping.
  Ask("KEYS 37");
  EXPECT_EQ(Press(49, 1), (std::vector<Function>{{"C", "D", "SER"}}));
}

TEST_F(Keys, FunctionCanAlsoBeSetByCommand) {
  EXPECT_EQ(Ask("FUNC:IMP:A L"), "OK");
  EXPECT_EQ(Now(), (Function{"L", "Q", "SER"}));
  EXPECT_EQ(Ask("FUNC:IMP:B THR"), "OK");
  EXPECT_EQ(Ask("FUNC:IMP:B X"), "exec err");  // an inductance with a reactance is not offered
  EXPECT_EQ(Ask("FUNC:IMP:EQU PAL"), "OK");
  EXPECT_EQ(Now(), (Function{"L", "THR", "PAL"}));
  EXPECT_EQ(Ask("FUNC:IMP:A DCR"), "OK");
  EXPECT_EQ(Ask("FUNC:IMP:A?"), "DCR");
  EXPECT_EQ(Ask("FUNC:IMP:A Y"), "exec err");
}

TEST_F(Keys, EachComponentStartsInItsUsualFunction) {
  const std::pair<std::string, std::string> starts[] = {
      {"inductor", "Ls,"}, {"resistor", "Rs,"}, {"electrolytic", "Cs,"}};
  for (const auto& [dut, name] : starts) {
    MakeWith("LX3102", dut);
    EXPECT_TRUE(Ask("FETCH:INT?").starts_with(name)) << dut;
  }
  EXPECT_EQ(Ask("FUNC:IMP:A?"), "ECAP");
  EXPECT_EQ(Ask("FUNC:IMP:B?"), "ESR");
}

}  // namespace
}  // namespace benchbridge::sim::testing
