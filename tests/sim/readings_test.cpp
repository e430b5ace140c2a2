// The reading as "FETCH:INT?" gives it: names, values and units of each function, cut with the
// panel's own SplitReading; the physics behind the values; noise, statistics, deviation and the
// trigger.

#include "instrument_fixture.h"
#include "quantity.h"
#include "si_format.h"

namespace benchbridge::sim::testing {
namespace {

using ReadingsTest = InstrumentTest;

struct Case {
  std::string dut;
  std::vector<std::string> setup;
  std::string reply;
};

TEST_F(ReadingsTest, EachFunctionReadsWithItsNamesAndUnits) {
  // Noiseless readings at 1 kHz. Ω is U+03A9 (GBK A6 B8 on the wire), θ U+03B8. The capacitor's
  // leakage of 100 GΩ shows in the last digits of Q, ESR and Rp.
  const Case cases[] = {
      {"capacitor", {}, "Cs,10.000nF,D,0.00200"},
      {"capacitor", {"FUNC:IMP:B Q"}, "Cs,10.000nF,Q,499.96"},
      {"capacitor", {"FUNC:IMP:B THR"}, "Cs,10.000nF,θ,-89.885deg"},
      {"capacitor", {"FUNC:IMP:B ESR"}, "Cs,10.000nF,ESR,31.834Ω"},
      {"capacitor", {"FUNC:IMP:EQU PAL"}, "Cp,10.000nF,D,0.00200"},
      {"capacitor", {"FUNC:IMP:A R", "FUNC:IMP:EQU PAL"}, "Rp,7.9571MΩ,X,-15.916kΩ"},
      {"capacitor", {"FUNC:IMP:A Z"}, "Z,15.916kΩ,θ,-89.885deg"},
      {"capacitor", {"FUNC:IMP:A AUTO"}, "Cp,10.000nF,D,0.00200"},  // high impedance: parallel
      {"capacitor", {"FUNC:IMP:A DCR"}, "R,OVER,,"},  // beyond the DC range, as a meter shows it
      {"inductor", {}, "Ls,1.0000mH,Q,10.000"},
      {"inductor", {"FUNC:IMP:EQU PAL"}, "Lp,1.0100mH,Q,10.000"},
      {"inductor", {"FREQ:CW 100"}, "Ls,1.0000mH,Q,1.0000"},
      {"inductor", {"FUNC:IMP:A DCR"}, "R,628.32mΩ,,"},
      {"resistor", {}, "Rs,1.0000kΩ,X,125.66uΩ"},
      {"resistor", {"FUNC:IMP:A AUTO"}, "Rs,1.0000kΩ,X,125.66uΩ"},
      {"electrolytic", {}, "Cs,100.00uF,ESR,500.00mΩ"},
      {"electrolytic", {"FREQ:CW 120", "KEYS 33"}, "Cs,100.00uF,D,0.03770"},
  };
  for (const Case& c : cases) {
    MakeWith("LX3110", c.dut);
    for (const std::string& command : c.setup) ASSERT_EQ(Ask(command), "OK") << command;
    EXPECT_EQ(Ask("FETCH:INT?"), c.reply) << c.dut << " " << ::testing::PrintToString(c.setup);
  }
}

TEST_F(ReadingsTest, PanelCutsTheReadingIntoItsSixTexts) {
  MakeWith("LX3102", "resistor");
  EXPECT_EQ(Fetch(), (Reading{"Rs", "1.0000", "kΩ", "X", "125.66", "μΩ"}));
  MakeWith("LX3102", "capacitor:C=4.7u,D=0.01");
  EXPECT_EQ(Fetch(), (Reading{"Cs", "4.7000", "μF", "D", "0.01000", ""}));
  Ask("FUNC:IMP:B THR");
  EXPECT_EQ(Fetch(), (Reading{"Cs", "4.7000", "μF", "θ", "-89.427", "deg"}));
  Ask("KEYS 37");
  EXPECT_EQ(Fetch(), (Reading{"R", "", "OVER", "", "", ""}));
}

TEST_F(ReadingsTest, BiasLowersACeramicCapacitance) {
  Ask("BIAS:VOLTage:LEVel 1500");
  EXPECT_EQ(Fetch().primaryValue, "9.7750");
  Ask("BIAS:VOLTage:LEVel 0");
  EXPECT_EQ(Fetch().primaryValue, "10.000");
}

TEST_F(ReadingsTest, PartsForSweepsResonateAndLoseCapacitanceUnderBias) {
  // 470 uF with 15 nH resonates at 1/(2 pi sqrt(LC)) = 59.941 kHz, where only the ESR (and the
  // D of 0.002) is left; below it reads capacitive, above it inductive.
  MakeWith("LX3110", "capacitor:C=470u,ESR=30m,ESL=15n");
  Ask("FUNC:IMP:A Z");
  const std::pair<std::string, std::string> capacitor[] = {{"1000", "Z,339.92mΩ,θ,-84.822deg"},
                                                           {"59941", "Z,30.011mΩ,θ,-0.00008deg"},
                                                           {"100000", "Z,30.608mΩ,θ,11.378deg"}};
  for (const auto& [hz, reply] : capacitor) {
    Ask("FREQ:CW " + hz);
    EXPECT_EQ(Ask("FETCH:INT?"), reply) << hz;
  }
  // 10 mH across 1 nF of winding: 50.329 kHz, where it reads X^2 / RW = 2 MΩ, nearly real.
  MakeWith("LX3110", "inductor:L=10m,RW=5,CW=1n");
  Ask("FUNC:IMP:A Z");
  Ask("FREQ:CW 50329");
  EXPECT_EQ(Ask("FETCH:INT?"), "Z,2.0000MΩ,θ,0.21484deg");
  EXPECT_EQ(Ask("FUNC:IMP:A DCR"), "OK");
  EXPECT_EQ(Ask("FETCH:INT?"), "R,5.0000Ω,,");
  // A class-II ceramic: 40 % gone at full bias, C0 / (1 + k V^2) between.
  MakeWith("LX3110", "ceramic");
  const std::pair<std::string, std::string> bias[] = {
      {"0", "1.0000"}, {"750", "857.14"}, {"1500", "600.00"}};
  for (const auto& [mv, value] : bias) {
    Ask("BIAS:VOLTage:LEVel " + mv);
    EXPECT_EQ(Fetch().primaryValue, value) << mv;
  }
}

TEST_F(ReadingsTest, NoiseShrinksWithASlowerSpeedAndAHigherLevel) {
  // One noise sample of ten deviations on every reading, so each reading shows the size of it.
  MakeWith("LX3102", "resistor", {10.0, 0.0});
  const std::pair<std::string, std::string> speeds[] = {
      {"FAST", "1.0040"}, {"MEDium", "1.0015"}, {"SLOW", "1.0005"}};
  for (const auto& [speed, value] : speeds) {
    Ask("APERture " + speed);
    Wait(1);
    EXPECT_EQ(Fetch().primaryValue, value) << speed;
  }
  Ask("APERture MED");
  Ask("VOLTage:LEVel 2000");
  EXPECT_EQ(Fetch().primaryValue, "1.0011");
}

TEST_F(ReadingsTest, TheMeterMeasuresOncePerPeriodWhileItTriggersItself) {
  MakeWith("LX3102", "resistor:R=100", {0.0, 0.0, 10.0, 0.0});
  Ask("KEYS 37");  // DC resistance: one noise sample per reading
  const std::string first = Ask("FETCH:INT?");
  EXPECT_EQ(Ask("FETCH:INT?"), first);  // asked again before the next reading is due
  Wait(1);
  EXPECT_EQ(Ask("FETCH:INT?"), "R,100.00Ω,,");
  Wait(1);
  EXPECT_EQ(Ask("FETCH:INT?"), "R,100.15Ω,,");
}

TEST_F(ReadingsTest, ManualTriggerHoldsTheReadingUntilTriggered) {
  MakeWith("LX3102", "resistor", {0.0, 10.0});
  Ask("KEYS 37");
  Ask("SYSTem:SOUR MAN");
  EXPECT_EQ(Ask("FETCH:INT?"), "R,1.0000kΩ,,");
  Wait(10);
  EXPECT_EQ(Ask("FETCH:INT?"), "R,1.0000kΩ,,");
  EXPECT_EQ(Ask("*TRG"), "OK");
  EXPECT_EQ(Ask("FETCH:INT?"), "R,1.0015kΩ,,");
}

TEST_F(ReadingsTest, StatisticsCoverTheReadingsSinceSwitchedOn) {
  // Readings of 1000, 1001.5, 998.5, 1000.75 Ω, in a loop.
  MakeWith("LX3102", "resistor", {0.0, 10.0, -10.0, 5.0});
  Ask("KEYS 37");
  EXPECT_EQ(Ask("FETCH:INT?"), "R,1.0000kΩ,,");
  EXPECT_EQ(Ask("FUNCtion:COMV?"), "exec err");  // off
  EXPECT_EQ(Ask("FUNCtion:COM MAX"), "OK");
  EXPECT_EQ(Ask("FUNCtion:COMV?"), "1.0000kΩ");  // counts the reading on display at once
  Wait(3);
  EXPECT_EQ(Ask("FUNCtion:COMV?"), "1.0015kΩ");
  EXPECT_EQ(Ask("FUNCtion:COM MIN"), "OK");  // starts afresh from 1000.75
  Wait(2);                                   // 1000, 1001.5
  EXPECT_EQ(Ask("FUNCtion:COMV?"), "1.0000kΩ");
  EXPECT_EQ(Ask("FUNCtion:COM AVG"), "OK");  // 1001.5
  Wait(2);                                   // 998.5, 1000.75
  EXPECT_EQ(Ask("FUNCtion:COMV?"), FormatQuantity(Quantity::Rdc, (1001.5 + 998.5 + 1000.75) / 3));
  EXPECT_EQ(Ask("FUNCtion:COM?"), "AVG");
  EXPECT_EQ(Ask("FUNCtion:COM OFF"), "OK");
  EXPECT_EQ(Ask("FUNCtion:COMV?"), "exec err");
  EXPECT_EQ(Ask("FUNCtion:COM MEAN"), "exec err");
}

TEST_F(ReadingsTest, StatisticsStartAgainWhenTheParameterChanges) {
  MakeWith("LX3102", "resistor");
  Ask("FUNCtion:COM MAX");
  EXPECT_EQ(Ask("FUNCtion:COMV?"), "1.0000kΩ");
  Ask("FUNC:IMP:A C");  // a resistor read as a capacitance: a huge negative value
  const std::string capacitance = Fetch().primaryUnit;
  EXPECT_EQ(SplitReading("x," + Ask("FUNCtion:COMV?") + ",y,").primaryUnit, capacitance);
}

TEST_F(ReadingsTest, DeviationShowsTheChangeSinceSwitchOn) {
  MakeWith("LX3102", "resistor", {0.0, 10.0});
  Ask("KEYS 37");
  EXPECT_EQ(Ask("FETCH:INT?"), "R,1.0000kΩ,,");
  EXPECT_EQ(Ask("FUNCtion:DEV:MODE ON"), "OK");
  EXPECT_EQ(Ask("FUNCtion:DEV:MODE?"), "ON");
  EXPECT_EQ(Ask("FETCH:INT?"), "R,0.0000Ω,,");
  Wait(1);
  EXPECT_EQ(Ask("FETCH:INT?"), "R,1.5000Ω,,");
  EXPECT_EQ(Ask("FUNCtion:DEV:MODE OFF"), "OK");
  EXPECT_EQ(Ask("FETCH:INT?"), "R,1.0015kΩ,,");
  Ask("FUNCtion:DEV:MODE ON");
  Ask("KEYS 37");  // another parameter: the reference means nothing any more
  EXPECT_EQ(Ask("FUNCtion:DEV:MODE?"), "OFF");
}

}  // namespace
}  // namespace benchbridge::sim::testing
