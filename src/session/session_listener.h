#pragma once
// What a meter session tells those who listen (the panel, the trend, a feature). Every call comes
// on the owner's thread, from the current poller only, and never once closing has begun (the
// change to kClosing is the last call).

#include <string>
#include <vector>

#include "client_command.h"
#include "meter_identity.h"
#include "reading_format.h"
#include "session_state.h"

namespace benchbridge {

class SessionListener {
 public:
  virtual ~SessionListener() = default;

  // Each change of state, once, in the order they happen.
  virtual void StateChanged(SessionState from, SessionState to) = 0;

  // The poller's news.
  virtual void ReadingArrived(const Reading& /*reading*/) {}
  virtual void BinArrived(const std::string& /*text*/) {}  // "BIN:..."
  virtual void StatArrived(const std::string& /*text*/) {}
  virtual void ReadingRejected() {}  // the poll was answered with an error reply
  virtual void PollerReleased() {}   // the poller has ended and been let go

  // On the port that came back another meter answered (lost: the one that was connected); the
  // session went back to kDisconnected.
  virtual void OtherMeterAnswered(const MeterIdentity& /*found*/, const MeterIdentity& /*lost*/) {}

  // A feature took the line (true) or it came back (false).
  virtual void LineTakenChanged(bool /*taken*/) {}

  // The bridge's news.
  virtual void BridgeClientsChanged(int /*clients*/) {}
  // What clients changed on the meter (gathered, in order): whoever mirrors its state follows
  // what a re-read cannot see and reads the settings again.
  virtual void BridgeMeterChanged(const std::vector<MeterChange>& /*changes*/) {}
};

}  // namespace benchbridge
