#pragma once
// The bridge serving loopback clients through the real channel to the scripted fake meter on a
// pseudo-terminal (through the poller's Query, as in the panel; the poller itself runs only where a
// test starts it), with its log in a temporary home. The fake answers every "Q..." line with "R:"
// and the line, so each reply names the command it answers; other commands are scripted by name.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bridge.h"
#include "bridge_client.h"
#include "channel_lock.h"
#include "fake_instrument.h"
#include "log_files.h"
#include "mythread.h"
#include "recording_sink.h"
#include "temp_home.h"

namespace benchbridge::testing {

using namespace std::chrono_literals;

constexpr auto kLimit = 20s;  // only stops a hung test; every wait ends on an event

class RecordingBridgeSink final : public BridgeSink {
 public:
  void ClientsChanged(int clients) override {
    Change([&] { counts_.push_back(clients); });
  }
  void MeterChanged(std::vector<MeterChange> changes) override {
    Change([&] {
      ++notices_;
      changes_.insert(changes_.end(), changes.begin(), changes.end());
    });
  }
  int Notices() const {
    std::lock_guard guard(mutex_);
    return notices_;
  }
  std::vector<MeterChange> Changes() const {
    std::lock_guard guard(mutex_);
    return changes_;
  }
  bool WaitFor(const std::function<bool(const std::vector<int>& counts, int notices)>& done,
               std::chrono::milliseconds limit = kLimit) const {
    std::unique_lock guard(mutex_);
    return changed_.wait_for(guard, limit, [&] { return done(counts_, notices_); });
  }
  bool WaitForClients(int clients) const {
    return WaitFor(
        [&](const std::vector<int>& c, int) { return !c.empty() && c.back() == clients; });
  }

 private:
  template <typename F>
  void Change(F&& change) {
    {
      std::lock_guard guard(mutex_);
      change();
    }
    changed_.notify_all();
  }
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<int> counts_;
  int notices_ = 0;
  std::vector<MeterChange> changes_;
};

class BridgeTest : public ::testing::Test {
 protected:
  explicit BridgeTest(FakeOptions meterOptions = {}) : meter_(home_, meterOptions) {
    meter_.SetScript([](const std::string& command) -> std::optional<Response> {
      if (command.rfind("Q", 0) == 0) return ReplyLine("R:" + command);
      return std::nullopt;
    });
    meter_.Reply("*IDN?", "LX,LX2110,V1.0,0,123");
    meter_.Reply("FETCH:INT?", "Cs,22.0nF,D,0.003");
  }
  ~BridgeTest() override {
    bridge_.Stop();
    bridge_.Join();
    controls_.SetStopPolling(true);
    poller_.reset();
  }

  // Starts on a free loopback port; the link is made ready as a connection would make it.
  void StartBridge(bool linkReady = true, ReplyMode mode = ReplyMode::kInstrument) {
    if (linkReady) poller_->Query("*IDN?\n");
    const std::string error = bridge_.Start(
        {"127.0.0.1", 0}, [this](const std::string& line) { return poller_->Query(line); }, mode);
    ASSERT_TRUE(error.empty()) << error;
    port_ = PortOf(bridge_.ListeningOn());
  }

  std::vector<std::string> BridgeLog() const {
    return FileLines(home_.Path() / "log" / "2026-12-07_bridge.log");
  }
  // The log lines that contain part, with the time stamp and an exchange's duration cut off.
  std::vector<std::string> LogLinesWith(const std::string& part) const {
    std::vector<std::string> found;
    for (const auto& line : BridgeLog()) {
      if (line.find(part) == std::string::npos) continue;
      std::string text = line.substr(0, line.rfind(", "));
      if (const auto took = text.rfind(" ("); took != std::string::npos && text.ends_with(" ms)")) {
        text.erase(took);
      }
      found.push_back(text);
    }
    return found;
  }
  bool WaitForLogLine(const std::string& part, std::size_t count = 1) const {
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    while (LogLinesWith(part).size() < count) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(5ms);  // the log is a file: nothing to wait on but a look
    }
    return true;
  }

  TempHome home_;
  FakeInstrument meter_;
  LinkShared link_;
  LogWriter log_{home_.Path() / "log", [] { return LocalTime(2026, 12, 7, 14, 3, 7, 45); }};
  PollerControls controls_;
  RecordingSink pollerSink_;
  std::unique_ptr<TsmThread> poller_ =
      std::make_unique<TsmThread>(1, home_.Path(), link_, controls_, log_, pollerSink_);
  RecordingBridgeSink sink_;
  Bridge bridge_{link_, log_, sink_};
  std::uint16_t port_ = 0;
};

}  // namespace benchbridge::testing
