#pragma once
// Everything the simulated meter holds, and the measuring that the command handlers share.

#include <optional>
#include <string>

#include "clock_noise.h"
#include "comparator.h"
#include "dut.h"
#include "function_state.h"
#include "list_sweep.h"
#include "measurement_schedule.h"
#include "meter.h"
#include "meter_models.h"
#include "settings.h"
#include "statistics.h"

namespace benchbridge::sim {

struct InstrumentOptions {
  ModelInfo model = *FindModel("LX3102");
  Dut dut;
  // "COMParator:STATe?" answers "1"/"0" instead of "ON"/"OFF".
  bool comparatorNumeric = false;
};

class InstrumentCore {
 public:
  InstrumentCore(InstrumentOptions options, Clock& clock, NoiseSource& noise);

  const InstrumentOptions& Options() const { return options_; }

  // Back to the power-on state: settings, function, comparator, list and statistics.
  void Reset();

  // The current reading, brought up to date: while the meter triggers itself it measures once
  // per period; after a change of settings it measures anew.
  const Measurement& Latest();
  // One reading now, as a trigger takes it; with the list sweep on, also its next step.
  void Trigger();
  // A setting changed: the reading on display no longer holds.
  void Invalidate() { stale_ = true; }
  // The function changed: statistics start afresh and deviation ends, since neither means
  // anything across a change of parameter.
  void FunctionChanged();

  // Measures a list point at its frequency, where the point is used and a list applies.
  void MeasureListPoint(int index);

  // The test conditions the bridge applies in the current mode.
  Conditions Effective() const;
  std::complex<double> TrueImpedance() const { return meter_.TrueImpedance(Effective()); }

  Settings settings;
  FunctionState function;
  Statistics statistics;
  Comparator comparator;
  ListSweep list;
  bool deviationOn = false;
  double deviationReference = 0.0;

 private:
  void TakeReading();

  InstrumentOptions options_;
  Clock& clock_;
  Meter meter_;
  MeasurementSchedule schedule_;
  std::optional<Measurement> latest_;
  bool stale_ = true;
};

}  // namespace benchbridge::sim
