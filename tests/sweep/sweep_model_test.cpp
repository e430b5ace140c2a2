// The sweep's model against the simulated meter's own model in-process (no noise): the plan,
// the exchanges a sweep makes and how each way of ending it ends, the derived quantities against
// the part's physics, and the CSV out and back in.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "clock_noise.h"
#include "instrument.h"
#include "sweep_csv.h"
#include "sweep_runner.h"

namespace benchbridge {
namespace {

TEST(SweepPlanTest, SpacesRoundsAndTakesTheModelsItems) {
  const SweepLimits free{10, 100000, {}};
  SweepPlan plan = PlanSweep({SweptSetting::Frequency, 100, 100000, 51}, free);
  ASSERT_EQ(plan.values.size(), 51u);
  EXPECT_EQ(plan.values[0], 100);
  EXPECT_EQ(plan.values[25], 3162);  // the middle of three decades
  EXPECT_EQ(plan.values[50], 100000);
  // Rounded to whole Hz, 51 points between 10 and 20 Hz are eleven; a downward linear sweep.
  EXPECT_EQ(PlanSweep({SweptSetting::Frequency, 10, 20, 51}, free).values.size(), 11u);
  plan = PlanSweep({SweptSetting::Bias, 1500, 0, 4, SweepSpacing::Linear}, {0, 1500, {}});
  EXPECT_EQ(plan.values, (std::vector<int>{1500, 1000, 500, 0}));
  // A list model: its items between start and stop, every second one.
  const SweepLimits items{0, 0, {100, 120, 200, 400, 800, 1000, 2000, 4000, 8000, 10000}};
  plan = PlanSweep({SweptSetting::Frequency, 110, 9000, 0, SweepSpacing::Linear, 2}, items);
  EXPECT_EQ(plan.values, (std::vector<int>{120, 400, 1000, 4000}));
  for (const SweepRequest& bad : {SweepRequest{SweptSetting::Frequency, 9, 1000, 11},
                                  SweepRequest{SweptSetting::Frequency, 100, 1000, 202},
                                  SweepRequest{SweptSetting::Frequency, 100, 1000, 1}}) {
    EXPECT_FALSE(PlanSweep(bad, free).error.empty()) << bad.start << " " << bad.points;
  }
}

// The simulated meter in-process, with every exchange written down and a fault where asked.
class SweepRunTest : public ::testing::Test, public SweepObserver {
 protected:
  void Make(const std::string& model, const std::string& dut) {
    sim::InstrumentOptions options;
    options.model = *sim::FindModel(model);
    std::string why;
    options.dut = *sim::ParseDut(dut, &why);
    meter_ = std::make_unique<sim::Instrument>(options, clock_, noise_);
  }
  SweepOutcome Run(SweepSetup setup) {
    SweepRunner runner(
        std::move(setup),
        [this](const std::string& command) {
          sent_.push_back(command);
          if (static_cast<int>(sent_.size()) == loseLineAt_)
            return LineAnswer{LineAnswer::Outcome::LineLost, ""};
          if (command == failing_) return LineAnswer{LineAnswer::Outcome::Reply, "exec err"};
          return LineAnswer{LineAnswer::Outcome::Reply, meter_->Handle(command)};
        },
        *this);
    runner_ = &runner;
    return runner.Run();
  }
  void PointTaken(int index, const SweepPoint& point, std::chrono::nanoseconds) override {
    points_.push_back(point);
    if (index == stopAfter_) runner_->RequestStop();
  }
  double TrueValue(sim::Quantity quantity, double hz) {
    meter_->Handle("FREQ:CW " + std::to_string(static_cast<int>(hz)));
    return sim::QuantityValue(quantity, meter_->Core().TrueImpedance(), 2 * M_PI * hz);
  }

