#include "session_state.h"

namespace benchbridge {

const char* SessionStateName(SessionState state) {
  switch (state) {
    case SessionState::kDisconnected:
      return "disconnected";
    case SessionState::kConnecting:
      return "connecting";
    case SessionState::kConnected:
      return "connected";
    case SessionState::kLineLost:
      return "line lost";
    case SessionState::kReturning:
      return "returning";
    case SessionState::kClosing:
      return "closing";
  }
  return "?";
}

}  // namespace benchbridge
