#pragma once
// What became of one command transaction: the reply, and why there is none when there is none.

#include <string>

namespace benchbridge {

enum class ExchangeStatus {
  kOk,           // a reply line came back
  kTimeOut,      // written, but nothing complete came back within the reply limit
  kWriteFailed,  // the command could not be written (the line itself is still there)
  kLineLost,     // the line has gone away (now, or before this exchange)
  kAbandoned,    // shutdown abandoned the exchange, or the line was taken back from its holder
  kNoLine,       // nothing to ask on: not connected, or another holder has the line
};

struct ExchangeResult {
  std::string reply;  // empty unless kOk
  ExchangeStatus status = ExchangeStatus::kNoLine;

  bool Ok() const { return status == ExchangeStatus::kOk; }
};

// "ok", "time-out", ...: for log lines and test messages.
const char* ExchangeStatusName(ExchangeStatus status);

}  // namespace benchbridge
