#include "poller_controls.h"

namespace benchbridge {

void PollerControls::SetStopPolling(bool stop) {
  stop_.store(stop);
  Changed();
}

void PollerControls::SetPollPaused(bool paused) {
  paused_.store(paused);
  Changed();
}

void PollerControls::SetLineHeld(bool held) {
  held_.store(held);
  Changed();
}

void PollerControls::Wake() { Changed(); }

unsigned PollerControls::Generation() {
  std::lock_guard<std::mutex> guard(mutex_);
  return generation_;
}

void PollerControls::WaitUntil(std::chrono::steady_clock::time_point deadline, unsigned seen) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_until(lock, deadline, [&] { return generation_ != seen; });
}

void PollerControls::WaitUntil(std::chrono::steady_clock::time_point deadline) {
  WaitUntil(deadline, Generation());
}

void PollerControls::Changed() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    ++generation_;
  }
  changed_.notify_all();
}

}  // namespace benchbridge
