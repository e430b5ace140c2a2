// What the dialogs reach of the main panel (MainPanelAccess); the layout routines and the
// language and settings routines live with their own concerns.

#include <QComboBox>

#include "fit_label.h"
#include "uFrmMain.h"

namespace benchbridge {

int TFrmMain::ComparatorSwitchIndex() const { return cb6->currentIndex(); }

// Moving the selection from code does not emit activated, so cb6's handler does not run.
void TFrmMain::SelectComparatorSwitch(int index) { cb6->setCurrentIndex(index); }

QString TFrmMain::FunctionCaption() const { return CB1->text(); }

void TFrmMain::SetTriggerStatus(const QString& text) { bb1->setText(text); }

}  // namespace benchbridge
