// The operator storm: thousands of randomised key presses, list picks and dialog openings while
// the poller polls the simulated meter. The simulator's transcript shows every command whole and
// answered once; the main log shows that every reply to the poller went to the poller, in order.

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <random>

#include "fit_label.h"
#include "gbk.h"
#include "sim_harness.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;

class StormTest : public SimulatedMeterTest {
 protected:
  void SetUp() override {
    FaultHarness::SetUp();
    StartAndConnect(3);
  }
};

TEST_F(StormTest, EveryCommandGoesOutWholeAndEveryReplyReachesItsAsker) {
  ASSERT_TRUE(Connected());
  const int actions = EnvironmentNumber("BENCHBRIDGE_STORM_ACTIONS", 2000);
  std::mt19937 random(static_cast<unsigned>(EnvironmentNumber("BENCHBRIDGE_STORM_SEED", 1)));
  TFrmMain& panel = *panel_;
  const std::vector<QPushButton*> keys = {panel.rbtn2,  panel.rbtn3, panel.rbtn4,  panel.rbtn5,
                                          panel.rbtn6,  panel.rbtn7, panel.rbtn10, panel.rbtn12,
                                          panel.rbtn13, panel.rbtn14};
  const std::vector<QPushButton*> dialogKeys = {panel.rbtn8, panel.rbtn9};
  const std::vector<QComboBox*> lists = {panel.cb2, panel.cb4, panel.cb5, panel.cb6,
                                         panel.cb7, panel.cb8, panel.cb9};
  const std::vector<FitLabel*> entries = {panel.bb22, panel.bb33, panel.bb44};
  auto any = [&random](const auto& among) { return among[random() % among.size()]; };

  int pressed = 0, picked = 0, opened = 0;
  for (int i = 0; i < actions; ++i) {
    const unsigned kind = random() % 100;
    if (kind < 55) {
      QPushButton* key = any(keys);
      if (key->isEnabled()) ++pressed, key->click();
    } else if (kind < 88) {
      QComboBox* list = any(lists);
      if (list->isEnabled() && list->isVisible() && list->count() > 0) {
        const int index = static_cast<int>(random() % static_cast<unsigned>(list->count()));
        list->setCurrentIndex(index);
        ++picked;
        emit list->activated(index);
      }
    } else if (kind < 96) {
      QPushButton* key = any(dialogKeys);
      if (key->isEnabled()) ++opened, key->click();
    } else {
      FitLabel* label = any(entries);
      if (label->isVisible()) ++opened, QTest::mouseDClick(label, Qt::LeftButton);
    }
    QCoreApplication::processEvents();
    // Now and then the operator looks at the display for a moment, and the poller gets its turn.
    if (i % 250 == 249) WaitForReadings(1, 1500ms);
  }
  // A hold may be on: any other key ends it; then the poller shows the meter as it is now.
  panel.rbtn7->click();
  ASSERT_TRUE(WaitForReadings(1));
  ExpectCleanDisconnect();

  const auto transcript = transcript_.EntriesOnceAnswered();
  std::size_t commands = 0, replies = 0, rejected = 0;
  for (std::size_t i = 0; i < transcript.size(); ++i) {
    const sim::TranscriptEntry& entry = transcript[i];
    if (entry.kind == sim::TranscriptEntry::Kind::Command) {
      ++commands;
      // Whole: one printable ASCII command, never the pieces of two.
      EXPECT_TRUE(std::all_of(entry.bytes.begin(), entry.bytes.end(), [](char c) {
        return c >= 0x20 && c < 0x7F;
      })) << entry.bytes;
      ASSERT_LT(i + 1, transcript.size()) << "unanswered: " << entry.bytes;
      EXPECT_EQ(transcript[i + 1].kind, sim::TranscriptEntry::Kind::Reply) << entry.bytes;
    } else {
      ++replies;
      // "cmd err" is the meter's word for a line it cannot parse.
      if (ReplyText(entry.bytes) == "cmd err") {
        ++rejected;
        ADD_FAILURE() << "cmd err after " << transcript[i - 1].bytes;
      }
    }
  }
  EXPECT_EQ(commands, replies);

  std::printf("storm: %d actions (%d keys, %d picks, %d dialogs), %zu exchanges, %zu boxes\n",
              actions, pressed, picked, opened, commands, Modals().size());
  const PollerTraffic traffic = ExpectLogsHoldEveryPollerReply("storm");
  EXPECT_GT(traffic.polls, 3u);
  EXPECT_EQ(rejected, 0u);
  ExpectNoErrorBox();
}

}  // namespace
}  // namespace benchbridge::testing
