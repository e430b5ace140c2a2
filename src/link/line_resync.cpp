#include "line_resync.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "fd_wait.h"
#include "mono_tick.h"

namespace benchbridge {

std::size_t DrainUntilQuiet(PortHandle port, std::uint32_t quietSinceTick, int wakeFd,
                            ResyncTiming timing) {
  if (port == kInvalidPort) return 0;
  const auto quietMs = static_cast<std::uint32_t>(timing.quiet.count());
  const auto limitMs = static_cast<std::uint32_t>(timing.limit.count());
  const std::uint32_t start = TickMs();
  std::uint32_t lastByte = quietSinceTick;
  std::size_t dropped = 0;
  char step[256];
  // What came in since that exchange ended is dropped first. When it came is not known: it may
  // be the front of a reply still on its way, so the quiet counts from now.
  for (ssize_t got = 0; (got = read(port, step, sizeof step)) > 0;) {
    dropped += static_cast<std::size_t>(got);
    lastByte = TickMs();
  }
  for (;;) {
    const std::uint32_t quietFor = TicksSince(lastByte);
    const std::uint32_t spent = TicksSince(start);
    if (quietFor >= quietMs || spent >= limitMs) return dropped;
    const std::uint32_t waitMs = std::min(quietMs - quietFor, limitMs - spent);
    switch (WaitFd(port, POLLIN, wakeFd, std::chrono::milliseconds(waitMs))) {
      case FdWait::TimedOut:
        continue;
      case FdWait::Woken:
      case FdWait::HungUp:
        return dropped;
      case FdWait::Ready:
        break;
    }
    const ssize_t got = read(port, step, sizeof step);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (got <= 0) return dropped;  // EIO after a hang-up: the exchange finds the loss
    dropped += static_cast<std::size_t>(got);
    lastByte = TickMs();
  }
}

}  // namespace benchbridge
