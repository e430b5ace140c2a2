#pragma once
// The simulated meter as its serial interface sees it: one command line in, one reply line out.
// Texts are UTF-8 here; the server turns them into the GBK of the wire.

#include <string>
#include <string_view>

#include "clock_noise.h"
#include "command_table.h"
#include "instrument_core.h"

namespace benchbridge::sim {

class Instrument {
 public:
  // The clock and the noise source must outlive the instrument.
  Instrument(InstrumentOptions options, Clock& clock, NoiseSource& noise);

  // The reply to one command line (without line feed; a trailing CR is ignored), without CR LF.
  std::string Handle(std::string_view line);

  // For tests and the start-up line: what the meter holds.
  InstrumentCore& Core() { return core_; }

 private:
  InstrumentCore core_;
  CommandTable table_;
};

}  // namespace benchbridge::sim
