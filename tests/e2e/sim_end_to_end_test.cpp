// The whole program against the simulated meter: benchbridge-sim runs as its own process on a
// pty linked as COM9 of a temporary home, paced like a 9600 baud line, and the real panel
// connects to it as the operator would, watches readings and settings, and disconnects.

#include <QRegularExpression>
#include <QSignalSpy>
#include <filesystem>
#include <fstream>

#include "log_writer.h"
#include "sim_panel_harness.h"

namespace benchbridge::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::vector<std::string> Lines(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class SimEndToEndTest : public SimPanelHarness {
 protected:
  fs::path Log(const std::string& suffix) const {
    return home_.Path() / "log" /
           (FormatLogDate(std::chrono::system_clock::now()) + suffix + ".log");
  }
};

TEST_F(SimEndToEndTest, ConnectWatchAndDisconnect) {
  TFrmMain& panel = StartPanel();
  ConnectToSim(panel);

  // Identified and mirrored.
  EXPECT_EQ(panel.rbtn1->text(), "DisConnect device");
  EXPECT_EQ(panel.bb5->text(), "REMOTE");
  EXPECT_EQ(panel.LLs999->text(), "LX2110");
  EXPECT_EQ(panel.Context().State().modelName, "LX2110");
  EXPECT_FALSE(panel.CB1->text().isEmpty());
  EXPECT_EQ(panel.cb2->count(), 6);
  EXPECT_EQ(panel.cb4->count(), 16);
  EXPECT_GE(panel.cb4->currentIndex(), 0) << "the meter's frequency is one of the list";
  for (QPushButton* button : panel.Buttons()) EXPECT_TRUE(button->isEnabled());

  // Live readings of a 22 nF capacitor.
  QSignalSpy readings(&panel, &TFrmMain::ReadingDisplayed);
  ASSERT_TRUE(WaitUntil([&] { return readings.count() >= 3; }, 10s));
  bool isNumber = false;
  panel.LLs2->text().toDouble(&isNumber);
  EXPECT_TRUE(isNumber) << panel.LLs2->text().toStdString();
  EXPECT_TRUE(panel.LLs1->text().endsWith(':'));
  EXPECT_EQ(panel.LLs3->text(), "nF");

  panel.rbtn1->click();
  EXPECT_EQ(panel.Poller(), nullptr);
  EXPECT_EQ(panel.bb5->text(), "LOCAL");
  EXPECT_EQ(panel.rbtn1->text(), "Connecting device");

  // The day's two logs: every poll reply, and every reading normalised.
  const QRegularExpression stamp(R"(, \d{4}-\d\d-\d\d \d\d:\d\d:\d\d:\d{3}$)");
  const auto main = Lines(Log(""));
  const auto normalised = Lines(Log("_new"));
  ASSERT_GE(main.size(), 3u);
  ASSERT_GE(normalised.size(), 3u);
  for (const auto& line : normalised) {
    EXPECT_TRUE(stamp.match(QString::fromStdString(line)).hasMatch()) << line;
    EXPECT_NE(line.find("e-9,F,"), std::string::npos) << line;
  }
  // The meter went back to local operation last.
  const auto transcript = Lines(Transcript());
  auto lastCommand = std::find_if(transcript.rbegin(), transcript.rend(),
                                  [](const std::string& l) { return l.find(" cmd ") != l.npos; });
  ASSERT_NE(lastCommand, transcript.rend());
  EXPECT_NE(lastCommand->find("cmd SYSTem:LOCal"), std::string::npos) << *lastCommand;
}

}  // namespace
}  // namespace benchbridge::testing
