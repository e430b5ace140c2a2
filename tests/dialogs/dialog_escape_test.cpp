// Escape closes none of the three setting dialogs: only their close key (or the window's close
// box) does, as in the entry dialogs. A list opened inside still closes on Escape by itself.

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "dialog_harness.h"
#include "uFrmComp.h"
#include "uFrmList.h"
#include "uFrmSetup.h"

namespace benchbridge::testing {
namespace {

using DialogEscapeTest = DialogHarness;

template <typename Dialog>
void ExpectEscapeKeepsItOpen(PanelContext& context, QWidget* panel) {
  Dialog dialog(context, panel);
  dialog.show();
  ASSERT_TRUE(dialog.isVisible());
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_TRUE(dialog.isVisible()) << dialog.objectName().toStdString();
  // From a control inside, where the key first goes.
  auto* list = dialog.template findChild<QComboBox*>();
  ASSERT_NE(list, nullptr);
  QTest::keyClick(list, Qt::Key_Escape);
  EXPECT_TRUE(dialog.isVisible()) << dialog.objectName().toStdString();
  list->showPopup();
  ASSERT_TRUE(QTest::qWaitFor([&] { return list->view()->isVisible(); }));
  QTest::keyClick(list->view(), Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !list->view()->isVisible(); }));
  EXPECT_TRUE(dialog.isVisible()) << dialog.objectName().toStdString();
}

TEST_F(DialogEscapeTest, EscapeClosesNoSettingDialog) {
  StartConnected();
  ExpectEscapeKeepsItOpen<TFrmComp>(Context(), panel_.get());
  ExpectEscapeKeepsItOpen<TFrmList>(Context(), panel_.get());
  ExpectEscapeKeepsItOpen<TFrmSetup>(Context(), panel_.get());
}

}  // namespace
}  // namespace benchbridge::testing
