// The cable pulled while connected and put back: the loss is shown (OFFLINE) and logged once,
// nothing more is written to the dead port, and when the port comes back the whole connect
// sequence runs again and leaves the panel as a first connection does; another meter behind the
// port stops it with a message; Disconnect and Close while the port is gone; and the simulated
// meter's cable pulled twenty times in a row, with every reading it sent in the logs and no
// descriptor or thread left behind.

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <filesystem>

#include "fit_label.h"
#include "sim_harness.h"
#include "uFrmComp.h"
#include "uFrmList.h"
#include "uFrmSetup.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

std::size_t EntriesOf(const char* folder) {
  const auto entries = std::filesystem::directory_iterator(folder);
  return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

// What the operator sees of the panel: every label's and key's text, the selectors' picks, what
// can be pressed, and the status tooltip.
std::vector<std::string> Display(const TFrmMain& panel) {
  std::vector<std::string> shown;
  for (const QWidget* widget : panel.findChildren<QWidget*>()) {
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
      text = label->text();
    } else if (const auto* key = qobject_cast<const QPushButton*>(widget)) {
      text = key->text();
    } else if (const auto* list = qobject_cast<const QComboBox*>(widget)) {
      text = list->currentText();
    } else {
      continue;
    }
    shown.push_back(widget->objectName().toStdString() + "=" + text.toStdString() +
                    (widget->isEnabled() ? "" : " (off)") + widget->toolTip().toStdString());
  }
  std::sort(shown.begin(), shown.end());
  return shown;
}

bool Offline(const TFrmMain& panel) { return panel.bb5->text() == "OFFLINE"; }

bool BackAndPolling(const TFrmMain& panel) {
  return panel.bb5->text() == "REMOTE" && panel.rbtn2->isEnabled() && panel.cb8->isEnabled();
}

// Only Disconnect and Close can be pressed, and no selector can be used.
void ExpectKeysLockedButDisconnectAndClose(const TFrmMain& panel) {
  for (const QPushButton* key : panel.Buttons()) {
    EXPECT_EQ(key->isEnabled(), key == panel.rbtn1 || key == panel.rbtnQ)
        << key->objectName().toStdString();
  }
  for (const QComboBox* selector : panel.Selectors()) {
    EXPECT_FALSE(selector->isEnabled()) << selector->objectName().toStdString();
  }
  EXPECT_EQ(panel.rbtn1->text(), "DisConnect device");
}

class LinkReturnTest : public StartedPanelTest {
 protected:
  void ConnectAndPull() {
    ConnectPanel();
    ASSERT_TRUE(Connected());
    ASSERT_TRUE(WaitForReadings(1));
    meter_->HangUp();
    ASSERT_TRUE(WaitUntil([&] { return Offline(*panel_); }));
  }
};

TEST_F(LinkReturnTest, LossShownAndLoggedOnceThenTheWholeConnectSequenceRunsAgain) {
  ConnectPanel();
  ASSERT_TRUE(Connected());
  ASSERT_TRUE(WaitForReadings(1));
  const std::vector<std::string> firstDisplay = Display(*panel_);
  const std::vector<std::string> firstSequence = PanelCommands();

  meter_->HangUp();
  ASSERT_TRUE(WaitUntil([&] { return Offline(*panel_); }));
  EXPECT_TRUE(panel_->bb5->toolTip().startsWith("Line lost at "))
      << panel_->bb5->toolTip().toStdString();
  ExpectKeysLockedButDisconnectAndClose(*panel_);
  const std::vector<std::string> atLoss = MainLog();
  ASSERT_EQ(CountOf(atLoss, "link lost."), 1u);
  EXPECT_EQ(atLoss.back(), "link lost.");
  // The write that met the hang-up is the only "send bad.", just before the loss.
  EXPECT_LE(CountOf(atLoss, "send bad."), 1u);
  if (CountOf(atLoss, "send bad.") == 1) {
    EXPECT_EQ(atLoss[atLoss.size() - 2], "send bad.");
  }
  // While the port is gone the poller writes nothing: no "send bad." and no empty reading.
  EXPECT_FALSE(WaitUntil([&] { return MainLog().size() > atLoss.size(); }, 1500ms));

  ReplaceMeter();  // the adapter is back, the same meter behind it
  ASSERT_TRUE(WaitUntil([&] { return BackAndPolling(*panel_); }));
  ASSERT_TRUE(WaitForReadings(1));
  // The sequence of a first connection, then the meter set to the panel's statistic (none),
  // deviation (off) and list function (off).
  std::vector<std::string> returnSequence = firstSequence;
  returnSequence.insert(returnSequence.end(),
                        {"FUNCtion:COM OFF", "FUNCtion:DEV:MODE OFF", "LIST:STATe OFF"});
  EXPECT_EQ(PanelCommands(), returnSequence);
  EXPECT_EQ(Display(*panel_), firstDisplay);
  const std::vector<std::string> log = MainLog();
  const auto lost = std::find(log.begin(), log.end(), "link lost.");
  ASSERT_NE(lost, log.end());
  EXPECT_EQ(*(lost + 1), "link back.");
  EXPECT_EQ(CountOf(log, "link back."), 1u);
  EXPECT_EQ(log.back(), "Cs,1.2345nF,D,0.01234");
  ExpectNoErrorBox();
}

