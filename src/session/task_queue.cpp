#include "task_queue.h"

#include <utility>

namespace benchbridge {

void TaskQueue::Post(std::function<void()> task) {
  {
    std::lock_guard guard(mutex_);
    tasks_.push_back(std::move(task));
  }
  posted_.notify_all();
}

bool TaskQueue::RunUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + limit_;
  while (!done()) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      if (!posted_.wait_until(lock, deadline, [this] { return !tasks_.empty(); })) return false;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
  return true;
}

void TaskQueue::RunPending() {
  std::deque<std::function<void()>> now;
  {
    std::lock_guard guard(mutex_);
    now.swap(tasks_);
  }
  for (std::function<void()>& task : now) task();
}

}  // namespace benchbridge
