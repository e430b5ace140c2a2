// The meter misbehaving on the line while the real panel talks to it: silence, replies in
// pieces, slow and late replies, and error replies. The panel must keep serving the operator,
// burn no CPU while it waits, log what the poller got, and work normally once the meter does.

#include <QComboBox>
#include <QPushButton>
#include <atomic>
#include <cstdio>

#include "fault_plan.h"
#include "fit_label.h"
#include "meter_commands.h"
#include "sim_harness.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

constexpr double kIdleShare = 0.20;  // of one core, while a fault lasts
const std::string kReading = "Cs,1.2345nF,D,0.01234";

class LineFaultTest : public StartedPanelTest {
 protected:
  // Normal service is back: the connection (made again if needed) shows fresh readings.
  void ExpectWorkingAgain() {
    if (!Connected()) Reconnect();
    ASSERT_TRUE(Connected());
    const std::size_t before = CountOf(MainLog(), kReading);
    ASSERT_TRUE(WaitForReadings(2));
    EXPECT_EQ(panel_->LLs2->text(), "1.2345");
    EXPECT_GE(CountOf(MainLog(), kReading), before + 2);
    ExpectNoErrorBox();
  }
};

TEST_F(LineFaultTest, AMeterSilentFromTheStartStopsTheConnectionWithoutSpinning) {
  SetFault([](const std::string&) { return Silence(); });
  const ProcessCpu cpu;
  ConnectPanel();
  // Early-stopped at the first command: keys back, the disconnect caption, selectors locked.
  EXPECT_EQ(panel_->rbtn1->text(), "DisConnect device");
  EXPECT_NE(panel_->bb5->text(), "REMOTE");
  EXPECT_TRUE(panel_->rbtn1->isEnabled());
  EXPECT_FALSE(panel_->cb8->isEnabled());
  // The poller, started with the connection, times out too and logs its empty reply.
  ASSERT_TRUE(WaitUntil([&] { return CountOf(MainLog(), "") >= 1; }, 8s));
  EXPECT_LT(cpu.ShareOfOneCore(), kIdleShare);
  EXPECT_TRUE(Modals().empty());

  EndFault();
  ExpectCleanDisconnect();
  ExpectWorkingAgain();
}

TEST_F(LineFaultTest, SilenceMidSessionShowsEmptyReadingsAndReadingsComeBack) {
  ConnectPanel();
  ASSERT_TRUE(WaitForReadings(1));
  FailCommand("FETCH:INT?", Silence());
  const ProcessCpu cpu;
  const EventPulse pulse;
  // An unanswered poll is an empty reply: logged as ", stamp", shown as empty fields.
  ASSERT_TRUE(WaitUntil([&] { return CountOf(MainLog(), "") >= 1; }, 8s));
  ASSERT_TRUE(WaitUntil([&] { return panel_->LLs1->text() == ":"; }, 2s));
  EXPECT_EQ(panel_->LLs2->text(), "");
  EXPECT_LT(cpu.ShareOfOneCore(), kIdleShare);
  // The poller waits on its own thread; the window goes on serving events all the while.
  EXPECT_GT(pulse.Beats(), 0);
  EXPECT_LT(pulse.LongestGapMs(), 1000.0);
  // The reading is written to the readings log just after it is shown.
  EXPECT_TRUE(WaitUntil([&] { return CountOf(NewLog(), ",,,,,") >= 1; }, 2s));
  EXPECT_EQ(CountOf(NewLog(), ",,,,,"), 1u) << "the empty reading is logged as empty fields";

  EndFault();
  ExpectWorkingAgain();
}

// Every reply of the standard meter in pieces of three bytes with 30 ms between them.
TEST_F(LineFaultTest, RepliesInManyPiecesWithGapsArriveWhole) {
  const auto script = StandardMeterScript();
  SetFault([script](const std::string& command) -> std::optional<Response> {
    const auto found = script.find(command);
    if (found == script.end()) return std::nullopt;
    const std::string bytes = found->second + "\r\n";
    std::vector<ResponsePiece> pieces;
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
      pieces.push_back({bytes.substr(at, 3), at == 0 ? 0ms : 30ms});
    }
    return Pieces(std::move(pieces));
  });
  const ProcessCpu cpu;
  ConnectPanel();
  ASSERT_TRUE(Connected());
  EXPECT_EQ(panel_->CB1->text(), "Cs-D");
  EXPECT_EQ(panel_->LLs999->text(), "LX2110");
  ASSERT_TRUE(WaitForReadings(2));
  EXPECT_LT(cpu.ShareOfOneCore(), kIdleShare);
  EXPECT_EQ(panel_->LLs2->text(), "1.2345");
  for (const std::string& line : MainLog()) EXPECT_EQ(line, kReading);
  for (const std::string& line : NewLog()) EXPECT_EQ(line, "Cs,1.2345e-9,F,D,0.01234,");
  ExpectNoErrorBox();
}

TEST_F(LineFaultTest, AReplyJustUnderTheLimitIsTheAnswer) {
  std::atomic<int> slowPolls{0};
  SetFault([&](const std::string& command) -> std::optional<Response> {
    if (command == "*IDN?") return Delayed(ReplyLine("LX,LX2110,V1.02,2026,SN0042"), 2500ms);
    if (command == "FETCH:INT?" && slowPolls++ == 0) return Delayed(ReplyLine(kReading), 2500ms);
    return std::nullopt;
  });
  ConnectPanel();
  ASSERT_TRUE(Connected());
  EXPECT_EQ(panel_->LLs999->text(), "LX2110");
  ASSERT_TRUE(WaitForReadings(1, 8s));
  EXPECT_EQ(CountOf(MainLog(), ""), 0u) << "no poll timed out";
  EXPECT_EQ(panel_->LLs2->text(), "1.2345");
}

