#pragma once
// The bridge's own daily log, log/yyyy-mm-dd_bridge.log: who connected, was refused or left, and
// every exchange a client made, each line with the usual time stamp. The two design logs never
// see client traffic.

#include <string>
#include <string_view>

#include "log_writer.h"

namespace benchbridge {

class BridgeLog {
 public:
  static constexpr const char* kSuffix = "_bridge";

  explicit BridgeLog(LogWriter& writer) : writer_(writer) {}

  void Listening(std::string_view where);
  void Stopped(std::string_view where);
  void Connected(std::string_view peer, int clients);
  void Refused(std::string_view peer, std::string_view why);
  void Disconnected(std::string_view peer, std::string_view why);
  // An empty reply (the meter said nothing) is written as "(no reply)".
  void Exchange(std::string_view peer, std::string_view command, std::string_view reply);

 private:
  void Write(const std::string& line) { writer_.WriteLog(line, kSuffix); }
  LogWriter& writer_;
};

}  // namespace benchbridge