TEST_F(LinkReturnTest, AnotherMeterBehindTheReturnedPortStopsWithTheMessage) {
  ConnectAndPull();
  ReplaceMeter();
  FailCommand("*IDN?", ReplyLine("LX,LX3101,V2.00,2026,SN0777"));
  ASSERT_TRUE(WaitUntil([&] { return !panel_->Context().Connected(); }));
  EXPECT_EQ(panel_->Poller(), nullptr);
  EXPECT_EQ(panel_->rbtn1->text(), "Connecting device");
  EXPECT_EQ(panel_->bb5->text(), "LOCAL");
  EXPECT_TRUE(panel_->c1->isEnabled());
  ASSERT_EQ(Modals().size(), 1u);
  const std::string message = Modals()[0].text.toStdString();
  EXPECT_NE(message.find("LX3101, serial SN0777"), std::string::npos) << message;
  EXPECT_NE(message.find("LX2110, serial SN0042"), std::string::npos) << message;
  // Nothing past the identification; the meter found is handed back to its own keys.
  EXPECT_EQ(meter_->CountOf("*LX?"), 0u);
  EXPECT_EQ(meter_->CountOf("SYSTem:LOCal"), 1u);
  EXPECT_EQ(CountOf(MainLog(), "link back."), 0u);
  ExpectNoErrorBox();
}

// Meter B connected after meter A, and its cable pulled before it answered "*IDN?": on return B
// is the meter of the connection that was lost, not "another meter" than A.
TEST_F(LinkReturnTest, TheReturnIsComparedWithTheLostConnectionsMeter) {
  ConnectPanel();
  ASSERT_TRUE(Connected());
  ExpectCleanDisconnect();
  const Response meterB = ReplyLine("LX,LX3101,V2.00,2026,SN0777");
  ReplaceMeter();
  FailCommand("*IDN?", HangUpInstead());
  ConnectPanel();
  ASSERT_TRUE(WaitUntil([&] { return Offline(*panel_); }));
  ReplaceMeter();  // the port is looked for every half second: time to script it
  FailCommand("*IDN?", meterB);
  ASSERT_TRUE(WaitUntil([&] { return BackAndPolling(*panel_); }));
  EXPECT_EQ(panel_->LLs999->text(), "LX3101");
  EXPECT_TRUE(Modals().empty());
  EXPECT_EQ(CountOf(MainLog(), "link back."), 1u);
}

TEST_F(LinkReturnTest, DisconnectWhileOfflineEndsTheLookingAtOnce) {
  ConnectAndPull();
  const std::size_t sendBad = CountOf(MainLog(), "send bad.");
  ExpectCleanDisconnect();
  EXPECT_EQ(CountOf(MainLog(), "send bad."), sendBad) << "no LOCal to the dead port";
  EXPECT_EQ(panel_->bb5->toolTip(), "");

  ReplaceMeter();
  EXPECT_FALSE(meter_->WaitForCommandCount(1, 1500ms)) << "the port is no longer looked for";
  ConnectPanel();
  EXPECT_TRUE(Connected());
}

// The cable goes while Disconnect's "SYSTem:LOCal" is on the wire: the operator's Disconnect
// still ends disconnected, and the port is not looked for (the meter is not taken back).
TEST_F(LinkReturnTest, DisconnectThatMeetsThePullEndsDisconnected) {
  ConnectPanel();
  ASSERT_TRUE(Connected());
  FailCommand("SYSTem:LOCal", HangUpInstead());
  panel_->rbtn1->click();
  EXPECT_TRUE(meter_->HungUp());
  QCoreApplication::processEvents();
  EXPECT_FALSE(panel_->Context().Connected());
  EXPECT_EQ(panel_->rbtn1->text(), "Connecting device");
  EXPECT_EQ(panel_->bb5->text(), "LOCAL");
  EXPECT_EQ(panel_->Poller(), nullptr);
  EndFault();
  ReplaceMeter();
  EXPECT_FALSE(meter_->WaitForCommandCount(1, 1500ms)) << "the port is no longer looked for";
  EXPECT_EQ(panel_->bb5->text(), "LOCAL");
  EXPECT_EQ(CountOf(MainLog(), "link lost."), 1u);
}

