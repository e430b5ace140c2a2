// The main panel's captions in the interface language. Captions that change with the state
// (connect key, badge, automatic function, local/remote) are recognised in either language and
// rewritten in the current one; list items are replaced in place, so selections stay and
// nothing is sent.

#include <QComboBox>
#include <QPushButton>
#include <span>

#include "fit_label.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"

namespace benchbridge {

namespace {

void ReplaceItems(QComboBox* list, std::span<const Bilingual> items, const PanelContext& context) {
  const int selected = list->currentIndex();
  for (int i = 0; i < list->count() && i < static_cast<int>(items.size()); ++i) {
    list->setItemText(i, context.Pick(items[i]));
  }
  list->setCurrentIndex(selected);
}

}  // namespace

void TFrmMain::ApplyLanguage() {
  using namespace main_text;
  const PanelContext& context = context_;

  rbtnQ->setText(context.Pick(kClose));
  rbtn1->setText(context.Pick(session_->Connected() ? kDisconnect : kConnect));
  rbtn9->setText(context.Pick(kCompare));
  rbtn10->setText(context.Pick(kHold));
  rbtn12->setText(context.Pick(kMax));
  rbtn13->setText(context.Pick(kMin));
  rbtn14->setText(context.Pick(kAvg));
  rbtn8->setText(context.Pick(kSet));

  // The badge always names a mode here: LCR while none was read.
  SetBridgeMode(context.State().bridgeMode.value_or(BridgeMode::Lcr));
  if (kAuto.Matches(CB1->text())) {
    CB1->setText(context.Pick(kAuto));
  }

  FitLabel* const rowCaptions[] = {lbl1, lbl2, lbl3, lbl4, lbl5, lbl6, lbl7, lbl8, lbl9};
  for (std::size_t i = 0; i < std::size(rowCaptions); ++i) {
    rowCaptions[i]->setText(context.Pick(kRowCaptions[i]));
  }

  ReplaceItems(cb5, kRangeItems, context);
  ReplaceItems(cb6, kOffOnItems, context);
  ReplaceItems(cb8, kSpeedItems, context);
  ReplaceItems(cb9, kOffOnItems, context);

  if (kLocal.Matches(bb5->text())) {
    bb5->setText(context.Pick(kLocal));
  } else if (kRemote.Matches(bb5->text())) {
    bb5->setText(context.Pick(kRemote));
  }
  ShowStatusToolTip();
}

}  // namespace benchbridge
