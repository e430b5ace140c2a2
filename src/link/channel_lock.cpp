#include "channel_lock.h"

namespace benchbridge {

void ChannelLock::lock() {
  std::unique_lock guard(mutex_);
  const std::uint64_t ticket = nextTicket_++;
  turn_.wait(guard, [&] { return nowServing_ == ticket; });
}

void ChannelLock::unlock() {
  {
    std::lock_guard guard(mutex_);
    ++nowServing_;
  }
  // Every waiter checks whether its ticket is up; only one of them goes on.
  turn_.notify_all();
}

void LinkShared::MarkLinkReady() noexcept {
  if (ready_.exchange(true, std::memory_order_acq_rel)) return;
  try {
    std::lock_guard guard(readyMutex_);
  } catch (...) {
    // Locking cannot really fail here; waiters still see the flag at their time limit.
  }
  readyChanged_.notify_all();
}

bool LinkShared::WaitLinkReady(std::chrono::milliseconds limit) {
  std::unique_lock guard(readyMutex_);
  return readyChanged_.wait_for(guard, limit, [&] { return LinkReady(); });
}

}  // namespace benchbridge
