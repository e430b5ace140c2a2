// The sweep window on the real panel against benchbridge-sim on a pty (paced, with its
// transcript): opened with Ctrl+Shift+S sending nothing, the panel's keys waiting while it runs,
// the readback after it, and each way a sweep can end: Stop, a lost line and the meter's return,
// Disconnect, Close; a bridge client meanwhile.

#include <gmock/gmock.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <fstream>

#include "bridge_client.h"
#include "sim_panel_harness.h"
#include "sweep_window.h"
#include "transcript_file.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;
using Kind = sim::TranscriptEntry::Kind;
constexpr const char* kCapacitor = "capacitor:C=470u,ESR=30m,ESL=15n";

std::vector<std::string> Commands(const std::filesystem::path& transcript) {
  std::vector<std::string> commands;
  std::ifstream in(transcript);
  for (std::string line; std::getline(in, line);) {
    const auto entry = sim::ParseTranscriptLine(line);
    if (entry && entry->kind == Kind::Command) commands.push_back(entry->bytes);
  }
  return commands;
}

// From the first line of the sweep: what it sent, in order.
std::vector<std::string> From(const std::vector<std::string>& commands, const std::string& first) {
  const auto at = std::find(commands.begin(), commands.end(), first);
  return {at, commands.end()};
}

// The last of commands that starts with prefix ("" for none).
std::string LastStartingWith(const std::vector<std::string>& commands, const std::string& prefix) {
  const auto at = std::find_if(commands.rbegin(), commands.rend(), [&](const std::string& command) {
    return command.rfind(prefix, 0) == 0;
  });
  return at == commands.rend() ? std::string() : *at;
}

class SweepEndToEndTest : public SimPanelHarness {
 protected:
  std::string Dut() const override { return dut_; }
  QString Model() const override { return model_; }
  QStringList MoreOptions() const override { return options_; }

  // The meter starts in OpenSweep, once the test has chosen it.
  void SetUp() override {}

  SweepWindow& OpenSweep() {
    SimPanelHarness::SetUp();
    TFrmMain& panel = StartPanel();
    if (bridge_) {
      EXPECT_EQ(panel.SetBridgeListen("127.0.0.1:0"), "");
    }
    ConnectToSim(panel);
    EXPECT_EQ(panel.bb5->text(), "REMOTE");
    panel.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&panel));
    const std::size_t sent = Commands(Transcript()).size();
    QTest::keyClick(&panel, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_NE(panel.Sweep(), nullptr);
    SweepWindow& window = *panel.Sweep();
    // Opening it asked the meter nothing: only polls went out meanwhile.
    const std::vector<std::string> after = Commands(Transcript());
    for (std::size_t i = sent; i < after.size(); ++i) EXPECT_EQ(after[i], "FETCH:INT?");
    return window;
  }
  template <typename T>
  T* Find(SweepWindow& window, const char* name) {
    return window.findChild<T*>(name);
  }
  void SetUpSweep(SweepWindow& window, int start, int stop, int points, int averaging) {
    Find<QSpinBox>(window, "startBox")->setValue(start);
    Find<QSpinBox>(window, "stopBox")->setValue(stop);
    Find<QSpinBox>(window, "pointsBox")->setValue(points);
    Find<QSpinBox>(window, "averagingBox")->setValue(averaging);
  }
  bool RunToEnd(SweepWindow& window) {
    QSignalSpy ended(&window, &SweepWindow::SweepEnded);
    Find<QPushButton>(window, "startButton")->click();
    return WaitUntil([&] { return ended.count() == 1; }, 60s);
  }
  std::string dut_ = kCapacitor;
  QString model_ = "LX3110";
  QStringList options_;
  bool bridge_ = false;
};

