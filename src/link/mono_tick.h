#pragma once
// A millisecond tick for time limits. It wraps at 2^32 ms (about 49 days), so elapsed time is
// always the unsigned difference of two ticks, which stays right across a wrap.

#include <cstdint>

namespace benchbridge {

// Milliseconds of CLOCK_MONOTONIC (unaffected by changes of the wall clock), modulo 2^32.
std::uint32_t TickMs();

// Milliseconds from start to now, correct across one wrap of the tick.
inline std::uint32_t TicksSince(std::uint32_t start) { return TickMs() - start; }

}  // namespace benchbridge
