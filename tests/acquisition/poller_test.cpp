// TsmThread against the scripted fake instrument on a real pseudo-terminal, with the real log
// files in a temporary home.
#include "mythread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "fake_instrument.h"
#include "log_files.h"
#include "meter_commands.h"
#include "recording_sink.h"
#include "temp_home.h"

namespace benchbridge {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::FakeInstrument;
using testing::FileLines;
using testing::LocalTime;
using testing::RecordingSink;
using testing::ReplyLine;
using testing::SinkRecord;
using testing::TempHome;

constexpr auto kLimit = 20s;  // generous: the waits end on events, this only stops a hung test
const std::string kStamp = ", 2026-12-07 14:03:07:045";
const std::string kPoll = "FETCH:INT?";
const std::string kBin = "COMParator:TOLerance:BIN?";
const std::string kStat = "FUNCtion:COMV?";
const std::string kExample = "Cs,1.2345nF,D,0.01234";

class PollerTest : public ::testing::Test {
 protected:
  PollerTest() {
    meter_.Reply(kPoll, kExample);
    meter_.Reply("SYSTem:REMote", "");
  }
  ~PollerTest() override { poller_.reset(); }

  // As a connection does: the first exchange makes the link ready, then polling starts.
  void Connect() {
    EXPECT_TRUE(poller_->PortOpen());
    poller_->Query("SYSTem:REMote\n");
    poller_->Start();
  }

  // Stops as a disconnection does and waits for the poller's end.
  void StopAndJoin() {
    controls_.SetStopPolling(true);
    ASSERT_TRUE(sink_.WaitForEnd(kLimit));
    poller_->Join();
  }

  std::vector<std::string> MainLog() const {
    return FileLines(home_.Path() / "log" / "2026-12-07.log");
  }
  std::vector<std::string> NewLog() const {
    return FileLines(home_.Path() / "log" / "2026-12-07_new.log");
  }

