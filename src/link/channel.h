#pragma once
// The command transaction: one command line out, one reply line back, under the channel lock.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "channel_lock.h"
#include "exchange_result.h"
#include "line_loss.h"
#include "serial_port.h"

namespace benchbridge {

class Channel {
 public:
  // Appends one line to the day's main log; used for "send bad." and "link lost.".
  using MainLog = std::function<void(const std::string& text)>;
  // Told once, on the thread that found it, when the line has gone away.
  using LineLost = std::function<void()>;

  // Takes ownership of port (which may be kInvalidPort).
  Channel(PortHandle port, LinkShared& shared, MainLog mainLog, LineLost lineLost = {});
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  bool IsOpen() const { return port_ != kInvalidPort; }

  // commandLine is UTF-8 and carries its own "\n"; it goes out as GBK. The reply comes back as
  // UTF-8 without CR LF, empty for no answer within 3 s or a failed write. Pending stale input is
  // dropped just before writing. After an exchange that ended without its line feed (no answer in
  // time, part of one, a flood) the next one first waits for the line to fall quiet (see
  // DrainUntilQuiet) and logs how many bytes it dropped, so a late reply still on its way never
  // answers the next command. Never throws; LinkReady is set and the lock released on every path.
  std::string Query(const std::string& commandLine) { return Ask(commandLine).reply; }
  // Query with the exchange's outcome: kOk with the reply, else why there is none (an empty reply
  // line counts as none, a time-out).
  ExchangeResult Ask(const std::string& commandLine) { return Send(commandLine, false); }
  // The connection's last word ("LOCal"): an Ask after which the channel writes nothing more, so
  // an exchange another thread had waiting for the lock (a poll) never follows it onto the wire
  // to a meter that is back at its own front panel. Those, and every later one, end kAbandoned
  // unsent.
  ExchangeResult AskLast(const std::string& commandLine) { return Send(commandLine, true); }

  // Shutdown: a read in flight returns at once, and every later Query returns empty at once
  // without logging.
  void Abandon();

  // The line went away (hang-up or device node gone), seen by an exchange that failed or by
  // CheckLine: "link lost." was logged once (after the failed write's "send bad.", if any), and
  // from then on every Query returns empty at once, writing and logging nothing. A port that
  // never opened is never lost: its queries keep failing at the write as before.
  bool Lost() const { return lost_.load(); }
  // Looks at the line without an exchange (while nothing is sent); returns Lost().
  bool CheckLine();

  // A line opened again after a loss: until its return is logged (LogReturn) its own loss is
  // told but not logged, since the log still says the line is lost. So the log tells each loss
  // and each return once, in turn, however the line flaps.
  void HoldLossLog();
  // Logs line (the return) unless the line is lost already; from then on a loss is logged again.
  // False, and nothing logged, when it was lost.
  bool LogReturn(const std::string& line);

 private:
  PortHandle port_;
  LinkShared& shared_;
  MainLog mainLog_;
  LineLost lineLost_;
  LineLossCheck lossCheck_;
  int wakeFd_ = -1;  // eventfd, readable once Abandon() ran
  std::atomic<bool> abandoned_{false};
  std::atomic<bool> lost_{false};
  // Orders "send bad." before the "link lost." it leads to, whichever thread looks.
  std::mutex lossMutex_;
  bool logLoss_ = true;  // under lossMutex_
  // Set by an exchange that ended without its line feed, with the tick it ended at; both are
  // only touched under the channel lock.
  bool outOfStep_ = false;
  std::uint32_t outOfStepSince_ = 0;
  bool lastWordSaid_ = false;  // under the channel lock

  ExchangeResult Send(const std::string& commandLine, bool last);
  ExchangeResult Exchange(const std::string& commandLine);
  ExchangeStatus Failure(ExchangeStatus otherwise) const;
  void Resync();
  void NoteLossLocked();
};

}  // namespace benchbridge
