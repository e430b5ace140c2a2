#pragma once
// One blocking wait on a descriptor, with a time limit and a second descriptor that cuts the
// wait short (an eventfd written at shutdown). Every wait of the link and of the simulated
// instrument goes through here, so none of them looks at a port continuously.

#include <chrono>

namespace benchbridge {

enum class FdWait {
  Ready,     // fd has one of the requested events
  TimedOut,  // the limit passed first
  HungUp,    // fd reported POLLHUP, POLLERR or POLLNVAL (also when data is waiting)
  Woken,     // wakeFd became readable
};

// Waits until fd has one of `events` (POLLIN, POLLOUT), wakeFd is readable, or `limit` has
// passed. fd or wakeFd may be -1 (ignored), so fd == -1 is a sleep that wakeFd can cut short.
// A negative limit waits without limit. Interrupted waits resume with the remaining time.
FdWait WaitFd(int fd, short events, int wakeFd, std::chrono::nanoseconds limit);

// True if fd is readable right now (used to see whether a wake eventfd has been written).
bool FdReadableNow(int fd);

}  // namespace benchbridge