  TempHome home_;
  FakeInstrument meter_{home_};
  LinkShared link_;
  PollerControls controls_;
  LogWriter log_{home_.Path() / "log", [] { return LocalTime(2026, 12, 7, 14, 3, 7, 45); }};
  RecordingSink sink_;
  std::mutex pollsMutex_;
  std::vector<std::chrono::steady_clock::time_point> polls_;  // arrivals of the poll command
  std::unique_ptr<TsmThread> poller_ =
      std::make_unique<TsmThread>(1, home_.Path(), link_, controls_, log_, sink_);
};

TEST_F(PollerTest, AReadingIsShownAndLoggedRawAndNormalised) {
  Connect();
  ASSERT_TRUE(sink_.WaitForReadings(2, kLimit));
  StopAndJoin();
  const SinkRecord record = sink_.Record();
  ASSERT_GE(record.readings.size(), 2u);
  for (const Reading& reading : record.readings) {
    EXPECT_EQ(reading, (Reading{"Cs", "1.2345", "nF", "D", "0.01234", ""}));
  }
  EXPECT_EQ(MainLog(), std::vector<std::string>(record.readings.size(), kExample + kStamp));
  EXPECT_EQ(NewLog(),
            std::vector<std::string>(record.readings.size(), "Cs,1.2345e-9,F,D,0.01234," + kStamp));
  // The poller's end is its last word to the panel, and comes once.
  EXPECT_EQ(std::count(record.calls.begin(), record.calls.end(), "ended"), 1);
  EXPECT_EQ(record.calls.back(), "ended");
}

TEST_F(PollerTest, AnEmptyReplyIsLoggedAndShownAsEmptyFields) {
  meter_.Reply(kPoll, "");  // a bare CR LF
  Connect();
  ASSERT_TRUE(sink_.WaitForReadings(1, kLimit));
  StopAndJoin();
  EXPECT_EQ(sink_.Record().readings.front(), Reading{});
  EXPECT_EQ(MainLog().front(), kStamp);
  EXPECT_EQ(NewLog().front(), ",,,,," + kStamp);
}

TEST_F(PollerTest, AnErrorReplyIsLoggedOnlyAndPolledAgainAtOnce) {
  meter_.SetScript([this](const std::string& command) -> std::optional<testing::Response> {
    if (command == kPoll) {
      std::lock_guard<std::mutex> guard(pollsMutex_);
      polls_.push_back(std::chrono::steady_clock::now());
    }
    return std::nullopt;
  });
  meter_.RespondInTurn(kPoll, {ReplyLine(kExample), ReplyLine("exec err"), ReplyLine("1 cmd err")});
  Connect();
  ASSERT_TRUE(sink_.WaitForReadings(2, kLimit));
  StopAndJoin();
  EXPECT_EQ(sink_.Record().readings.size(), 2u);  // the error replies showed nothing
  const std::vector<std::string> main = MainLog();
  ASSERT_GE(main.size(), 4u);
  EXPECT_EQ(main[0], kExample + kStamp);
  EXPECT_EQ(main[1], "exec err" + kStamp);
  EXPECT_EQ(main[2], "1 cmd err" + kStamp);
  EXPECT_EQ(main[3], kExample + kStamp);
  EXPECT_EQ(NewLog().size(), 2u);
  // After a good reading the poller keeps 500 ms of quiet; after an error it does not wait, so
  // the gaps after the two errors are shorter than the one after the reading.
  std::lock_guard<std::mutex> guard(pollsMutex_);
  ASSERT_GE(polls_.size(), 4u);
  const auto afterReading = polls_[1] - polls_[0];
  EXPECT_GE(afterReading, 500ms);
  EXPECT_LT(polls_[2] - polls_[1], afterReading);
  EXPECT_LT(polls_[3] - polls_[2], afterReading);
}

TEST_F(PollerTest, APausedPollerSendsNothingAndResumesOnTheNextLook) {
  controls_.SetPollPaused(true);
  Connect();
  meter_.Reply("*IDN?", "LCR,4090,V1.0,123");
  EXPECT_FALSE(meter_.WaitForCommand(kPoll, 1500ms));
  // Other senders go through while the display is held.
  EXPECT_EQ(poller_->Query("*IDN?\n"), "LCR,4090,V1.0,123");
  controls_.SetPollPaused(false);
  EXPECT_TRUE(sink_.WaitForReadings(1, kLimit));
  StopAndJoin();
}

TEST_F(PollerTest, BinRepliesOfOneCharacterAreShownAndAllAreLogged) {
  poller_->SetBinQuery(command::Line(command::kAskBin));
  meter_.RespondInTurn(
      kBin, {ReplyLine("O"), ReplyLine("A"), ReplyLine("3"), ReplyLine("12"), ReplyLine("")});
  meter_.SetDefault(ReplyLine("7"));
  Connect();
  ASSERT_TRUE(meter_.WaitForCommand(kBin, kLimit, 5));
  StopAndJoin();
  const SinkRecord record = sink_.Record();
  const std::size_t cycles = record.readings.size();
  ASSERT_GE(cycles, 5u);
  ASSERT_GE(record.bins.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(record.bins.begin(), record.bins.begin() + 3),
            (std::vector<std::string>{"BIN:OUT", "BIN:AUX", "BIN:3"}));
  EXPECT_EQ(record.bins.size(), 3u + (cycles - 5));  // "12" and "" showed nothing
  // Two main-log lines and one "_new" line per cycle; the bin replies are logged as received.
  const std::vector<std::string> main = MainLog();
  ASSERT_EQ(main.size(), 2 * cycles);
  const std::vector<std::string> rawBins = {"O", "A", "3", "12", ""};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(main[2 * i], kExample + kStamp);
    EXPECT_EQ(main[2 * i + 1], rawBins[i] + kStamp);
  }
  EXPECT_EQ(NewLog().size(), cycles);
}

