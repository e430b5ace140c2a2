#pragma once
// What the sweep window needs from the panel: the line, taken for the sweep and given back, what
// the meter is and is set to, the readback after a sweep, and the export header.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "csv_export.h"
#include "lease_sweep_line.h"
#include "sweep_plan.h"
#include "sweep_runner.h"

namespace benchbridge {

// The meter as the panel knows it when a sweep is set up.
struct SweepMeter {
  bool connected = false;
  std::string model;  // "LX3110"
  // What the meter takes for each swept setting (the model's items or its entry range).
  SweepLimits frequency, level, bias;
  // The settings as the panel shows them; nullopt where it shows none (the meter is asked).
  std::optional<int> frequencyHz, levelMv, biasMv;
};

class SweepHost {
 public:
  virtual ~SweepHost() = default;
  virtual SweepMeter Meter() const = 0;
  // The line for a sweep, or null when there is none to take (not connected, already taken).
  // takenBack is called on the window's thread if the line is taken back before GiveBack
  // (line lost, disconnect, close).
  virtual std::unique_ptr<SweepLine> TakeLine(std::function<void()> takenBack) = 0;
  // The operator's keys on the panel: locked while a sweep runs.
  virtual void SetSweeping(bool sweeping) = 0;
  // After a sweep that had the line to its end: the panel reads the meter's settings again.
  virtual void ReadBack() = 0;
  virtual CsvContext ExportContext() const = 0;
};

}  // namespace benchbridge