  sim::ManualClock clock_;
  sim::FixedNoise noise_;
  std::unique_ptr<sim::Instrument> meter_;
  SweepRunner* runner_ = nullptr;
  std::vector<std::string> sent_;
  std::vector<SweepPoint> points_;
  std::string failing_;
  int stopAfter_ = -1, loseLineAt_ = 0;
};

TEST_F(SweepRunTest, ACapacitorsResonanceAndWhatGoesOnTheLine) {
  Make("LX3110", "capacitor:C=470u,ESR=30m,ESL=15n");
  const std::vector<int> values =
      PlanSweep({SweptSetting::Frequency, 1000, 100000, 41}, {10, 100000, {}}).values;
  const SweepOutcome outcome = Run({SweptSetting::Frequency, values, 2, 1000});
  EXPECT_EQ(outcome.end, SweepEnd::Finished);
  EXPECT_TRUE(outcome.restored);
  // Per point: the setting, a reading thrown away, the two averaged; then back to 1000 Hz.
  ASSERT_EQ(sent_.size(), values.size() * 4 + 1);
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(sent_[4 * i], "FREQuency:CW " + std::to_string(values[i]));
    for (int k = 1; k < 4; ++k) EXPECT_EQ(sent_[4 * i + k], "FETCH:INT?");
  }
  EXPECT_EQ(sent_.back(), "FREQuency:CW 1000");
  EXPECT_EQ(meter_->Handle("FREQ:CW?"), "1000");

