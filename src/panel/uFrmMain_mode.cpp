// The bridge mode on the badge LLs888 and the rule for the list switch cb9.

#include <QComboBox>

#include "fit_label.h"
#include "function_caption.h"
#include "qt_text.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"

namespace benchbridge {

std::optional<BridgeMode> TFrmMain::BadgeMode() const {
  const QString badge = LLs888->text();
  for (int mode = 0; mode < 3; ++mode) {
    if (main_text::kModeBadge[mode].Matches(badge)) {
      return static_cast<BridgeMode>(mode);
    }
  }
  return std::nullopt;
}

void TFrmMain::SetBridgeMode(BridgeMode mode) {
  context_.State().bridgeMode = mode;
  LLs888->setText(context_.Pick(main_text::ModeBadgeText(mode)));
}

void TFrmMain::UpdateListSwitch() { cb9->setEnabled(ListSwitchApplies(ToStd(CB1->text()))); }

}  // namespace benchbridge
