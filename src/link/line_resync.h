#pragma once
// Bringing the line back in step after an exchange that ended without its line feed: the rest of
// that reply may still be on its way, and whatever arrives before the next command is written
// would be taken as that command's answer.

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "serial_port.h"

namespace benchbridge {

struct ResyncTiming {
  // The line counts as quiet once nothing has arrived for this long.
  std::chrono::milliseconds quiet{1000};
  // A line that keeps talking holds the next command back no longer than this.
  std::chrono::milliseconds limit{3000};
};

// Reads and drops input until nothing has arrived for timing.quiet, counting the quiet from
// quietSinceTick (a TickMs value: when the exchange that fell out of step ended) or, when input
// is already waiting, from the call, or until
// timing.limit has passed since the call. Returns the number of bytes dropped. Returns early
// on a hang-up or when wakeFd (if not -1) becomes readable. Waits in poll(2), never spins.
std::size_t DrainUntilQuiet(PortHandle port, std::uint32_t quietSinceTick, int wakeFd,
                            ResyncTiming timing = {});

}  // namespace benchbridge