  // |Z| from the measured Cs-D pair, against the part's own |Z|, to the meter's five digits;
  // its minimum where 470 uF and 15 nH resonate (59.9 kHz), capacitive below, inductive above.
  SweepRecord record;
  record.points = points_;
  std::size_t lowest = 0;
  std::vector<double> magnitude, phase;
  for (const SweepPoint& point : points_) {
    const auto z = ImpedanceOf(point.Pair(), point.setting);
    ASSERT_TRUE(z) << point.setting;
    magnitude.push_back(
        Derived(DerivedQuantity::Magnitude, *z, point.setting, EquivalentCircuit::Series));
    phase.push_back(Derived(DerivedQuantity::Phase, *z, point.setting, EquivalentCircuit::Series));
    EXPECT_NEAR(magnitude.back() / TrueValue(sim::Quantity::Z, point.setting), 1.0, 2e-4);
    if (magnitude.back() < magnitude[lowest]) lowest = magnitude.size() - 1;
  }
  EXPECT_NEAR(points_[lowest].setting, 59941, 59941 * 0.06);
  EXPECT_LT(phase[lowest - 2], 0);
  EXPECT_GT(phase[lowest + 2], 0);
}

TEST_F(SweepRunTest, ErrorStopAndLostLineEachEndAsTheySay) {
  Make("LX2110", "capacitor");
  const std::vector<int> values{100, 1000, 10000, 100000};
  failing_ = "FREQuency:CW 1000";
  SweepOutcome outcome = Run({SweptSetting::Frequency, values, 1, 120});
  EXPECT_EQ(outcome.end, SweepEnd::Finished);
  ASSERT_EQ(points_.size(), 4u);
  EXPECT_EQ(points_[1].status, PointStatus::ErrorReply);
  EXPECT_EQ(points_[2].status, PointStatus::Measured);
  EXPECT_EQ(sent_.size(), 3 * 3 + 1 + 1u);  // the refused setting takes no readings

  failing_.clear();
  points_.clear();
  sent_.clear();
  stopAfter_ = 1;
  outcome = Run({SweptSetting::Frequency, values, 3, std::nullopt});
  EXPECT_EQ(outcome.end, SweepEnd::Stopped);
  EXPECT_EQ(points_.size(), 2u);
  EXPECT_EQ(sent_.front(), "FREQuency:CW?");  // nothing told the value before: asked
  EXPECT_EQ(sent_.back(), "FREQuency:CW 120");
  EXPECT_TRUE(outcome.restored);

  points_.clear();
  sent_.clear();
  stopAfter_ = -1;
  loseLineAt_ = 6;
  outcome = Run({SweptSetting::Frequency, values, 1, 1000});
  EXPECT_EQ(outcome.end, SweepEnd::LineLost);
  EXPECT_FALSE(outcome.restored);
  EXPECT_EQ(points_.size(), 1u);
  EXPECT_EQ(sent_.size(), 6u);  // nothing more once the line is gone
}

TEST_F(SweepRunTest, ACeramicLosesCapacitanceUnderBias) {
  Make("LX3102", "ceramic:C=1u,LOSS=0.4");
  const std::vector<int> values =
      PlanSweep({SweptSetting::Bias, 0, 1500, 4, SweepSpacing::Linear}, {0, 1500, {}}).values;
  EXPECT_EQ(Run({SweptSetting::Bias, values, 1, 0}).end, SweepEnd::Finished);
  ASSERT_EQ(points_.size(), 4u);
  EXPECT_EQ(sent_.back(), "BIAS:VOLTage:LEVel 0");
  EXPECT_NEAR(points_.front().primary, 1e-6, 1e-10);
  EXPECT_NEAR(points_.back().primary, 0.6e-6, 1e-10);
  EXPECT_GT(points_[1].primary, points_[2].primary);
}

TEST(ImpedancePairTest, EveryPairTheMeterSendsGivesTheImpedanceBack) {
  const double hz = 12345;
  const double omega = 2 * M_PI * hz;
  using Q = sim::Quantity;
  const std::pair<Q, Q> pairs[] = {{Q::Cs, Q::D},     {Q::Cp, Q::D},    {Q::Ls, Q::Q},
                                   {Q::Lp, Q::Q},     {Q::Cs, Q::Esr},  {Q::Cp, Q::Esr},
                                   {Q::Rs, Q::Xs},    {Q::Rp, Q::Xp},   {Q::Z, Q::Theta},
                                   {Q::Cs, Q::Theta}, {Q::Lp, Q::Theta}};
  for (const std::complex<double> z : {std::complex<double>(3.0, -250.0), {0.5, 40.0}}) {
    for (const auto& [primary, secondary] : pairs) {
      const bool capacitive = primary == Q::Cs || primary == Q::Cp;
      if (capacitive != (z.imag() < 0) && primary != Q::Z && primary != Q::Rs && primary != Q::Rp) {
        continue;
      }
      const MeasuredPair pair{
          std::string(sim::QuantityName(primary)), sim::QuantityValue(primary, z, omega),
          std::string(sim::QuantityName(secondary)), sim::QuantityValue(secondary, z, omega)};
      const auto back = ImpedanceOf(pair, hz);
      ASSERT_TRUE(back) << pair.primaryName << "-" << pair.secondaryName;
      EXPECT_NEAR(std::abs(*back - z) / std::abs(z), 0, 1e-9)
          << pair.primaryName << "-" << pair.secondaryName;
      for (const EquivalentCircuit circuit :
           {EquivalentCircuit::Series, EquivalentCircuit::Parallel}) {
        const bool series = circuit == EquivalentCircuit::Series;
        EXPECT_NEAR(Derived(DerivedQuantity::Capacitance, *back, hz, circuit),
                    sim::QuantityValue(series ? Q::Cs : Q::Cp, z, omega),
                    1e-9 * std::abs(sim::QuantityValue(series ? Q::Cs : Q::Cp, z, omega)));
        EXPECT_NEAR(Derived(DerivedQuantity::Resistance, *back, hz, circuit),
                    sim::QuantityValue(series ? Q::Rs : Q::Rp, z, omega), 1e-6);
      }
    }
  }
  EXPECT_FALSE(ImpedanceOf({"R", 5.0, "", NAN}, hz));
}

TEST_F(SweepRunTest, TheExportReadsBackAsTheSameSweep) {
  Make("LX3102", "inductor:L=10m,RW=5,CW=1n");
  SweepRecord record;
  record.setting = SweptSetting::Level;
  record.fixedFrequencyHz = 1000;
  failing_ = "VOLTage:LEVel 1000";
  Run({SweptSetting::Level, {100, 1000, 2000}, 2, 1000});
  record.points = points_;
  record.planned = 3;
  CsvContext context{"LX3102, serial 1", "Ls-Q", {"Level: 1000mV"}, 0, {}, {}};
  std::stringstream file;
  WriteSweepCsv(file, context, record, EquivalentCircuit::Series);
  std::string why;
  const std::optional<SweepRecord> back = ReadSweepCsv(file, &why);
  ASSERT_TRUE(back) << why << "\n" << file.str();
  EXPECT_EQ(back->setting, SweptSetting::Level);
  EXPECT_EQ(back->fixedFrequencyHz, 1000);
  ASSERT_EQ(back->points.size(), 3u);
  EXPECT_EQ(back->MissingCount(), 1);
  EXPECT_EQ(back->points[2].primary, points_[2].primary);
  EXPECT_EQ(back->points[2].secondaryName, "Q");
  EXPECT_NE(file.str().find("\"Ls,10.0"), std::string::npos);  // the replies as sent, quoted
  EXPECT_EQ(file.str().rfind("Level (mV),status,reply,primary,", 0), 0u);  // header first
  for (const std::string bad :
       {"time,primary\r\n1,2\r\n", "Level (mV),status\r\n",
        "Level (mV),status,reply,primary,primary value,primary unit,secondary,secondary value,"
        "secondary unit\r\n1,fine\r\n"}) {
    std::istringstream in(bad);
    EXPECT_FALSE(ReadSweepCsv(in, &why)) << bad;
  }
}

}  // namespace
}  // namespace benchbridge
