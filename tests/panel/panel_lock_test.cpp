// Input that reaches the panel while a key holds the panel lock is never acted on, however long
// the key's exchange takes: here the meter takes the function key's command, and while the panel
// waits for the answer (its thread blocked in the exchange) clicks on keys, a double-click on a
// value label and a key press in a list are queued for the panel's widgets.

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <atomic>

#include "fit_label.h"
#include "key_harness.h"
#include "modal_watcher.h"

namespace benchbridge::testing {
namespace {

using Commands = std::vector<std::string>;

class PanelLockTest : public KeyHarness {
 protected:
  void Queue(QWidget* widget, QEvent::Type type, Qt::MouseButtons buttons) {
    const QPointF at = QRectF(widget->rect()).center();
    queued_.push_back({widget, new QMouseEvent(type, at, QPointF(widget->mapToGlobal(at)),
                                               Qt::LeftButton, buttons, Qt::NoModifier)});
  }
  void QueueClick(QWidget* widget) {
    Queue(widget, QEvent::MouseButtonPress, Qt::LeftButton);
    Queue(widget, QEvent::MouseButtonRelease, Qt::NoButton);
  }
  void TearDown() override {
    for (auto& [receiver, event] : queued_) delete event;
    KeyHarness::TearDown();
  }
  std::vector<std::pair<QPointer<QWidget>, QEvent*>> queued_;
};

TEST_F(PanelLockTest, InputQueuedWhileAKeyWaitsForTheMeterIsDropped) {
  ConnectWith();
  const int speed = panel_->cb8->currentIndex();
  for (QWidget* key : {panel_->rbtn3, panel_->rbtn12, panel_->rbtn7, panel_->rbtn10, panel_->rbtn9,
                       panel_->rbtn8}) {
    QueueClick(key);
  }
  QueueClick(panel_->bb33);
  Queue(panel_->bb33, QEvent::MouseButtonDblClick, Qt::LeftButton);
  Queue(panel_->bb33, QEvent::MouseButtonRelease, Qt::NoButton);
  queued_.push_back({panel_->cb8, new QKeyEvent(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier)});

  // Posted from the meter's thread the moment the key's command arrives, while the panel's
  // thread waits in the exchange for the answer.
  std::atomic<bool> posted{false};
  meter_->SetScript([&](const std::string& command) -> std::optional<Response> {
    if (command == "KEYS 49" && !posted.exchange(true)) {
      for (auto& [receiver, event] : queued_) QCoreApplication::postEvent(receiver, event);
      queued_.clear();
    }
    return std::nullopt;
  });
  ModalWatcher watcher;
  panel_->rbtn2->click();
  ASSERT_TRUE(posted);
  QCoreApplication::processEvents();
  // Input after the lock is let go acts again.
  panel_->rbtn4->click();

  EXPECT_EQ(PanelCommands(),
            (Commands{"KEYS 49", "FUNCtion:IMPedance:A?", "FUNCtion:IMPedance:EQUivalent?",
                      "FUNCtion:IMPedance:B?", "VOLTage:LEVel?", "BIAS:VOLTage:LEVel?",
                      "FREQuency:CW?", "FUNCtion:IMPedance:RANGe:AUTO?", "OUTput:RESistance?",
                      "APERture?", "KEYS 18", "FUNCtion:IMPedance:EQUivalent?"}));
  EXPECT_EQ(watcher.Count(), 0);  // no entry, comparator or settings dialog
  EXPECT_FALSE(panel_->Context().Controls().PollPaused());
  EXPECT_EQ(panel_->bb3->text(), "");
  EXPECT_FALSE(panel_->Context().State().deviationOn);
  EXPECT_EQ(panel_->cb8->currentIndex(), speed);
  for (QPushButton* button : panel_->Buttons()) EXPECT_TRUE(button->isEnabled());
}

// The operator's ways out are kept, not dropped: Disconnect clicked twice (with other keys)
// while the connect sequence waits for a silent "*IDN?" disconnects once when that wait ends;
// Esc pressed while the meter takes a key closes the panel once the key is done.
TEST_F(PanelLockTest, DisconnectAndEscQueuedDuringAnExchangeAreCarriedOutOnce) {
  ConnectWith();
  panel_->rbtn1->click();  // disconnected again, to connect to a meter that goes silent
  meter_->ClearCommands();
  std::atomic<bool> posted{false};
  meter_->SetScript([&](const std::string& command) -> std::optional<Response> {
    if (command != "*IDN?" || posted.exchange(true)) return std::nullopt;
    for (auto& [receiver, event] : queued_) QCoreApplication::postEvent(receiver, event);
    queued_.clear();
    return Silence();
  });
  QueueClick(panel_->rbtn1);
  QueueClick(panel_->rbtn12);
  QueueClick(panel_->rbtn1);
  ConnectPanel();
  ASSERT_TRUE(posted);
  ASSERT_TRUE(WaitUntil([&] { return !panel_->Context().Connected(); }));
  EXPECT_EQ(panel_->rbtn1->text(), "Connecting device");
  QCoreApplication::processEvents();
  EXPECT_EQ(meter_->CountOf("SYSTem:LOCal"), 1u);
  EXPECT_EQ(meter_->CountOf("*IDN?"), 1u) << "not connected again by the second click";
  EXPECT_EQ(panel_->bb3->text(), "") << "MAX stays dropped";

  ConnectPanel();
  ASSERT_TRUE(panel_->Context().Connected());
  // The key event is made here: Qt makes its keyboard device with the first one, as a child of
  // the application, which only the GUI thread may do.
  std::atomic<QKeyEvent*> escape{new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier)};
  meter_->SetScript([&](const std::string& command) -> std::optional<Response> {
    if (command == "KEYS 49") {
      if (QKeyEvent* event = escape.exchange(nullptr))
        QCoreApplication::postEvent(panel_.get(), event);
    }
    return std::nullopt;
  });
  panel_->rbtn2->click();
  ASSERT_TRUE(WaitUntil([&] { return panel_->Context().ShuttingDown(); }));
  EXPECT_EQ(meter_->CountOf("SYSTem:LOCal"), 2u);
  delete escape.exchange(nullptr);
}

}  // namespace
}  // namespace benchbridge::testing
