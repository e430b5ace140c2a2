#pragma once
// A PollerSink that keeps everything the poller hands it, in order, and lets a test wait for it.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "mythread.h"

namespace benchbridge::testing {

struct SinkRecord {
  std::vector<Reading> readings;
  std::vector<std::string> bins, stats;
  std::vector<std::string> calls;  // "reading", "bin", "stat", "ended", in call order
};

class RecordingSink final : public PollerSink {
 public:
  void ShowReading(const Reading& reading) override {
    Add("reading", [&](SinkRecord& r) { r.readings.push_back(reading); });
  }
  void ShowBin(const std::string& text) override {
    Add("bin", [&](SinkRecord& r) { r.bins.push_back(text); });
  }
  void ShowStat(const std::string& text) override {
    Add("stat", [&](SinkRecord& r) { r.stats.push_back(text); });
  }
  void PollerEnded() override {
    Add("ended", [](SinkRecord&) {});
  }

  SinkRecord Record() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return record_;
  }

  bool WaitFor(const std::function<bool(const SinkRecord&)>& done,
               std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return done(record_); });
  }
  bool WaitForReadings(std::size_t count, std::chrono::milliseconds limit) const {
    return WaitFor([count](const SinkRecord& r) { return r.readings.size() >= count; }, limit);
  }
  bool WaitForEnd(std::chrono::milliseconds limit) const {
    return WaitFor(
        [](const SinkRecord& r) { return !r.calls.empty() && r.calls.back() == "ended"; }, limit);
  }

 private:
  void Add(const char* call, const std::function<void(SinkRecord&)>& change) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      change(record_);
      record_.calls.emplace_back(call);
    }
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  SinkRecord record_;
};

}  // namespace benchbridge::testing
