#include "instrument.h"

namespace benchbridge::sim {

Instrument::Instrument(InstrumentOptions options, Clock& clock, NoiseSource& noise)
    : core_(std::move(options), clock, noise) {
  AddMeasurementCommands(table_);
  AddStatisticsCommands(table_);
  AddComparatorCommands(table_);
  AddListCommands(table_);
  AddSystemCommands(table_);
}

std::string Instrument::Handle(std::string_view line) { return table_.Dispatch(core_, line); }

}  // namespace benchbridge::sim
