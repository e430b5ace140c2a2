#pragma once
// What one client may hold of the bridge.

#include <chrono>

namespace benchbridge {

inline constexpr int kBridgeClientLimit = 4;
// The send buffer asked of the kernel for each client (it doubles it): small, so that what a
// client leaves unread piles up in its own receive window, not in megabytes of ours. A reply that
// no longer fits lets the client go: its queued lines would otherwise keep taking turns on the
// meter's line for nobody.
inline constexpr int kBridgeSendBuffer = 4096;
// What clients changed on the meter reaches the panel this long after the first change, however
// busy the clients stay: a script's burst of settings gives one re-read, not one per line.
inline constexpr std::chrono::milliseconds kBridgeChangeGather{200};
// A client that stops after a CR with no LF gets its answer after this long.
inline constexpr std::chrono::milliseconds kBridgeBareCrWait{1000};

}  // namespace benchbridge
