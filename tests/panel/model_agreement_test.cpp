// The panel and the simulated meter agree about every model: what the panel offers in its level
// and frequency rows, or lets the operator enter, is exactly what the meter accepts.

#include <QComboBox>
#include <set>

#include "clock_noise.h"
#include "instrument.h"
#include "meter_commands.h"
#include "model_abilities.h"
#include "panel_harness.h"
#include "simulated_meter.h"
#include "uFrmSet44.h"

namespace benchbridge::testing {
namespace {

// Every item and range end of every model, with their neighbours.
std::set<int> Candidates() {
  std::set<int> values;
  const auto add = [&](int value) { values.insert({value - 1, value, value + 1}); };
  for (const ModelAbilities& model : KnownModels()) {
    for (const int value : model.frequenciesHz) add(value);
    for (const int value : model.levelsMv) add(value);
    if (model.frequencyRangeHz) {
      add(model.frequencyRangeHz->lowest);
      add(model.frequencyRangeHz->highest);
    }
  }
  for (const IntRange range : {kLevelRangeMv, kBiasRangeMv}) {
    add(range.lowest);
    add(range.highest);
  }
  return values;
}

// The candidates the simulated meter of that model takes for setting (in LCR, where every row
// applies).
std::set<int> MeterAccepts(const std::string& model, const char* setting) {
  sim::InstrumentOptions options;
  options.model = *sim::FindModel(model);
  sim::ManualClock clock;
  sim::FixedNoise noise;
  sim::Instrument meter(options, clock, noise);
  std::set<int> accepted;
  for (const int value : Candidates()) {
    if (meter.Handle(setting + std::to_string(value)).find(command::kExecutionError) ==
        std::string::npos) {
      accepted.insert(value);
    }
  }
  return accepted;
}

// The candidates among a list's items ("1000Hz"), or within a range.
std::set<int> Offered(const QComboBox& list) {
  std::set<int> values;
  for (int i = 0; i < list.count(); ++i) values.insert(list.itemText(i).chopped(2).toInt());
  return values;
}
std::set<int> Offered(const ValueRange& range) {
  std::set<int> values;
  for (const int value : Candidates()) {
    if (value >= range.lowest && value <= range.highest) values.insert(value);
  }
  return values;
}

class ModelAgreementTest : public PanelHarness {
 protected:
  void TearDown() override {
    PanelHarness::TearDown();
    sim_.reset();
  }
  std::unique_ptr<sim::SimulatedMeter> sim_;
};

TEST_F(ModelAgreementTest, ThePanelOffersWhatEveryModelAccepts) {
  for (const std::string& model : sim::ModelNames()) {
    SCOPED_TRACE(model);
    sim_.reset();
    sim::SimulatedMeterOptions options;
    options.comNumber = kMeterCom;
    options.instrument.model = *sim::FindModel(model);
    sim_ = std::make_unique<sim::SimulatedMeter>(home_.Path(), std::move(options));
    if (!panel_) StartPanel();
    ConnectPanel();
    ASSERT_TRUE(panel_->Context().Connected());
    EXPECT_EQ(panel_->Context().State().modelName, model);

    const std::set<int> frequencies = MeterAccepts(model, command::kSetFrequency);
    const std::set<int> levels = MeterAccepts(model, command::kSetLevel);
    const std::optional<ValueRange> entry =
        TFrmSet44::FrequencyRange(panel_->Context().State().modelName);
    if (panel_->cb4->isVisible()) {  // a listed model: the rows are lists
      EXPECT_FALSE(entry.has_value());
      EXPECT_EQ(Offered(*panel_->cb4), frequencies);
      EXPECT_EQ(Offered(*panel_->cb2), levels);
    } else {  // free values: what the entry dialogs take
      ASSERT_TRUE(entry.has_value());
      EXPECT_EQ(Offered(*entry), frequencies);
      EXPECT_EQ(Offered(ValueRange{kLevelRangeMv.lowest, kLevelRangeMv.highest}), levels);
    }
    EXPECT_EQ(Offered(ValueRange{kBiasRangeMv.lowest, kBiasRangeMv.highest}),
              MeterAccepts(model, command::kSetBias));
    PressConnectKey();  // disconnect
    ASSERT_FALSE(panel_->Context().Connected());
  }
}

}  // namespace
}  // namespace benchbridge::testing
