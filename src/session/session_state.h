#pragma once
// The one answer to "is the meter connected?": the meter session's state.

namespace benchbridge {

enum class SessionState {
  kDisconnected,  // no port, no poller (the start, and after a disconnect)
  kConnecting,    // the operator's connect sequence runs
  kConnected,     // the poller runs (the sequence ended, answered or not: the operator decides)
  kLineLost,      // the line went away: nothing is sent, the port is looked for
  kReturning,     // the port opened again: the connect sequence runs on it
  kClosing,       // the program is closing: the last state, nothing is told after it
};

// "disconnected", "connecting", ...
const char* SessionStateName(SessionState state);

}  // namespace benchbridge
