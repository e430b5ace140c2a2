#pragma once
// The instrument model on a clock that only moves when told and with noise the test chooses
// (none unless asked), so every reply is known in advance.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "clock_noise.h"
#include "instrument.h"
#include "reading_format.h"

namespace benchbridge::sim::testing {

class InstrumentTest : public ::testing::Test {
 protected:
  void SetUp() override { Make({}); }

  void Make(InstrumentOptions options, std::vector<double> noise = {}) {
    instrument_.reset();
    noise_ = std::make_unique<FixedNoise>(std::move(noise));
    instrument_ = std::make_unique<Instrument>(std::move(options), clock_, *noise_);
  }
  void MakeWith(const std::string& model, const std::string& dut, std::vector<double> noise = {}) {
    InstrumentOptions options;
    options.model = *FindModel(model);
    std::string why;
    options.dut = *ParseDut(dut, &why);
    Make(std::move(options), std::move(noise));
  }

  std::string Ask(std::string_view line) { return instrument_->Handle(line); }
  // The reading cut the way the panel cuts it.
  Reading Fetch() { return SplitReading(Ask("FETCH:INT?")); }
  // Lets the meter take n more readings on its own.
  void Wait(int periods) {
    clock_.Advance(periods * MeasurementPeriod(instrument_->Core().settings.aperture));
  }

  ManualClock clock_;
  std::unique_ptr<FixedNoise> noise_;
  std::unique_ptr<Instrument> instrument_;
};

}  // namespace benchbridge::sim::testing
