// Esc with a list dropped down closes only the list; Esc on the panel itself closes the window.
// The keys go through the window system's path (shortcuts included), to the window that has
// the keyboard, as a window manager would have focused it.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QTest>
#include <QWindow>

#include "panel_harness.h"

namespace benchbridge::testing {
namespace {

using EscapeTest = PanelHarness;

// To the window that has the keyboard: the list's popup while it is open.
void PressEscape(QWindow* window = QGuiApplication::focusWindow()) {
  ASSERT_NE(window, nullptr);
  QTest::keyClick(window, Qt::Key_Escape);
}

TEST_F(EscapeTest, EscapeOnAnOpenListClosesOnlyTheList) {
  StartMeter();
  StartPanel();
  ConnectPanel();
  panel_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(panel_.get()));
  for (QComboBox* list : {panel_->cb2, panel_->cb8}) {
    SCOPED_TRACE(list->objectName().toStdString());
    list->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->view()->isVisible(); }));
    PressEscape();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !list->view()->isVisible(); }));
    EXPECT_TRUE(panel_->isVisible());
  }
  EXPECT_EQ(meter_->CountOf("SYSTem:LOCal"), 0u);
  // Offscreen no window manager hands the keyboard back to the panel: it is given to it here.
  QApplication::setActiveWindow(panel_.get());
  panel_->setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowActive(panel_.get()));
  PressEscape(panel_->windowHandle());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !panel_->isVisible(); }));
  EXPECT_EQ(meter_->CountOf("SYSTem:LOCal"), 1u);
}

}  // namespace
}  // namespace benchbridge::testing
