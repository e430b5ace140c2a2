#include "fd_wait.h"

#include <poll.h>

#include <cerrno>

namespace benchbridge {

namespace {

timespec ToTimespec(std::chrono::nanoseconds span) {
  if (span.count() < 0) span = std::chrono::nanoseconds(0);
  const auto secs = std::chrono::duration_cast<std::chrono::seconds>(span);
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(secs.count());
  ts.tv_nsec = static_cast<long>((span - secs).count());
  return ts;
}

}  // namespace

FdWait WaitFd(int fd, short events, int wakeFd, std::chrono::nanoseconds limit) {
  using Clock = std::chrono::steady_clock;
  const bool unlimited = limit.count() < 0;
  const auto deadline = Clock::now() + (unlimited ? Clock::duration(0) : limit);
  for (;;) {
    pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    timespec ts{};
    if (!unlimited) ts = ToTimespec(deadline - Clock::now());
    const int ready = ppoll(fds, 2, unlimited ? nullptr : &ts, nullptr);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return FdWait::HungUp;  // EFAULT/EINVAL/ENOMEM: treat the port as unusable rather than spin
    }
    if (ready == 0) return FdWait::TimedOut;
    if (fds[1].revents != 0) return FdWait::Woken;
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return FdWait::HungUp;
    if (fds[0].revents & events) return FdWait::Ready;
  }
}

bool FdReadableNow(int fd) {
  if (fd < 0) return false;
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

}  // namespace benchbridge
