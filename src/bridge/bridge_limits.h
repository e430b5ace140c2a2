#pragma once
// What one client may hold of the bridge.

#include <chrono>
#include <cstddef>

namespace benchbridge {

inline constexpr int kBridgeClientLimit = 4;
// A client whose output waits unread beyond this is let go: nothing is buffered without bound.
inline constexpr std::size_t kBridgeUnsentLimit = std::size_t{64} * 1024;
// After a client's setting command, the panel hears of it once clients have been quiet this long
// (a script's burst of settings gives one readback, not one per line).
inline constexpr std::chrono::milliseconds kBridgeQuietBeforeNotice{300};

}  // namespace benchbridge