TEST_F(SweepEndToEndTest, ACeramicLosesCapacitanceUnderBiasAndStopSetsTheBiasBack) {
  dut_ = "ceramic:C=1u,LOSS=0.4";
  SweepWindow& window = OpenSweep();
  TFrmMain& panel = *qobject_cast<TFrmMain*>(window.parentWidget());
  auto* setting = Find<QComboBox>(window, "settingBox");
  setting->setCurrentIndex(2);
  emit setting->activated(2);
  SetUpSweep(window, 0, 1500, 4, 1);
  // Meanwhile the panel's keys and lists wait; Disconnect and Close do not.
  bool keysWaited = true;
  // So do the values: a double-click on one opens no dialog (it would show a value never sent).
  bool dialogOpened = false;
  QObject::connect(&window, &SweepWindow::PointShown, [&](int index) {
    keysWaited = keysWaited && !panel.cb8->isEnabled() && !panel.rbtn3->isEnabled() &&
                 panel.rbtn1->isEnabled() && panel.rbtnQ->isEnabled();
    if (index != 0) return;
    QTimer::singleShot(0, [&] {
      if (QWidget* dialog = QApplication::activeModalWidget()) {
        dialogOpened = true;
        dialog->close();
      }
    });
    QTest::mouseDClick(panel.bb22, Qt::LeftButton);
  });
  ASSERT_TRUE(RunToEnd(window));
  EXPECT_TRUE(keysWaited);
  EXPECT_FALSE(dialogOpened);
  EXPECT_TRUE(panel.cb8->isEnabled());
  EXPECT_TRUE(panel.rbtn3->isEnabled());
  const SweepRecord& record = window.Current();
  ASSERT_EQ(record.points.size(), 4u);
  EXPECT_NEAR(record.points[0].primary, 1e-6, 2e-9);
  EXPECT_NEAR(record.points[3].primary, 0.6e-6, 2e-9);  // 40 % gone at 1.5 V
  EXPECT_EQ(From(Commands(Transcript()), "BIAS:VOLTage:LEVel 0").at(1), "FETCH:INT?");

  // Stop after the second point of the next one: the bias goes back to 0 mV and is read back.
  SetUpSweep(window, 0, 1500, 16, 1);
  QSignalSpy ended(&window, &SweepWindow::SweepEnded);
  const QMetaObject::Connection stopAtTwo =
      QObject::connect(&window, &SweepWindow::PointShown, [&](int index) {
        if (index == 1) Find<QPushButton>(window, "stopButton")->click();
      });
  Find<QPushButton>(window, "startButton")->click();
  ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 60s));
  EXPECT_LT(window.Current().points.size(), 16u);
  const std::vector<std::string> wire = Commands(Transcript());
  const auto restore = std::find(wire.rbegin(), wire.rend(), "BIAS:VOLTage:LEVel 0");
  ASSERT_NE(restore, wire.rend());
  // The readback follows (a poll may come first, once the line is given back).
  EXPECT_THAT(std::vector<std::string>(wire.rbegin(), restore),
              ::testing::Contains("BIAS:VOLTage:LEVel?"));
  EXPECT_EQ(panel.bb33->text(), "0mV");
  EXPECT_THAT(window.findChild<QLabel*>("sweepStatus")->text().toStdString(),
              ::testing::HasSubstr("Stopped"));

  // Closing the window mid-sweep ends the sweep the same way, and polling goes on.
  QObject::disconnect(stopAtTwo);
  QObject::connect(&window, &SweepWindow::PointShown, [&](int index) {
    if (index == 1) window.close();
  });
  const std::size_t sentBefore = Commands(Transcript()).size();
  Find<QPushButton>(window, "startButton")->click();
  ASSERT_TRUE(WaitUntil([&] { return ended.count() == 2; }, 60s));
  EXPECT_FALSE(window.isVisible());
  EXPECT_LT(window.Current().points.size(), 16u);
  EXPECT_TRUE(panel.cb8->isEnabled());
  // The bias set back (the last bias set before the readback's query is 0), then polling.
  std::vector<std::string> tail;
  ASSERT_TRUE(WaitUntil([&] {
    tail = Commands(Transcript());
    tail.erase(tail.begin(), tail.begin() + static_cast<std::ptrdiff_t>(sentBefore));
    const auto readBack = std::find(tail.begin(), tail.end(), "BIAS:VOLTage:LEVel?");
    return std::find(readBack, tail.end(), "FETCH:INT?") != tail.end();
  }));
  tail.erase(std::find(tail.begin(), tail.end(), "BIAS:VOLTage:LEVel?"), tail.end());
  EXPECT_EQ(LastStartingWith(tail, "BIAS:VOLTage:LEVel "), "BIAS:VOLTage:LEVel 0");
  EXPECT_GE(std::count_if(tail.begin(), tail.end(),
                          [](const std::string& command) {
                            return command.rfind("BIAS:VOLTage:LEVel ", 0) == 0;
                          }),
            3);  // the first two points and the restore
  EXPECT_EQ(panel.bb33->text(), "0mV");
}

