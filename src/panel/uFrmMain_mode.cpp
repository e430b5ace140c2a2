// The bridge mode on the badge LLs888, the statistic on bb3, and the rule for the list switch cb9.

#include <QComboBox>

#include "fit_label.h"
#include "function_caption.h"
#include "qt_text.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"

namespace benchbridge {

void TFrmMain::SetBridgeMode(std::optional<BridgeMode> mode) {
  context_.State().bridgeMode = mode;
  LLs888->setText(mode ? context_.Pick(main_text::ModeBadgeText(*mode)) : QString());
}

void TFrmMain::ShowStatistic(const std::string& name) {
  context_.State().statistic = name;
  bb3->setText(ToQt(name));
  // Switching between statistics keeps the last value on bb4 until the poller brings the first
  // of the new one.
  if (name.empty()) bb4->setText(QString());
  context_.SetStatQuery(!name.empty());
}

void TFrmMain::UpdateListSwitch() { cb9->setEnabled(ListSwitchApplies(ToStd(CB1->text()))); }

}  // namespace benchbridge
