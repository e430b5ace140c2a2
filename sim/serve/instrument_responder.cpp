#include "instrument_responder.h"

#include "gbk.h"

namespace benchbridge::sim {

InstrumentResponder::InstrumentResponder(Instrument& instrument, std::vector<Fault> faults)
    : instrument_(instrument), faults_(std::move(faults)) {}

const Fault* InstrumentResponder::First(FaultKind kind, std::string_view command) const {
  for (const Fault& fault : faults_) {
    if (fault.kind == kind && fault.when.Matches(command, count_)) return &fault;
  }
  return nullptr;
}

bool InstrumentResponder::Has(FaultKind kind, std::string_view command) const {
  return First(kind, command) != nullptr;
}

Response InstrumentResponder::Respond(const std::string& command) {
  ++count_;
  const std::string text = GbkToUtf8(command);
  if (Has(FaultKind::HangUp, text)) {
    Response response;
    response.hangUpAfter = true;
    return response;
  }
  if (Has(FaultKind::Silence, text)) return Response::Silence();

  std::string bytes;
  if (Has(FaultKind::CommandError, text)) {
    bytes = std::string(kCommandError) + "\r\n";
  } else if (Has(FaultKind::ExecutionError, text)) {
    bytes = std::string(kExecutionError) + "\r\n";
  } else {
    bytes = Utf8ToGbk(instrument_.Handle(text)) + "\r\n";
  }
  if (Has(FaultKind::Garbage, text)) bytes = kGarbageReply;
  if (const Fault* longLine = First(FaultKind::LongLine, text)) {
    const std::size_t length = longLine->bytes > 0 ? longLine->bytes : kDefaultLongLine;
    bytes.clear();
    while (bytes.size() < length) bytes += "0123456789";
    bytes.resize(length);
  }

  Response response;
  const Fault* split = First(FaultKind::Split, text);
  if (split && split->bytes > 0) {
    for (std::size_t at = 0; at < bytes.size(); at += split->bytes) {
      const std::chrono::milliseconds gap = at == 0 ? std::chrono::milliseconds(0) : split->time;
      response.pieces.push_back({bytes.substr(at, split->bytes), gap});
    }
  } else {
    response.pieces.push_back({std::move(bytes), std::chrono::milliseconds(0)});
  }
  if (const Fault* delay = First(FaultKind::Delay, text)) {
    response.pieces.front().delayBefore += delay->time;
  }
  if (const Fault* late = First(FaultKind::Late, text)) {
    response.pieces.front().delayBefore += late->time.count() > 0 ? late->time : kDefaultLate;
  }
  if (Has(FaultKind::HangUpAfterReply, text)) {
    // A pty drops what the panel has not read yet when its master closes; a USB adapter pulled
    // out right after a reply would have delivered it. So the line stays up a moment longer.
    response.pieces.push_back({"", kHangUpGrace});
    response.hangUpAfter = true;
  }
  return response;
}

}  // namespace benchbridge::sim
