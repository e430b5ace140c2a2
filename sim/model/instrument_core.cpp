#include "instrument_core.h"

namespace benchbridge::sim {
namespace {

// The function a component is usually measured with.
FunctionState FunctionFor(DutKind kind) {
  FunctionState function;
  switch (kind) {
    case DutKind::Capacitor:
      break;
    case DutKind::Inductor:
      function.SetPrimary(Primary::L);
      break;
    case DutKind::Resistor:
      function.SetPrimary(Primary::R);
      break;
    case DutKind::Electrolytic:
      function.SetMode(BridgeMode::Ecap);
      function.SetSecondary(Secondary::Esr);
      break;
  }
  return function;
}

double RatedValue(const Dut& dut) {
  switch (dut.kind) {
    case DutKind::Inductor:
      return dut.inductance;
    case DutKind::Resistor:
      return dut.resistance;
    default:
      return dut.capacitance;
  }
}

}  // namespace

InstrumentCore::InstrumentCore(InstrumentOptions options, Clock& clock, NoiseSource& noise)
    : options_(std::move(options)), clock_(clock), meter_(options_.dut, noise) {
  Reset();
}

void InstrumentCore::Reset() {
  settings = Settings{};
  function = FunctionFor(options_.dut.kind);
  statistics.Start(StatisticMode::Off);
  // Set up as if the operator had sorted parts of this value before: bins of 1, 5 and 10 %.
  comparator = Comparator{};
  comparator.nominal = RatedValue(options_.dut);
  comparator.percent = {-1.0, 1.0, -5.0, 5.0, -10.0, 10.0};
  list = ListSweep{};
  deviationOn = false;
  deviationReference = 0.0;
  latest_.reset();
  stale_ = true;
}

Conditions InstrumentCore::Effective() const {
  Conditions conditions;
  conditions.aperture = settings.aperture;
  switch (function.Mode()) {
    case BridgeMode::Dcr:
      conditions.frequencyHz = 0.0;
      conditions.levelMv = 0.0;
      conditions.biasMv = 0.0;
      break;
    case BridgeMode::Ecap:
      conditions.frequencyHz = settings.frequencyHz;
      conditions.levelMv = 1000.0;
      conditions.biasMv = 1500.0;
      break;
    case BridgeMode::Lcr:
      conditions.frequencyHz = settings.frequencyHz;
      conditions.levelMv = settings.levelMv;
      conditions.biasMv = settings.biasMv;
      break;
  }
  return conditions;
}

void InstrumentCore::TakeReading() {
  latest_ = meter_.Take(function, Effective());
  statistics.Add(latest_->primaryValue);
}

const Measurement& InstrumentCore::Latest() {
  const Clock::TimePoint now = clock_.Now();
  if (!latest_ || stale_) {
    TakeReading();
    stale_ = false;
    schedule_.Restart(now);
  } else if (settings.trigger == TriggerSource::Internal) {
    const int due = schedule_.Due(now, MeasurementPeriod(settings.aperture));
    for (int reading = 0; reading < due; ++reading) TakeReading();
  }
  return *latest_;
}

void InstrumentCore::Trigger() {
  TakeReading();
  stale_ = false;
  schedule_.Restart(clock_.Now());
  if (!list.on) return;
  for (const int index : list.PointsToTrigger()) MeasureListPoint(index);
}

void InstrumentCore::FunctionChanged() {
  stale_ = true;
  statistics.Start(statistics.Mode());
  deviationOn = false;
}

void InstrumentCore::MeasureListPoint(int index) {
  ListPoint& point = list.points[index];
  if (!point.frequencyHz || !function.ListApplies()) return;
  Conditions conditions = Effective();
  conditions.frequencyHz = *point.frequencyHz;
  const Measurement measurement = meter_.Take(function, conditions);
  point.measured = measurement.primary;
  point.value = measurement.primaryValue;
}

}  // namespace benchbridge::sim
