#pragma once
// Puts the instrument model on the line: decodes each GBK command line, lets the model answer,
// encodes the reply to GBK with CR LF, and applies the faults of the plan on the way.

#include <string>
#include <vector>

#include "fault_plan.h"
#include "instrument.h"
#include "pty_server.h"

namespace benchbridge::sim {

class InstrumentResponder {
 public:
  // The instrument must outlive the responder.
  InstrumentResponder(Instrument& instrument, std::vector<Fault> faults = {});

  // What goes back for one command line (as received, GBK, without its line feed).
  Response Respond(const std::string& command);

  int CommandsSeen() const { return count_; }

 private:
  bool Has(FaultKind kind, std::string_view command) const;
  const Fault* First(FaultKind kind, std::string_view command) const;

  Instrument& instrument_;
  std::vector<Fault> faults_;
  int count_ = 0;
};

}  // namespace benchbridge::sim