TEST_F(LinkReturnTest, CloseWhileOfflineLeavesNoThreadBehind) {
  const std::size_t tasks = EntriesOf("/proc/self/task");
  ConnectAndPull();
  panel_->close();
  EXPECT_TRUE(panel_->Context().ShuttingDown());
  EXPECT_EQ(panel_->Poller(), nullptr);
  // A joined thread leaves the task list a moment after the join returns.
  EXPECT_TRUE(WaitUntil([&] { return EntriesOf("/proc/self/task") == tasks; }, 2s));
}

// MAX and NULL whose exchanges meet the pulled cable (the meter got them, no reply came back):
// the panel stays as before each key, and after the return the meter is set to what the panel
// shows, so the next NULL switches deviation on, as the panel promises.
TEST_F(LinkReturnTest, KeysCutByTheLossLeaveThePanelAsBeforeAndTheReturnAgreesWithTheMeter) {
  ConnectPanel();
  ASSERT_TRUE(Connected());
  for (QPushButton* key : {panel_->rbtn12, panel_->rbtn7}) {
    const std::string command = key == panel_->rbtn12 ? "FUNCtion:COM MAX" : "FUNCtion:DEV:MODE ON";
    FailCommand(command, HangUpInstead());
    key->click();
    ASSERT_TRUE(WaitUntil([&] { return Offline(*panel_); }));
    EXPECT_EQ(meter_->CountOf(command), 1u);
    EXPECT_EQ(panel_->bb3->text(), "");
    EXPECT_FALSE(panel_->Context().State().deviationOn);
    EndFault();
    ReplaceMeter();
    ASSERT_TRUE(WaitUntil([&] { return BackAndPolling(*panel_); }));
    for (const char* agreed : {"FUNCtion:COM OFF", "FUNCtion:DEV:MODE OFF", "LIST:STATe OFF"}) {
      EXPECT_EQ(meter_->CountOf(agreed), 1u) << agreed;
    }
  }
  panel_->rbtn7->click();
  EXPECT_EQ(meter_->CountOf("FUNCtion:DEV:MODE ON"), 1u);
  ExpectNoErrorBox();
}

// Dialogs open across the loss: while it lasts they send nothing, say so and show nothing as
// done; once the same meter is back they read it again, so Set sends what the meter has, never
// the "--" of limits the cut read-back did not reach.
TEST_F(LinkReturnTest, DialogsOpenAcrossTheLossSendNothingThenReadTheMeterAgain) {
  ConnectPanel();
  ASSERT_TRUE(Connected());
  FailCommand("COMParator:TOLerance:RANGe:1L?", HangUpInstead());
  TFrmComp comparator(panel_->Context(), panel_.get());
  comparator.show();  // its read-back meets the pulled cable at the first limit
  ASSERT_TRUE(WaitUntil([&] { return Offline(*panel_); }));
  TFrmList list(panel_->Context(), panel_.get());
  list.show();
  TFrmSetup setup(panel_->Context(), panel_.get());
  setup.show();

  comparator.c1->setCurrentIndex(1);
  comparator.btn1->click();
  list.Box(1, TFrmList::kFrequencyBox)->setText("2000");
  list.RowButton(1)->click();
  PickItem(setup.c3, setup.c3->itemText(1));
  ASSERT_EQ(Modals().size(), 3u);
  for (const ModalSeen& seen : Modals()) {
    EXPECT_EQ(seen.text, "The line to the meter is lost: the setting was not sent.");
  }
  EXPECT_EQ(panel_->cb6->currentIndex(), 0) << "the panel's comparator stays off";
  EXPECT_EQ(panel_->lls7->text(), "");
  EXPECT_EQ(list.Box(1, TFrmList::kFrequencyBox)->text(), "2000");
  EXPECT_EQ(setup.c3->currentIndex(), 0) << "the beeper shows no change the meter never got";

  ReplaceMeter();  // the port is looked for every half second: time to script it
  SetFault([](const std::string& command) -> std::optional<Response> {
    if (command.starts_with("COMParator:TOLerance:RANGe:")) return ReplyLine("5");
    if (command == "SYSTem:BEEPer:STATe?") return ReplyLine("ON");
    return std::nullopt;
  });
  ASSERT_TRUE(WaitUntil([&] { return BackAndPolling(*panel_); }));
  ASSERT_TRUE(WaitUntil(
      [&] { return comparator.edt7->text() == "5" && setup.c3->currentIndex() == 1; }, 10s))
      << comparator.edt7->text().toStdString() << " " << setup.c3->currentIndex();
  // What was refused while the line was lost did not go out once it was back either.
  EXPECT_EQ(meter_->CountOf("COMParator:STATe ON"), 0u);
  EXPECT_EQ(meter_->CountOf("SYSTem:BEEPer:STATe 1"), 0u);
  EXPECT_EQ(meter_->CountOf("LIST:PARAmeter 0,2000,--,--"), 0u);
  comparator.btn1->click();
  EXPECT_EQ(meter_->CountOf("COMParator:TOLerance:RANGe:3H 5"), 1u);
  for (const std::string& command : meter_->Commands()) {
    EXPECT_EQ(command.find(" --"), std::string::npos) << command;
  }
  ExpectNoErrorBox();
}