// A reply that comes 300 ms after the limit is no answer, and it must not become the answer
// to whatever is sent next.
TEST_F(LineFaultTest, AReplyJustOverTheLimitIsDroppedAndAnswersNothingLater) {
  ConnectPanel();
  ASSERT_TRUE(WaitForReadings(1));
  std::vector<QString> shown;
  QObject::connect(panel_.get(), &TFrmMain::ReadingDisplayed,
                   [&] { shown.push_back(panel_->LLs2->text()); });
  std::atomic<int> latePolls{0};
  SetFault([&](const std::string& command) -> std::optional<Response> {
    if (command == "FETCH:INT?" && latePolls++ == 0) {
      return Delayed(ReplyLine("Cs,9.9999nF,D,0.09999"), 3300ms);
    }
    return std::nullopt;
  });
  ASSERT_TRUE(WaitUntil([&] { return CountOf(MainLog(), "") == 1; }, 8s));
  // Right after the time-out the operator asks something, while the late reply is on its way.
  PickItem(panel_->cb8, "SLOW");
  ASSERT_TRUE(WaitForReadings(2, 8s));
  for (const std::string& line : MainLog()) {
    EXPECT_EQ(line.find("9.9999"), std::string::npos) << line;
  }
  for (const QString& text : shown) EXPECT_NE(text, "9.9999");
  EXPECT_EQ(panel_->LLs2->text(), "1.2345");
  EXPECT_EQ(meter_->CountOf("APERture SLOW"), 1u);
}

// The simulated meter answers the connect sequence's last question 3.5 s late, just as the
// first poll goes out: that answer is no reading, and every poll still gets its own reply.
using LateReplySimTest = SimulatedMeterTest;
TEST_F(LateReplySimTest, AnAnswerPastTheLimitIsDroppedNotTakenAsTheNextReply) {
  StartAndConnect(7, {{sim::FaultKind::Late, {command::kAskComparator}}});
  ASSERT_TRUE(WaitForReadings(3, 20s));
  ExpectCleanDisconnect();
  ExpectLogsHoldEveryPollerReply("late comparator answer", {"out of step: 5 late bytes dropped."});
  EXPECT_EQ(CountOf(MainLog(), "out of step: 5 late bytes dropped."), 1u);  // "OFF" CR LF
}

TEST_F(LineFaultTest, ErrorRepliesToPollsKeepTheDisplayAndLetTheOperatorIn) {
  // On the paced line the immediate repoll after an error reply is what a real meter sees.
  meter_.reset();
  panel_.reset();
  StartMeterAndPanel(9600);
  ConnectPanel();
  ASSERT_TRUE(WaitForReadings(1));
  FailCommand("FETCH:INT?", ReplyLine("exec err"));
  // Once an error is logged, the last good cycle (and its readings-log line) is over.
  ASSERT_TRUE(WaitUntil([&] { return CountOf(MainLog(), "exec err") >= 1; }, 8s));
  const std::size_t readingsLogged = NewLog().size();
  const ProcessCpu cpu;
  ASSERT_TRUE(WaitUntil([&] { return CountOf(MainLog(), "exec err") >= 8; }, 8s));
  EXPECT_LT(cpu.ShareOfOneCore(), kIdleShare);
  EXPECT_EQ(panel_->LLs2->text(), "1.2345") << "the previous reading stays";
  EXPECT_EQ(NewLog().size(), readingsLogged);
  // Error replies are polled again at once, yet the operator's pick goes out between two polls.
  PickItem(panel_->cb8, "SLOW");
  EXPECT_EQ(meter_->CountOf("APERture SLOW"), 1u);
  EndFault();
  ExpectWorkingAgain();
}

// A meter on a fast line (a USB device, or an adapter that buffers) that rejects every poll at
// once must not drive the poller into a loop that burns a core and floods the log.
TEST_F(LineFaultTest, ErrorRepliesWithoutEndOnAFastLineDoNotSpin) {
  ConnectPanel();
  ASSERT_TRUE(WaitForReadings(1));
  const std::size_t before = MainLog().size();
  FailCommand("FETCH:INT?", ReplyLine("exec err"));
  const ProcessCpu cpu;
  WaitUntil([] { return false; }, 2s);
  const double seconds = cpu.WallSeconds();
  EXPECT_LT(cpu.ShareOfOneCore(), kIdleShare);
  const std::size_t errors = CountOf(MainLog(), "exec err");
  std::printf("%zu error replies logged in %.1f s\n", errors, seconds);
  // A few error replies are still polled again at once, but then the poller keeps its pace.
  EXPECT_LE(MainLog().size() - before, static_cast<std::size_t>(10 * seconds + 4));
  EndFault();
  ExpectWorkingAgain();
}

TEST_F(LineFaultTest, ErrorRepliesToSettingsChangeNothingElse) {
  ConnectPanel();
  ASSERT_TRUE(WaitForReadings(1));
  SetFault([](const std::string& command) -> std::optional<Response> {
    if (command.find('?') == std::string::npos && command != "SYSTem:LOCal") {
      return ReplyLine(command.size() % 2 ? "cmd err" : "exec err");
    }
    return std::nullopt;
  });
  PickItem(panel_->cb8, "SLOW");
  EXPECT_EQ(panel_->cb8->currentText(), "SLOW") << "the selector keeps the choice";
  panel_->cb5->setCurrentIndex(1);
  emit panel_->cb5->activated(1);
  panel_->rbtn13->click();  // a key whose reply is not read back
  EXPECT_TRUE(Connected());
  ExpectWorkingAgain();
  ExpectCleanDisconnect();
}

}  // namespace
}  // namespace benchbridge::testing
