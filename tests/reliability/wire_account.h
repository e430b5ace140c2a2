#pragma once
// What the meter put on the wire, held against what the panel logged: the simulator's
// transcript gives every reply to the poller's own queries, the day's logs must hold each one
// exactly once and in order.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "pty_server.h"

namespace benchbridge::testing {

// A transcript kept whole (the server keeps only its latest entries), fed from the server thread.
class TranscriptRecorder {
 public:
  void Add(const sim::TranscriptEntry& entry);
  std::vector<sim::TranscriptEntry> Entries() const;
  // The meter writes a reply down once its last byte is out, so the panel may hold a reply the
  // transcript has not got yet: the entries once the last one is a reply (or the limit passed).
  std::vector<sim::TranscriptEntry> EntriesOnceAnswered(
      std::chrono::milliseconds limit = std::chrono::seconds(5)) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable added_;
  std::vector<sim::TranscriptEntry> entries_;
};

// A reply as the panel sees it: GBK decoded, the final CR LF taken off.
std::string ReplyText(const std::string& wireBytes);

struct PollerTraffic {
  std::vector<std::string> mainLog;  // poll and bin replies, in wire order
  std::vector<std::string> newLog;   // the normalised line of each poll reply that is no error
  std::size_t polls = 0;
  std::size_t bins = 0;
};
// The replies to "FETCH:INT?" and to the bin query, each paired with the command before it.
PollerTraffic PollerTrafficOf(const std::vector<sim::TranscriptEntry>& transcript);

struct LogAccount {
  std::size_t sent = 0;     // replies on the wire that the log should hold
  std::size_t found = 0;    // of those, found in the log in their order
  std::size_t missing = 0;  // sent but not found
  std::size_t extra = 0;    // log lines that answer to no reply on the wire
};
LogAccount Account(const std::vector<std::string>& sent, const std::vector<std::string>& logged);

}  // namespace benchbridge::testing