TEST_F(SweepEndToEndTest, ALostLineKeepsThePointsAndDisconnectAndCloseSetTheFrequencyBack) {
  SweepWindow& window = OpenSweep();
  TFrmMain& panel = *qobject_cast<TFrmMain*>(window.parentWidget());
  SetUpSweep(window, 100, 100000, 51, 1);
  QSignalSpy ended(&window, &SweepWindow::SweepEnded);
  QSignalSpy shown(&window, &SweepWindow::PointShown);
  Find<QPushButton>(window, "startButton")->click();
  ASSERT_TRUE(WaitUntil([&] { return shown.count() >= 3; }));
  ::kill(static_cast<pid_t>(sim_.processId()), SIGUSR1);  // the cable pulled
  ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 30s));
  EXPECT_GE(window.Current().points.size(), 3u);
  EXPECT_LT(window.Current().points.size(), 51u);
  EXPECT_THAT(window.findChild<QLabel*>("sweepStatus")->text().toStdString(),
              ::testing::HasSubstr("lost"));
  ::kill(static_cast<pid_t>(sim_.processId()), SIGUSR2);  // and back: the same meter answers
  ASSERT_TRUE(WaitUntil([&] { return panel.bb5->text() == "REMOTE"; }, 30s));
  // The meter still stands at the last point's frequency, and the panel says so.
  EXPECT_NE(panel.bb44->text(), "1000Hz");

  // Disconnect mid-sweep: the frequency goes back before the meter is sent to local, and nothing
  // follows "LOCal". The sweep runs past the poll period first, so that a poll is due the moment
  // the sweep gives the line back.
  Find<QPushButton>(window, "startButton")->click();
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitUntil(
      [&] { return shown.count() >= 5 && std::chrono::steady_clock::now() - started > 700ms; }));
  const std::string before = panel.bb44->text().toStdString();
  const std::string restore = "FREQuency:CW " + before.substr(0, before.size() - 2);
  panel.rbtn1->click();
  ASSERT_TRUE(WaitUntil([&] { return ended.count() == 2; }));
  QTest::qWait(700);  // a poll that was let through would be on the wire by now
  std::vector<std::string> wire = Commands(Transcript());
  ASSERT_GE(wire.size(), 2u);
  EXPECT_EQ(wire.back(), "SYSTem:LOCal");
  EXPECT_EQ(LastStartingWith(wire, "FREQuency:CW "), restore);

  // Close mid-sweep, likewise.
  ConnectToSim(panel);
  Find<QPushButton>(window, "startButton")->click();
  const auto restarted = std::chrono::steady_clock::now();
  ASSERT_TRUE(WaitUntil(
      [&] { return shown.count() >= 7 && std::chrono::steady_clock::now() - restarted > 700ms; }));
  panel.close();
  QTest::qWait(700);
  wire = Commands(Transcript());
  EXPECT_EQ(wire.back(), "SYSTem:LOCal");
  EXPECT_EQ(LastStartingWith(wire, "FREQuency:CW "), restore);
}

TEST_F(SweepEndToEndTest, ABridgeClientsSettingWaitsForTheSweepToEnd) {
  model_ = "LX3102";
  bridge_ = true;
  SweepWindow& window = OpenSweep();
  TFrmMain& panel = *qobject_cast<TFrmMain*>(window.parentWidget());
  SetUpSweep(window, 1000, 10000, 6, 1);
  QSignalSpy shown(&window, &SweepWindow::PointShown);
  QSignalSpy ended(&window, &SweepWindow::SweepEnded);
  Find<QPushButton>(window, "startButton")->click();
  ASSERT_TRUE(WaitUntil([&] { return shown.count() >= 1; }));
  std::optional<std::string> reply;
  std::thread client([&, port = PortOf(panel.BridgeListeningOn())] {
    BridgeClient script(port);
    // A setting gets no reply from the bridge; the query after it tells it was carried out.
    if (script.Send("FREQuency:CW 5000\nFREQuency:CW?\n")) reply = script.ReadLine(30s);
  });
  ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 60s));
  ASSERT_TRUE(WaitUntil([&] { return reply.has_value(); }, 30s));
  client.join();
  EXPECT_EQ(reply, "5000");
  // The client's setting went out after the sweep had set the frequency back, not between points.
  const std::vector<std::string> wire = From(Commands(Transcript()), "FREQuency:CW 1000");
  const auto restore = std::find(wire.begin() + 1, wire.end(), "FREQuency:CW 1000");
  const auto clients = std::find(wire.begin(), wire.end(), "FREQuency:CW 5000");
  ASSERT_NE(clients, wire.end());
  EXPECT_LT(restore, clients);
  ASSERT_TRUE(
      WaitUntil([&] { return panel.bb44->text() == "5000HZ" || panel.bb44->text() == "5000Hz"; }));
}

}  // namespace
}  // namespace benchbridge::testing
