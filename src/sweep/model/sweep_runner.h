#pragma once
// Runs a sweep on a line the caller has taken for it: for each value the setting, one reading
// thrown away (the meter's first measurement after a change), then the readings to average.
// At the end, whatever ended it, the swept setting goes back to its value before the sweep
// while the line is there. Blocking: run it on a thread of its own; RequestStop from any thread.

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sweep_plan.h"
#include "sweep_point.h"

namespace benchbridge {

inline constexpr int kMostAveraged = 16;
// So many points in a row without any answer and the meter is taken as gone silent.
inline constexpr int kSilentPointsToGiveUp = 3;

// One exchange on the line: the reply (an error reply included), or why there is none. Withdrawn:
// the line is no longer the sweep's (taken back for a disconnect or close).
struct LineAnswer {
  enum class Outcome { Reply, NoReply, LineLost, Withdrawn } outcome = Outcome::Reply;
  std::string reply;
};
// The command without its line feed.
using SweepExchange = std::function<LineAnswer(const std::string& command)>;

struct SweepSetup {
  SweptSetting setting = SweptSetting::Frequency;
  std::vector<int> values;
  int averaging = 1;  // 1 to kMostAveraged
  // The setting before the sweep, as the panel shows it; when unknown the meter is asked first.
  std::optional<int> before;
};

// BeforeUnknown: the meter did not tell the setting the sweep would have to go back to, so the
// sweep did not start.
// Withdrawn: the line was taken back from the sweep, with no restore possible through it.
enum class SweepEnd { Finished, Stopped, LineLost, Withdrawn, MeterSilent, BeforeUnknown };

struct SweepOutcome {
  SweepEnd end = SweepEnd::Finished;
  std::optional<int> before;  // the value the setting went back to (or should have)
  bool restored = false;      // the restore was sent and answered without an error reply
};

class SweepObserver {
 public:
  virtual ~SweepObserver() = default;
  // Called on the sweep's thread after each point, missing or not; took: its time on the line.
  virtual void PointTaken(int index, const SweepPoint& point, std::chrono::nanoseconds took) = 0;
};

class SweepRunner {
 public:
  SweepRunner(SweepSetup setup, SweepExchange exchange, SweepObserver& observer);

  SweepOutcome Run();
  // The point under way is dropped, and the restore follows its current exchange.
  void RequestStop() { stop_.store(true); }
  bool StopRequested() const { return stop_.load(); }

 private:
  // The point at index; nullopt when the sweep ends there (stop or a lost line).
  std::optional<SweepPoint> TakePoint(int value);
  std::optional<LineAnswer> Exchange(const std::string& command);
  void Restore(SweepOutcome& outcome);

  SweepSetup setup_;
  SweepExchange exchange_;
  SweepObserver& observer_;
  std::atomic<bool> stop_{false};
  // The line is gone or no longer ours: no exchange from then on.
  std::optional<SweepEnd> cutOff_;
};

}  // namespace benchbridge
