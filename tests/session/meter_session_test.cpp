// The meter session without a window, on the simulated meter (its instrument model on a real
// pty): connect, poll, the cable pulled and put back, disconnect and close, each change of state
// told once and in order; and a feature holding the line, taken back from it when the line goes.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "channel_lock.h"
#include "log_writer.h"
#include "meter_session.h"
#include "poller_controls.h"
#include "simulated_meter.h"
#include "task_queue.h"
#include "temp_home.h"

namespace benchbridge::testing {
namespace {

constexpr int kCom = 7;

struct Change {
  SessionState from, to;
  bool operator==(const Change&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Change& change) {
  return out << SessionStateName(change.from) << " -> " << SessionStateName(change.to);
}

class Recorder : public SessionListener, public LineHolder {
 public:
  void StateChanged(SessionState from, SessionState to) override { changes.push_back({from, to}); }
  void ReadingArrived(const Reading&) override { ++readings; }
  void PollerReleased() override { ++pollersReleased; }
  void LineTakenChanged(bool taken) override { lineTaken.push_back(taken); }
  void LineTakenBack(LineBackReason why) override { takenBack.push_back(why); }

  std::vector<Change> changes;
  int readings = 0;
  int pollersReleased = 0;
  std::vector<bool> lineTaken;
  std::vector<LineBackReason> takenBack;
};

class MeterSessionTest : public ::testing::Test {
 protected:
  MeterSessionTest()
      : log_(home_.Path() / "log"), session_({home_.Path(), link_, controls_, log_, owner_}) {
    sim::SimulatedMeterOptions options;
    options.comNumber = kCom;
    options.instrument.model = *sim::FindModel("LX2110");
    meter_ = std::make_unique<sim::SimulatedMeter>(home_.Path(), std::move(options));
    session_.AddListener(&recorder_);
  }

  bool RunUntil(SessionState state) {
    return owner_.RunUntil([&] { return session_.State() == state; });
  }
  bool RunForReadings(int more) {
    const int target = recorder_.readings + more;
    return owner_.RunUntil([&] { return recorder_.readings >= target; });
  }
  // The commands the meter got on its current pty, oldest first, without their line end.
  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    for (const sim::TranscriptEntry& entry : meter_->Transcript()) {
      if (entry.kind != sim::TranscriptEntry::Kind::Command) continue;
      std::string command = entry.bytes;
      while (!command.empty() && (command.back() == '\n' || command.back() == '\r')) {
        command.pop_back();
      }
      commands.push_back(std::move(command));
    }
    return commands;
  }

  TempHome home_;
  LinkShared link_;
  PollerControls controls_;
  LogWriter log_;
  TaskQueue owner_;
  std::unique_ptr<sim::SimulatedMeter> meter_;
  Recorder recorder_;
  MeterSession session_;
};

TEST_F(MeterSessionTest, EveryChangeOfALifeIsToldOnceInOrder) {
  EXPECT_EQ(session_.Connect(kCom), ConnectOutcome::kComplete);
  EXPECT_EQ(session_.Identity().model, "LX2110");
  EXPECT_EQ(session_.Identity().modelName, "LX2110");
  ASSERT_TRUE(RunForReadings(2));

  meter_->Unplug();
  ASSERT_TRUE(RunUntil(SessionState::kLineLost));
  EXPECT_FALSE(session_.Ask("*IDN?\n").Ok());  // nothing goes to the dead port
  EXPECT_TRUE(session_.LostSince().has_value());

  meter_->Replug();
  ASSERT_TRUE(RunUntil(SessionState::kConnected));
  EXPECT_FALSE(session_.LostSince().has_value());
  ASSERT_TRUE(RunForReadings(2));
  const ExchangeResult idn = session_.Ask("*IDN?\n");
  EXPECT_EQ(idn.status, ExchangeStatus::kOk);
  EXPECT_EQ(ParseIdentity(idn.reply).serial, session_.Identity().serial);

  session_.Disconnect();
  EXPECT_EQ(session_.State(), SessionState::kDisconnected);
  EXPECT_EQ(session_.Poller(), nullptr);
  EXPECT_EQ(Commands().back(), "SYSTem:LOCal");
  session_.Close(true);
  const std::size_t sent = Commands().size();
  owner_.RunPending();

  using S = SessionState;
  EXPECT_EQ(recorder_.changes, (std::vector<Change>{{S::kDisconnected, S::kConnecting},
                                                    {S::kConnecting, S::kConnected},
                                                    {S::kConnected, S::kLineLost},
                                                    {S::kLineLost, S::kReturning},
                                                    {S::kReturning, S::kConnected},
                                                    {S::kConnected, S::kDisconnected},
                                                    {S::kDisconnected, S::kClosing}}));
  // One poller before the loss and one after it, each let go once; nothing sent once closed.
  EXPECT_EQ(recorder_.pollersReleased, 2);
  EXPECT_EQ(Commands().size(), sent);
  EXPECT_EQ(session_.Connect(kCom), ConnectOutcome::kInterrupted);
}

TEST_F(MeterSessionTest, AFeatureHoldsTheLineUntilItIsTakenBack) {
  ASSERT_EQ(session_.Connect(kCom), ConnectOutcome::kComplete);
  ASSERT_TRUE(RunForReadings(1));
  Recorder other;
  std::unique_ptr<LineLease> lease = session_.TakeLine(recorder_);
  ASSERT_NE(lease, nullptr);
  EXPECT_EQ(session_.TakeLine(other), nullptr);  // one holder at a time
  EXPECT_EQ(session_.Ask("*IDN?\n").status, ExchangeStatus::kNoLine);

  // While the feature holds the line its exchanges follow one another with no poll between
  // (a poll already on the wire when the line was taken may come first).
  std::atomic<int> ok{0};
  std::thread feature([&] {
    for (int i = 0; i < 5; ++i) ok += lease->Ask("FREQuency:CW?\n").Ok() ? 1 : 0;
  });
  feature.join();
  EXPECT_EQ(ok.load(), 5);
  const std::vector<std::string> sent = Commands();
  const auto first = std::find(sent.begin(), sent.end(), "FREQuency:CW?");
  EXPECT_EQ(std::count(first, sent.end(), "FETCH:INT?"), 0);

  // Given back: polling goes on, and a later lease is taken back when the line goes.
  lease->GiveBack();
  EXPECT_FALSE(lease->Held());
  ASSERT_TRUE(RunForReadings(1));
  lease = session_.TakeLine(recorder_);
  ASSERT_NE(lease, nullptr);
  meter_->Unplug();
  ASSERT_TRUE(RunUntil(SessionState::kLineLost));
  EXPECT_EQ(recorder_.takenBack, std::vector<LineBackReason>{LineBackReason::kLineLost});
  EXPECT_EQ(lease->Ask("FREQuency:CW?\n").status, ExchangeStatus::kLineLost);
  EXPECT_EQ(recorder_.lineTaken, (std::vector<bool>{true, false, true, false}));

  session_.Close(false);
  EXPECT_EQ(recorder_.takenBack.size(), 1u);  // told once, not again at the close
}

}  // namespace
}  // namespace benchbridge::testing
