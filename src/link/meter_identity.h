#pragma once
// Who the meter is, as it tells it: the "*IDN?" reply (maker, model, version, -, serial) and the
// "*LX?" model number. Parsed once, here; the connect sequence and the check of a meter that
// comes back after a lost line both use it.

#include <string>
#include <vector>

namespace benchbridge {

struct MeterIdentity {
  std::string reply;                          // "*IDN?" as it came
  std::vector<std::string> fields;            // its comma-separated fields, untrimmed
  std::string maker, model, version, serial;  // trimmed; empty unless complete
  std::string modelName;                      // "LX" + the "*LX?" reply, once asked

  // Nothing is known (the line went before "*IDN?" was answered): any meter will do.
  bool Unknown() const { return model.empty() && serial.empty(); }
  // The same meter: model and serial match.
  bool SameMeter(const MeterIdentity& other) const {
    return model == other.model && serial == other.serial;
  }

  // All five fields were there: without the serial the identity is unusable.
  bool complete = false;
};

MeterIdentity ParseIdentity(const std::string& idnReply);

}  // namespace benchbridge
