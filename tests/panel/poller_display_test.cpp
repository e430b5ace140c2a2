// The poller's texts on the real display and in the day's two log files.

#include <QSignalSpy>
#include <filesystem>
#include <fstream>

#include "fit_label.h"
#include "log_writer.h"
#include "modal_watcher.h"
#include "panel_harness.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> LogLines(const std::filesystem::path& home, const std::string& suffix) {
  std::ifstream in(home / "log" /
                   (FormatLogDate(std::chrono::system_clock::now()) + suffix + ".log"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The logged text without its ", <stamp>" tail.
std::string Text(const std::string& line) {
  const auto comma = line.rfind(", ");
  return comma == std::string::npos ? line : line.substr(0, comma);
}

class PollerDisplayTest : public PanelHarness {
 protected:
  void SetUp() override {
    StartMeter();
    StartPanel();
  }
  bool NextReading() {
    QSignalSpy spy(panel_.get(), &TFrmMain::ReadingDisplayed);
    return spy.wait(5000);
  }
};

TEST_F(PollerDisplayTest, AReadingReachesTheLabelsAndBothLogs) {
  ConnectPanel();
  ASSERT_TRUE(NextReading());
  EXPECT_EQ(panel_->LLs1->text(), "Cs:");
  EXPECT_EQ(panel_->LLs2->text(), "1.2345");
  EXPECT_EQ(panel_->LLs3->text(), "nF");
  EXPECT_EQ(panel_->LLs4->text(), "D:");
  EXPECT_EQ(panel_->LLs5->text(), "0.01234");
  EXPECT_EQ(panel_->LLs6->text(), "");
  const auto main = LogLines(home_.Path(), "");
  ASSERT_FALSE(main.empty());
  // The texts go to the window before the line goes to the "_new" log.
  std::vector<std::string> normalised;
  ASSERT_TRUE(WaitUntil([&] { return !(normalised = LogLines(home_.Path(), "_new")).empty(); }));
  EXPECT_EQ(Text(main.front()), "Cs,1.2345nF,D,0.01234");
  EXPECT_EQ(Text(normalised.front()), "Cs,1.2345e-9,F,D,0.01234,");
}

TEST_F(PollerDisplayTest, AnErrorReplyIsLoggedButNotShownAndPolledAgain) {
  meter_->RespondInTurn("FETCH:INT?", {ReplyLine("Ls,10.0uH,Q,5.5"), ReplyLine("exec err"),
                                       ReplyLine("Rs,1.5kΩ,X,2.0kΩ")});
  // Counted from before the connect: on a slow machine the first reading can come while the
  // connect sequence still runs.
  QSignalSpy readings(panel_.get(), &TFrmMain::ReadingDisplayed);
  ConnectPanel();
  ASSERT_TRUE(WaitUntil([&] { return readings.count() >= 1; }, 5s));
  EXPECT_EQ(panel_->LLs3->text(), "μH");
  ASSERT_TRUE(WaitUntil([&] { return readings.count() >= 2; }, 5s));
  EXPECT_EQ(panel_->LLs1->text(), "Rs:");
  EXPECT_EQ(panel_->LLs6->text(), "kΩ");
  const auto main = LogLines(home_.Path(), "");
  ASSERT_GE(main.size(), 3u);
  EXPECT_EQ(Text(main[1]), "exec err");
  // The texts go to the window before the line goes to the log.
  std::vector<std::string> normalised;
  ASSERT_TRUE(WaitUntil([&] { return (normalised = LogLines(home_.Path(), "_new")).size() >= 2; }));
  EXPECT_EQ(Text(normalised[0]), "Ls,10.0e-6,H,Q,5.5,");
  EXPECT_EQ(Text(normalised[1]), "Rs,1.5e3,Ω,X,2.0e3,Ω");
}

TEST_F(PollerDisplayTest, BinAndStatisticsRepliesGoToTheirLabels) {
  meter_->RespondInTurn("COMParator:TOLerance:BIN?",
                        {ReplyLine("A"), ReplyLine("12"), ReplyLine("O")});
  meter_->RespondInTurn("FUNCtion:COMV?", {ReplyLine("1.5nF"), ReplyLine("1,2")});
  ConnectPanel();
  panel_->Context().SetBinQuery(true);
  panel_->Context().SetStatQuery(true);
  ASSERT_TRUE(WaitUntil([&] { return panel_->lls7->text() == "BIN:AUX"; }));
  EXPECT_TRUE(WaitUntil([&] { return panel_->bb4->text() == "1.5nF"; }));
  // "12" is no bin and "1,2" no value: both leave their labels alone until the next ones.
  ASSERT_TRUE(WaitUntil([&] { return meter_->CountOf("FUNCtion:COMV?") >= 2; }));
  ASSERT_TRUE(WaitUntil([&] { return panel_->lls7->text() == "BIN:OUT"; }));
  EXPECT_EQ(panel_->bb4->text(), "1.5nF");
  const auto main = LogLines(home_.Path(), "");
  EXPECT_NE(std::find_if(main.begin(), main.end(), [](auto& l) { return Text(l) == "12"; }),
            main.end());
}

TEST_F(PollerDisplayTest, APausedPollerResumesWhenThePauseIsCleared) {
  ConnectPanel();
  ASSERT_TRUE(NextReading());
  panel_->Context().Controls().SetPollPaused(true);
  // Let a cycle that was already under way finish, then nothing more may come.
  QTest::qWait(700);
  const auto polls = meter_->CountOf("FETCH:INT?");
  QTest::qWait(1200);
  EXPECT_EQ(meter_->CountOf("FETCH:INT?"), polls);
  panel_->Context().Controls().SetPollPaused(false);
  EXPECT_TRUE(meter_->WaitForCommand("FETCH:INT?", 5s, polls + 1));
  EXPECT_TRUE(NextReading());
}

TEST_F(PollerDisplayTest, LostLogLinesAreToldOnceAndShownUntilALineIsWrittenAgain) {
  const std::filesystem::path logDir = home_.Path() / "log";
  std::ofstream(logDir) << "a file where the log folder should be";
  StartMeter();
  StartPanel();
  QSignalSpy readings(panel_.get(), &TFrmMain::ReadingDisplayed);
  ModalWatcher watcher;
  ConnectPanel();
  ASSERT_TRUE(WaitUntil([&] { return watcher.Count() == 1; }));
  const std::string told = watcher.Last().text.toStdString();
  EXPECT_NE(told.find(logDir.string() + " cannot be written: a file stands where the folder"),
            std::string::npos)
      << told;
  const auto lossShown = [&] { return panel_->bb5->toolTip().contains("Log lines lost since"); };
  EXPECT_TRUE(lossShown());
  const int before = readings.count();
  EXPECT_TRUE(WaitUntil([&] { return readings.count() >= before + 2; })) << "polling goes on";

  std::filesystem::remove(logDir);
  EXPECT_TRUE(WaitUntil([&] { return !lossShown(); }));
  EXPECT_FALSE(LogLines(home_.Path(), "_new").empty());

  std::filesystem::rename(logDir, home_.Path() / "old-log");
  std::ofstream(logDir) << "again";
  EXPECT_TRUE(WaitUntil(lossShown));
  EXPECT_EQ(watcher.Count(), 1) << "one message a run";
}

}  // namespace
}  // namespace benchbridge::testing
