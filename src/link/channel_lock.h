#pragma once
// The one lock of the program. Fair: whoever asked first gets the channel next, so an operator's
// command waiting for the poll on the wire goes out before the next poll even when the poller
// asks again at once.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace benchbridge {

class ChannelLock {
 public:
  // Lower case, so that std::lock_guard and std::unique_lock take it.
  void lock();    // NOLINT(readability-identifier-naming)
  void unlock();  // NOLINT(readability-identifier-naming)

 private:
  std::mutex mutex_;
  std::condition_variable turn_;
  std::uint64_t nextTicket_ = 0;
  std::uint64_t nowServing_ = 0;
};

// Shared by everything that talks to the instrument; created with the main window.
class LinkShared {
 public:
  ChannelLock& Lock() { return lock_; }
  // True once the first exchange of the process has finished (whatever its outcome).
  bool LinkReady() const { return ready_.load(std::memory_order_acquire); }
  void MarkLinkReady() noexcept;
  // Waits until LinkReady or the time is up; returns LinkReady.
  bool WaitLinkReady(std::chrono::milliseconds limit);

 private:
  ChannelLock lock_;
  std::atomic<bool> ready_{false};
  std::mutex readyMutex_;
  std::condition_variable readyChanged_;
};

}  // namespace benchbridge
