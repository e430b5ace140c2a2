#pragma once
// The command transaction: one command line out, one reply line back, under the channel lock.

#include <atomic>
#include <functional>
#include <string>

#include "channel_lock.h"
#include "serial_port.h"

namespace benchbridge {

class Channel {
 public:
  // Appends one line to the day's main log; used for "send bad.".
  using MainLog = std::function<void(const std::string& text)>;

  // Takes ownership of port (which may be kInvalidPort).
  Channel(PortHandle port, LinkShared& shared, MainLog mainLog);
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  bool IsOpen() const { return port_ != kInvalidPort; }

  // commandLine is UTF-8 and carries its own "\n"; it goes out as GBK. The reply comes back as
  // UTF-8 without CR LF, empty for no answer within 3 s or a failed write. Pending stale input is
  // dropped just before writing, so a late reply never answers a later command. Never throws;
  // LinkReady is set and the lock released on every path.
  std::string Query(const std::string& commandLine);

  // Shutdown: a read in flight returns at once, and every later Query returns empty at once
  // without logging.
  void Abandon();

 private:
  PortHandle port_;
  LinkShared& shared_;
  MainLog mainLog_;
  int wakeFd_ = -1;  // eventfd, readable once Abandon() ran
  std::atomic<bool> abandoned_{false};

  std::string Exchange(const std::string& commandLine);
};

}  // namespace benchbridge
