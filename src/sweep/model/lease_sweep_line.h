#pragma once
// The meter's line for a sweep, taken from the meter session: while it is held the poller does
// not poll and the bridge's clients wait. Ask from the sweep's thread; the rest on the session's
// owner's thread.

#include <functional>
#include <memory>
#include <string>

#include "line_lease.h"
#include "meter_session.h"
#include "sweep_runner.h"

namespace benchbridge {

class SweepLine {
 public:
  virtual ~SweepLine() = default;
  virtual LineAnswer Ask(const std::string& command) = 0;  // without line feed
  virtual void GiveBack() = 0;
};

class LeaseSweepLine final : public SweepLine, private LineHolder {
 public:
  // Null when the session has no line to give (not connected, or already taken). takenBack is
  // told on the owner's thread when the session takes the line back before GiveBack.
  static std::unique_ptr<LeaseSweepLine> Take(MeterSession& session,
                                              std::function<void()> takenBack);

  LineAnswer Ask(const std::string& command) override;
  void GiveBack() override;

 private:
  explicit LeaseSweepLine(std::function<void()> takenBack) : takenBack_(std::move(takenBack)) {}
  void LineTakenBack(LineBackReason why) override;

  std::function<void()> takenBack_;
  std::unique_ptr<LineLease> lease_;
};

// How a sweep reads an exchange's outcome: a time-out or failed write leaves the point missing,
// a line taken back ends the sweep.
LineAnswer SweepAnswer(const ExchangeResult& result);

}  // namespace benchbridge
