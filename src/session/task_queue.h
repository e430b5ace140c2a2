#pragma once
// A plain owner loop: posted tasks wait in a queue until the owner's thread runs them. For tools
// and tests that drive a meter session without a window.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "owner_loop.h"

namespace benchbridge {

class TaskQueue final : public OwnerLoop {
 public:
  // limit: RunUntil gives up (returns false) after this long without done() holding.
  explicit TaskQueue(std::chrono::milliseconds limit = std::chrono::minutes(2)) : limit_(limit) {}

  void Post(std::function<void()> task) override;
  bool RunUntil(const std::function<bool()>& done) override;
  // Runs what is queued now, without waiting.
  void RunPending();

 private:
  std::chrono::milliseconds limit_;
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace benchbridge
