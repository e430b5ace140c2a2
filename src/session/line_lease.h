#pragma once
// A feature that needs the meter's line for a while (a sweep) takes it through the meter session:
// while it holds the line the poller does not poll and the bridge's clients wait, and the
// feature's exchanges go out one by one through Ask. The session always takes the line back when
// the connection ends (line lost, disconnect, close) or its owner stops the feature; the holder
// is then told, and every later Ask returns at once without touching the port.
//
//   class Sweep : public LineHolder { void LineTakenBack(LineBackReason) override { stop_ = true; }
//   }; std::unique_ptr<LineLease> lease = session.TakeLine(sweep);   // null: not connected or
//   taken
//   ... on any thread: ExchangeResult r = lease->Ask("FREQuency 1000\n"); ...
//   lease->GiveBack();  // or destroy the lease

#include <memory>
#include <string>

#include "exchange_result.h"

namespace benchbridge {

enum class LineBackReason {
  kStopped,     // the session's owner stopped the feature (TakeBackLine)
  kLineLost,    // the line went away
  kDisconnect,  // the operator disconnected
  kClose,       // the program is closing
};

const char* LineBackReasonName(LineBackReason reason);

class LineHolder {
 public:
  virtual ~LineHolder() = default;
  // The session took the line back; on the owner's thread, once per lease, never after the
  // holder gave it back itself. Asks in flight end promptly; later ones return kAbandoned (or
  // kLineLost when the line went away).
  virtual void LineTakenBack(LineBackReason why) = 0;
};

struct LeaseShared;  // between a lease and its session

class LineLease {
 public:
  explicit LineLease(std::shared_ptr<LeaseShared> shared);
  ~LineLease();  // gives the line back if it is still held
  LineLease(const LineLease&) = delete;
  LineLease& operator=(const LineLease&) = delete;

  // From any thread: one exchange (commandLine ends in "\n") while the line is held; kAbandoned
  // or kLineLost at once after it was given or taken back.
  ExchangeResult Ask(const std::string& commandLine);
  // True until given back or taken back.
  bool Held() const;
  // On the owner's thread: the poller polls again and the clients' lines go on.
  void GiveBack();

 private:
  std::shared_ptr<LeaseShared> shared_;
};

}  // namespace benchbridge
