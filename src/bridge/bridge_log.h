#pragma once
// The bridge's own daily log, log/yyyy-mm-dd_bridge.log: where it listens (or why it cannot),
// who connected, was refused or left, every exchange a client made with its duration, and every
// line refused, each line with the usual time stamp. The two design logs never see client
// traffic.
//
// Bytes that are no text (control bytes, broken UTF-8 from a client or the meter) are written as
// \xNN, so the log stays a text file. A client's disconnect line never comes before the exchange
// it had on the wire: it waits for it. A day's file stops growing at kDayLimit (one line says so;
// a client polling flat out over a 9600-baud line writes about 200 MB a day), so a forgotten
// script cannot fill the disk; the next day starts a new file.
//
// Thread-safe: the io thread writes most lines, the exchange thread the last ones after a stop.

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "log_writer.h"

namespace benchbridge {

class BridgeLog {
 public:
  static constexpr const char* kSuffix = "_bridge";
  static constexpr std::uintmax_t kDayLimit = std::uintmax_t{20} * 1024 * 1024;
  // Refused lines are quoted up to this many bytes.
  static constexpr std::size_t kQuoteLimit = 80;

  explicit BridgeLog(LogWriter& writer) : writer_(writer) {}

  void Listening(std::string_view where);
  void ListenFailed(std::string_view why);
  void Stopped(std::string_view where);
  void Connected(std::string_view peer, int clients);
  void ClientRefused(std::string_view peer, std::string_view why);
  // exchangeOnWire: the client's last command is still with the meter; the line is written
  // after that exchange's.
  void Disconnected(std::uint64_t client, std::string_view peer, std::string_view why,
                    bool exchangeOnWire);
  // An empty reply (the meter said nothing) is written as "(no reply)".
  void Exchange(std::uint64_t client, std::string_view peer, std::string_view command,
                std::string_view reply, std::chrono::milliseconds took);
  void LineRefused(std::string_view peer, std::string_view line, std::string_view why);
  // The disconnect lines still waiting for an exchange that will not come (the bridge stopped
  // before it was sent).
  void FlushWaiting();

 private:
  void Write(const std::string& line);
  void WriteLocked(const std::string& line);

  LogWriter& writer_;
  std::mutex mutex_;
  std::map<std::uint64_t, std::string> waiting_;  // client -> its disconnect line
  std::string day_;                               // the day written_ counts for
  std::uintmax_t written_ = 0;
};

// Control bytes, DEL and bytes that are not UTF-8 as \xNN; everything else as it is.
std::string EscapeForLog(std::string_view text);

}  // namespace benchbridge
