// The settings rows as live controls: an operator's pick in a list, or a value confirmed in the
// entry dialog of a free-value label, goes to the meter at once. These take no panel lock and
// leave a held display held; the replies are not examined.

#include <QComboBox>
#include <QCursor>
#include <QLineEdit>

#include "double_click_filter.h"
#include "fit_label.h"
#include "function_caption.h"
#include "handler_guard.h"
#include "message_box.h"
#include "meter_commands.h"
#include "modal_dialog.h"
#include "qt_text.h"
#include "uFrmList.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"
#include "uFrmSet22.h"
#include "uFrmSet33.h"
#include "uFrmSet44.h"

namespace benchbridge {

namespace {

// The entry dialog opens this far left of and below the pointer.
constexpr int kDialogLeftOfPointer = 120;
constexpr int kDialogBelowPointer = 20;

// "600mV" -> "600", "120Hz" -> "120": the items and labels end in a two-letter unit.
QString WithoutUnit(const QString& text) {
  return text.left(std::max<qsizetype>(text.size() - 2, 0));
}

// The first item of items whose text, in either language, is text; -1 when none is.
template <std::size_t N>
int ItemOf(const Bilingual (&items)[N], const QString& text) {
  for (std::size_t i = 0; i < N; ++i) {
    if (items[i].Matches(text)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

template <typename Dialog>
void EditFreeValue(TFrmMain& form, FitLabel* label) {
  RunGuarded(&form, [&] {
    const QPoint pointer = QCursor::pos();
    ModalDialog<Dialog> dialog(form.Context(), &form);
    // A frequency dialog for a model without free frequencies would take nothing but 0 (and
    // send it); it stays closed instead.
    if (dialog->RangeEmpty()) {
      return;
    }
    dialog->edt1->setText(WithoutUnit(label->text()));
    dialog->move(pointer.x() - kDialogLeftOfPointer, pointer.y() + kDialogBelowPointer);
    // The dialog sent the value itself; the label only mirrors what was accepted.
    if (dialog.Exec() == QDialog::Accepted && dialog) {
      label->setText(dialog->edt1->text() + ToQt(dialog->Kind().unit));
    }
  });
}

}  // namespace

void TFrmMain::WireSettingControls() {
  const std::pair<QComboBox*, void (TFrmMain::*)()> lists[] = {
      {cb2, &TFrmMain::cb2Change}, {cb4, &TFrmMain::cb4Change}, {cb5, &TFrmMain::cb5Change},
      {cb7, &TFrmMain::cb7Change}, {cb8, &TFrmMain::cb8Change}, {cb9, &TFrmMain::cb9Change},
  };
  for (const auto& [list, handler] : lists) {
    connect(list, &QComboBox::activated, this, [this, handler = handler] { (this->*handler)(); });
  }
  // While a sweep holds the line a value's dialog would send nothing yet show its value as set:
  // the values wait, as the keys do.
  const auto unlessSweeping = [this](void (TFrmMain::*edit)()) {
    return [this, edit] {
      if (!sweeping_) (this->*edit)();
    };
  };
  new DoubleClickFilter(bb22, unlessSweeping(&TFrmMain::bb22DblClick));
  new DoubleClickFilter(bb33, unlessSweeping(&TFrmMain::bb33DblClick));
  new DoubleClickFilter(bb44, unlessSweeping(&TFrmMain::bb44DblClick));
}

// --- Lists ---

namespace {

void SendValueOfItem(TFrmMain& form, const QComboBox* list, const char* command) {
  RunGuarded(&form, [&] {
    PanelContext& context = form.Context();
    const QString text = list->currentText();
    if (!context.Connected() || text.trimmed().isEmpty()) {
      return;
    }
    context.Tell(command + ToStd(WithoutUnit(text)));
  });
}

// The command that goes with the picked item, whichever language the item shows.
template <std::size_t N>
void SendCommandOfItem(TFrmMain& form, const QComboBox* list, const Bilingual (&items)[N],
                       const char* const (&commands)[N]) {
  RunGuarded(&form, [&] {
    PanelContext& context = form.Context();
    if (!context.Connected()) {
      return;
    }
    const int item = ItemOf(items, list->currentText());
    if (item >= 0) {
      context.Tell(commands[item]);
    }
  });
}

}  // namespace

void TFrmMain::cb2Change() { SendValueOfItem(*this, cb2, command::kSetLevel); }

void TFrmMain::cb4Change() { SendValueOfItem(*this, cb4, command::kSetFrequency); }

void TFrmMain::cb5Change() {
  static constexpr const char* kCommands[] = {command::kAutoRangeOn, command::kAutoRangeOff};
  SendCommandOfItem(*this, cb5, main_text::kRangeItems, kCommands);
}

void TFrmMain::cb7Change() {
  // The items read the same in both languages; the meter numbers them.
  static constexpr Bilingual kItems[] = {{"100Ω", "100Ω"}, {"30Ω", "30Ω"}};
  static constexpr const char* kCommands[] = {command::kOutputResistance100,
                                              command::kOutputResistance30};
  SendCommandOfItem(*this, cb7, kItems, kCommands);
}

void TFrmMain::cb8Change() {
  // The item "MED" stands for the meter's word "MEDium".
  static constexpr const char* kCommands[] = {command::kSpeedSlow, command::kSpeedMedium,
                                              command::kSpeedFast};
  SendCommandOfItem(*this, cb8, main_text::kSpeedItems, kCommands);
}

// cb9 does not keep the list sweep on: "ON" runs one sweep session in the list dialog, and the
// switch shows "OFF" again once the dialog has closed.
void TFrmMain::cb9Change() {
  RunGuarded(this, [this] {
    if (!context_.Connected() || main_text::kOffOnItems[0].Matches(cb9->currentText())) {
      return;
    }
    if (context_.State().bridgeMode == BridgeMode::Dcr) {
      ShowMessageBox(this, QMessageBox::Warning, context_.Pick(main_text::kTips),
                     context_.Pick(main_text::kNoListInDcr));
      return;
    }
    if (main_text::kAuto.Matches(CB1->text())) {
      ShowMessageBox(this, QMessageBox::Warning, context_.Pick(main_text::kTips),
                     context_.Pick(main_text::kNoListInAuto));
      return;
    }
    if (!ListSwitchApplies(ToStd(CB1->text()))) {
      return;
    }
    context_.Tell(command::kListOn);
    {
      ModalDialog<TFrmList> dialog(context_, this);
      dialog.Exec();
    }
    if (context_.Tell(command::kListOff)) {
      cb9->setCurrentIndex(0);  // from code: the change handler does not run again
    }
  });
}

// --- Free values ---

void TFrmMain::bb22DblClick() { EditFreeValue<TFrmSet22>(*this, bb22); }

void TFrmMain::bb33DblClick() { EditFreeValue<TFrmSet33>(*this, bb33); }

void TFrmMain::bb44DblClick() { EditFreeValue<TFrmSet44>(*this, bb44); }

}  // namespace benchbridge