using CablePullTest = SimulatedMeterTest;

TEST_F(CablePullTest, TwentyPullsInARowEachReconnectAndNoReadingIsLost) {
  StartAndConnect(23);
  ASSERT_TRUE(Connected());
  PickItem(panel_->cb6, panel_->cb6->itemText(1));  // comparator on: the bin query joins in
  ASSERT_TRUE(WaitForReadings(1));
  const std::size_t descriptors = EntriesOf("/proc/self/fd");
  const std::size_t tasks = EntriesOf("/proc/self/task");
  constexpr int kPulls = 20;
  for (int pull = 1; pull <= kPulls; ++pull) {
    sim_->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return Offline(*panel_); })) << "pull " << pull;
    sim_->Replug();
    ASSERT_TRUE(WaitUntil([&] { return BackAndPolling(*panel_); })) << "pull " << pull;
    ASSERT_TRUE(WaitForReadings(1)) << "pull " << pull;
  }
  EXPECT_EQ(panel_->lls7->text().left(4), "BIN:");
  EXPECT_EQ(EntriesOf("/proc/self/fd"), descriptors);
  // A joined thread leaves the task list a moment after the join returns.
  EXPECT_TRUE(WaitUntil([&] { return EntriesOf("/proc/self/task") == tasks; }, 2s));
  ExpectCleanDisconnect();

  const std::vector<std::string> log = MainLog();
  EXPECT_EQ(CountOf(log, "link lost."), static_cast<std::size_t>(kPulls));
  EXPECT_EQ(CountOf(log, "link back."), static_cast<std::size_t>(kPulls));
  for (std::size_t at = 0; at < log.size(); ++at) {
    if (log[at] == "send bad.") {
      EXPECT_TRUE(at + 1 < log.size() && log[at + 1] == "link lost.") << "line " << at;
    }
  }
  ExpectLogsHoldEveryPollerReply("twenty pulls", {"link lost.", "link back.", "send bad."});
  ExpectNoErrorBox();
}

// Ten pulls and plug-ins in quick turn, some of them inside the return's connect sequence: each
// loss and each return is logged once, in turn, and the panel ends polling the meter.
TEST_F(CablePullTest, FlappingLogsEachLossAndReturnOnceInTurnAndEndsBack) {
  StartAndConnect(29);
  ASSERT_TRUE(WaitForReadings(1));
  for (int pull = 0; pull < 10; ++pull) {
    sim_->Unplug();
    WaitUntil([] { return false; }, std::chrono::milliseconds(50 + 40 * pull));
    sim_->Replug();
    WaitUntil([] { return false; }, std::chrono::milliseconds(400 - 30 * pull));
  }
  ASSERT_TRUE(WaitUntil([&] { return BackAndPolling(*panel_); }, 20s));
  ASSERT_TRUE(WaitForReadings(2));
  std::vector<std::string> news;
  for (const std::string& line : MainLog()) {
    if (line == "link lost." || line == "link back.") news.push_back(line);
  }
  ASSERT_GE(news.size(), 2u);
  for (std::size_t at = 0; at < news.size(); ++at) {
    EXPECT_EQ(news[at], at % 2 == 0 ? "link lost." : "link back.") << "line " << at;
  }
  EXPECT_EQ(news.back(), "link back.");
  ExpectNoErrorBox();
}

}  // namespace
}  // namespace benchbridge::testing
