// The keys that open the comparator and the system settings dialogs: a new modal dialog each
// press, the panel locked while it is open and unlocked on the way out, a hold ended first.

#include <QDialog>
#include <QPointer>
#include <QPushButton>

#include "key_harness.h"
#include "modal_watcher.h"

namespace benchbridge::testing {
namespace {

class DialogKeysTest : public KeyHarness {
 protected:
  struct Opening {
    QString name;
    bool panelLocked = false;
    bool pollPaused = true;
    QPointer<QWidget> dialog;
  };

  // Presses key and closes the dialog it opens; what was seen while it was open.
  std::vector<Opening> Press(QPushButton* key, int times) {
    std::vector<Opening> openings;
    ModalWatcher watcher([&](QWidget* modal) {
      Opening seen{modal->objectName(), true, panel_->Context().Controls().PollPaused(), modal};
      for (QPushButton* button : panel_->Buttons()) seen.panelLocked &= !button->isEnabled();
      openings.push_back(seen);
      static_cast<QDialog*>(modal)->reject();
    });
    for (int i = 0; i < times; ++i) {
      panel_->Context().Controls().SetPollPaused(true);
      key->click();
    }
    return openings;
  }

  void ExpectUnlocked() {
    for (QPushButton* button : panel_->Buttons()) EXPECT_TRUE(button->isEnabled());
  }
};

TEST_F(DialogKeysTest, TheComparatorKeyOpensAFreshComparatorDialogEachTime) {
  ConnectWith();
  const auto openings = Press(panel_->rbtn9, 2);
  ASSERT_EQ(openings.size(), 2u);
  for (const Opening& opening : openings) {
    EXPECT_EQ(opening.name, "FrmComp");
    EXPECT_TRUE(opening.panelLocked);
    EXPECT_FALSE(opening.pollPaused);
    EXPECT_TRUE(opening.dialog.isNull());  // destroyed when it closed
  }
  ExpectUnlocked();
}

TEST_F(DialogKeysTest, TheSettingsKeyOpensTheSystemDialogOnlyWhileConnected) {
  ConnectWith();
  const auto openings = Press(panel_->rbtn8, 2);
  ASSERT_EQ(openings.size(), 2u);
  for (const Opening& opening : openings) {
    EXPECT_EQ(opening.name, "FrmSetup");
    EXPECT_TRUE(opening.panelLocked);
    EXPECT_FALSE(opening.pollPaused);
    EXPECT_TRUE(opening.dialog.isNull());
  }
  ExpectUnlocked();

  PressConnectKey();
  ASSERT_FALSE(panel_->Context().Connected());
  panel_->rbtn8->setEnabled(true);  // the key is off now; its handler still must not open
  EXPECT_TRUE(Press(panel_->rbtn8, 1).empty());
  EXPECT_FALSE(panel_->Context().Controls().PollPaused());
}

}  // namespace
}  // namespace benchbridge::testing
