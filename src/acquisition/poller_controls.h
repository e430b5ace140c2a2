#pragma once
// The flags with which the user-interface thread steers the poller. Created with the main
// window; setters wake a poller that is waiting, so it never has to look continuously.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace benchbridge {

class PollerControls {
 public:
  bool StopPolling() const { return stop_.load(); }
  bool PollPaused() const { return paused_.load(); }
  void SetStopPolling(bool stop);
  void SetPollPaused(bool paused);
  // A feature holds the line: no polls go out, as while paused, whatever the operator's hold.
  bool LineHeld() const { return held_.load(); }
  void SetLineHeld(bool held);

  // Wakes every waiter without changing a flag (shutdown uses it).
  void Wake();

  // Counts the changes so far. A waiter reads it before looking at the flags and hands it to
  // WaitUntil, so a change made between the look and the wait is not slept through.
  unsigned Generation();

  // Sleeps until deadline or until a flag changed after Generation() returned seen.
  void WaitUntil(std::chrono::steady_clock::time_point deadline, unsigned seen);
  // Sleeps until deadline or until a flag changes from now on.
  void WaitUntil(std::chrono::steady_clock::time_point deadline);

 private:
  void Changed();
  std::atomic<bool> stop_{false};
  std::atomic<bool> paused_{false};
  std::atomic<bool> held_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  unsigned generation_ = 0;  // guarded by mutex_
};

}  // namespace benchbridge