TEST_F(PollerTest, StatisticsWithoutACommaAreShownAndNeverLogged) {
  poller_->SetStatQuery(command::Line(command::kAskStatisticValue));
  meter_.RespondInTurn(kStat, {ReplyLine("1.234nF"), ReplyLine("1,2"), ReplyLine("")});
  meter_.SetDefault(ReplyLine("5"));
  Connect();
  ASSERT_TRUE(meter_.WaitForCommand(kStat, kLimit, 3));
  poller_->SetStatQuery("");  // statistics off: the next cycles ask no more
  StopAndJoin();
  const SinkRecord record = sink_.Record();
  ASSERT_GE(record.stats.size(), 2u);
  EXPECT_EQ(record.stats[0], "1.234nF");
  EXPECT_EQ(record.stats[1], "");
  EXPECT_LE(meter_.CountOf(kStat), 4u);
  EXPECT_EQ(MainLog(), std::vector<std::string>(record.readings.size(), kExample + kStamp));
}

TEST_F(PollerTest, StopDuringACycleLetsItFinishWithItsExtraQueries) {
  poller_->SetBinQuery(command::Line(command::kAskBin));
  poller_->SetStatQuery(command::Line(command::kAskStatisticValue));
  meter_.Reply(kBin, "O");
  meter_.Reply(kStat, "2.5");
  meter_.SetScript([this](const std::string& command) -> std::optional<testing::Response> {
    if (command == kPoll) controls_.SetStopPolling(true);  // while the poll is on the wire
    return std::nullopt;
  });
  Connect();
  ASSERT_TRUE(sink_.WaitForEnd(kLimit));
  poller_->Join();
  const SinkRecord record = sink_.Record();
  EXPECT_EQ(record.calls, (std::vector<std::string>{"reading", "bin", "stat", "ended"}));
  EXPECT_EQ(meter_.Commands(), (std::vector<std::string>{"SYSTem:REMote", kPoll, kBin, kStat}));
  EXPECT_EQ(NewLog().size(), 1u);
}

TEST_F(PollerTest, AbandonCutsAReadShortAndTheDisplayAndLogsHearNothingMore) {
  meter_.Respond(kPoll, testing::Silence());
  meter_.Reply("*IDN?", "LCR,4090,V1.0,123");
  Connect();
  ASSERT_TRUE(meter_.WaitForCommand(kPoll, kLimit));
  poller_->Abandon();  // the poll's 3 s limit has not passed
  poller_->Join();
  EXPECT_EQ(poller_->Query("*IDN?\n"), "");  // the link is given up too
  EXPECT_EQ(meter_.CountOf("*IDN?"), 0u);
  EXPECT_TRUE(sink_.Record().calls.empty());
  EXPECT_FALSE(fs::exists(home_.Path() / "log" / "2026-12-07.log"));
}

TEST_F(PollerTest, DestroyingARunningPollerStopsItWithoutAWordToThePanel) {
  Connect();
  ASSERT_TRUE(sink_.WaitForReadings(1, kLimit));
  poller_.reset();  // neither StopPolling nor Abandon: the destructor must not wait forever
  const SinkRecord record = sink_.Record();
  EXPECT_EQ(std::count(record.calls.begin(), record.calls.end(), "ended"), 0);
}

TEST(PollerWithoutPort, IsNeverStartedAndFailsEveryQueryAtOnce) {
  TempHome home;
  fs::create_directories(home.Path() / "ports");
  fs::create_symlink(home.Path() / "no-such-device", home.Path() / "ports" / "com7");
  LinkShared link;
  PollerControls controls;
  LogWriter log(home.Path() / "log", [] { return LocalTime(2026, 12, 7, 14, 3, 7, 45); });
  RecordingSink sink;
  TsmThread poller(7, home.Path(), link, controls, log, sink);
  EXPECT_FALSE(poller.PortOpen());
  poller.Start();
  EXPECT_FALSE(poller.Started());
  EXPECT_EQ(poller.Query("SYSTem:REMote\n"), "");
  EXPECT_TRUE(link.LinkReady());
  EXPECT_EQ(FileLines(home.Path() / "log" / "2026-12-07.log"),
            std::vector<std::string>{"send bad." + kStamp});
  EXPECT_TRUE(sink.Record().calls.empty());
}

}  // namespace
}  // namespace benchbridge
