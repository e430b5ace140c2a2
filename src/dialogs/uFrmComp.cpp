#include "uFrmComp.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <tuple>

#include "bilingual.h"
#include "bin_limit.h"
#include "comparator_commands.h"
#include "comparator_reply.h"
#include "dialog_look.h"
#include "dialog_session.h"
#include "handler_guard.h"
#include "key_filter.h"
#include "message_box.h"
#include "meter_commands.h"
#include "qt_text.h"

namespace benchbridge {

namespace {

constexpr int kClientWidth = 501;
constexpr int kClientHeight = 335;
constexpr int kFontPixels = 14;
constexpr int kBinTypingLimit = 6;
constexpr int kSecondaryTypingLimit = 11;

// Columns of the limit table: row heading, low limit with its mark or prefix, high limit.
constexpr int kHeadingX = 40, kHeadingWidth = 66;
constexpr int kLowX = 113, kHighX = 290, kBoxWidth = 100, kPrefixWidth = 62;
constexpr int kMarkOffset = 4, kMarkWidth = 20;
constexpr std::array<int, 4> kRowY{117, 152, 187, 222};
constexpr int kHeadingsY = 82;

namespace text {
constexpr Bilingual kTitle{"比较设置", "COM SET"};
constexpr Bilingual kNominal{"标称值：", "Nom："};
constexpr Bilingual kSwitch{"比较：", "Comp："};
constexpr Bilingual kBin{"档号", "Bin"};
constexpr Bilingual kLow{"下限", "Low"};
constexpr Bilingual kHigh{"上限", "High"};
constexpr Bilingual kSet{"设定", "Set"};
constexpr Bilingual kClose{"关闭", "Close"};
constexpr Bilingual kOff{"关", "OFF"};
constexpr Bilingual kOn{"开", "ON"};
}  // namespace text

// The badge reads so in DC resistance mode, in either language.

void FillPrefixList(QComboBox* list) {
  list->clear();
  for (const std::string_view item : kPrefixItems) {
    list->addItem(ToQt(item));
  }
  list->setCurrentIndex(0);
}

}  // namespace

TFrmComp::TFrmComp(PanelContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("FrmComp"));
  SetUpDialogWindow(*this, kClientWidth, kClientHeight, kFontPixels);
  BuildControls();
  connect(btn1, &QPushButton::clicked, this, [this] { btn1Click(); });
  connect(btn2, &QPushButton::clicked, this, &QDialog::accept);
  readAgain_ =
      std::make_unique<ReadAgainWhenLineBack>(context_, this, [this] { ReadComparatorState(); });
}

TFrmComp::~TFrmComp() = default;

void TFrmComp::BuildControls() {
  setWindowTitle(DesignText(text::kTitle));
  b1 = MakeLabel(this, "b1", {41, 10, 70, 21}, DesignText(text::kNominal));
  edt1 = MakeEntryBox(this, "edt1", {113, 8, 121, 25});
  c13 = MakeList(this, "c13", {234, 7, kPrefixWidth, 27});
  b2 = MakeLabel(this, "b2", {41, 44, 70, 21}, DesignText(text::kSwitch));
  c1 = MakeList(this, "c1", {113, 42, kPrefixWidth, 27});
  c1->addItems({DesignText(text::kOff), DesignText(text::kOn)});
  c1->setCurrentIndex(0);

  const int prefixedWidth = kBoxWidth + kPrefixWidth;
  e0 = MakeHeadingBox(this, "e0", {kHeadingX, kHeadingsY, kHeadingWidth, 25},
                      DesignText(text::kBin));
  e1 = MakeHeadingBox(this, "e1", {kLowX, kHeadingsY, prefixedWidth, 25}, DesignText(text::kLow));
  e2 = MakeHeadingBox(this, "e2", {kHighX, kHeadingsY, prefixedWidth, 25}, DesignText(text::kHigh));

  const std::array<const char*, 4> headingNames{"t2d3", "t2d6", "t2d9", "t2d12"};
  const std::array<const char*, 4> headingTexts{"1", "2", "3", "2nd"};
  std::array<QLineEdit*, 4> headings{};
  for (std::size_t row = 0; row < headings.size(); ++row) {
    headings[row] = MakeHeadingBox(this, headingNames[row],
                                   {kHeadingX, kRowY[row], kHeadingWidth, 25}, headingTexts[row]);
  }
  t2d3 = headings[0];
  t2d6 = headings[1];
  t2d9 = headings[2];
  t2d12 = headings[3];

  // Bin rows: low and high limit, each with its "%" mark.
  const std::array<const char*, 6> boxNames{"edt2", "edt3", "edt4", "edt5", "edt6", "edt7"};
  const std::array<const char*, 6> markNames{"lbl1", "lbl2", "lbl3", "lbl4", "lbl5", "lbl6"};
  std::array<QLineEdit*, 6> boxes{};
  std::array<QLabel*, 6> marks{};
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const int x = i % 2 == 0 ? kLowX : kHighX;
    const int y = kRowY[i / 2];
    boxes[i] = MakeEntryBox(this, boxNames[i], {x, y, kBoxWidth, 25});
    marks[i] = MakeLabel(this, markNames[i], {x + kBoxWidth + kMarkOffset, y, kMarkWidth, 25},
                         QStringLiteral("%"));
  }
  std::tie(edt2, edt3, edt4, edt5, edt6, edt7) =
      std::tie(boxes[0], boxes[1], boxes[2], boxes[3], boxes[4], boxes[5]);
  std::tie(lbl1, lbl2, lbl3, lbl4, lbl5, lbl6) =
      std::tie(marks[0], marks[1], marks[2], marks[3], marks[4], marks[5]);

  // The secondary row: limits with an SI prefix each.
  const int secondaryY = kRowY[3];
  edt8 = MakeEntryBox(this, "edt8", {kLowX, secondaryY, kBoxWidth, 25});
  c14 = MakeList(this, "c14", {kLowX + kBoxWidth, secondaryY - 1, kPrefixWidth, 27});
  edt9 = MakeEntryBox(this, "edt9", {kHighX, secondaryY, kBoxWidth, 25});
  c15 = MakeList(this, "c15", {kHighX + kBoxWidth, secondaryY - 1, kPrefixWidth, 27});

  btn1 = MakeButton(this, "btn1", {155, 278, 90, 30});
  btn1->setText(DesignText(text::kSet));
  btn2 = MakeButton(this, "btn2", {251, 278, 90, 30});
  btn2->setText(DesignText(text::kClose));

  auto* binKeys = new KeyPressFilter(
      this, [this](const QLineEdit& box, const QKeyEvent& key) { return edt2KeyPress(box, key); });
  auto* valueKeys = new KeyPressFilter(
      this, [this](const QLineEdit& box, const QKeyEvent& key) { return edt8KeyPress(box, key); });
  for (QLineEdit* box : BinBoxes()) {
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetTypingLimit(*box, kBinTypingLimit);
    binKeys->Watch(*box);
  }
  for (QLineEdit* box : {edt1, edt8, edt9}) {
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    valueKeys->Watch(*box);
  }
  SetTypingLimit(*edt8, kSecondaryTypingLimit);
  SetTypingLimit(*edt9, kSecondaryTypingLimit);
}

std::array<QLineEdit*, 6> TFrmComp::BinBoxes() const {
  return {edt2, edt3, edt4, edt5, edt6, edt7};
}

bool TFrmComp::edt2KeyPress(const QLineEdit& box, const QKeyEvent& key) const {
  return DiscardsKey(box, key, KeySet::kSignedDecimal);
}

bool TFrmComp::edt8KeyPress(const QLineEdit& box, const QKeyEvent& key) const {
  return DiscardsKey(box, key, KeySet::kSignedDecimal);
}

void TFrmComp::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) RunGuarded(this, [this] { FormShow(); });
}

void TFrmComp::FormShow() {
  if (MainPanelAccess* panel = context_.Panel())
    c1->setCurrentIndex(panel->ComparatorSwitchIndex());
  ApplyLanguage();
  for (QComboBox* list : {c13, c14, c15}) FillPrefixList(list);
  ReadComparatorState();
}

void TFrmComp::ApplyLanguage() {
  setWindowTitle(context_.Pick(text::kTitle));
  b1->setText(context_.Pick(text::kNominal));
  b2->setText(context_.Pick(text::kSwitch));
  e0->setText(context_.Pick(text::kBin));
  e1->setText(context_.Pick(text::kLow));
  e2->setText(context_.Pick(text::kHigh));
  btn1->setText(context_.Pick(text::kSet));
  btn2->setText(context_.Pick(text::kClose));
  const int position = c1->currentIndex();
  c1->clear();
  c1->addItems({context_.Pick(text::kOff), context_.Pick(text::kOn)});
  c1->setCurrentIndex(position);
}

bool TFrmComp::InDcrMode() const { return context_.State().bridgeMode == BridgeMode::Dcr; }

void TFrmComp::ShowPrefixedValue(const std::string& reply, QLineEdit* box, QComboBox* prefixList) {
  const PrefixedValue value = PrefixedValueFromReply(reply);
  box->setText(ToQt(value.mantissa));
  prefixList->setCurrentIndex(value.prefixItem.value_or(-1));
}

void TFrmComp::ReadComparatorState() {
  DialogSession session(context_, this);
  // Each step goes on only after a non-empty reply; what was shown before stays.
  auto ask = [&session](const std::string& query) {
    std::optional<std::string> reply = session.Send(query);
    return reply && !reply->empty() ? reply : std::nullopt;
  };

  auto reply = ask(command::kAskComparator);
  if (!reply) return;
  if (const auto position = ComparatorSwitchFromReply(*reply)) c1->setCurrentIndex(*position);

  if (!(reply = ask(command::kAskNominal))) return;
  ShowPrefixedValue(*reply, edt1, c13);
  if (!session.ProcessEvents()) return;

  const std::array<QLineEdit*, 6> boxes = BinBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    if (!(reply = ask(RangeQuery(comparator::kBinEndings[i])))) return;
    boxes[i]->setText(ToQt(*reply));
  }

  if (!InDcrMode()) {
    if (!(reply = ask(RangeQuery(comparator::kSecondaryEndings[0])))) return;
    ShowPrefixedValue(*reply, edt8, c14);
    if (!(reply = ask(RangeQuery(comparator::kSecondaryEndings[1])))) return;
    ShowPrefixedValue(*reply, edt9, c15);
    return;
  }
  // DC resistance has no secondary parameter; the row stays off for this opening.
  edt8->setEnabled(false);
  edt9->setEnabled(false);
  c14->hide();
  c15->hide();
}

void TFrmComp::btn1Click() {
  RunGuarded(this, [this] {
    DialogSession session(context_, this);
    if (session.RefusedWhileLineLost() || !BinLimitsValid()) return;
    // Stopped by a lost line, the switch and the panel stay as they were.
    if (!SendSettings(session)) {
      session.RefusedWhileLineLost();
      return;
    }
    ReadComparatorState();
  });
}

bool TFrmComp::BinLimitsValid() {
  const std::array<QLineEdit*, 6> boxes = BinBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    // A text that is no number throws its conversion error, which the handler reports.
    if (CheckBinLimit(ToStd(boxes[i]->text())) != BinLimitCheck::kOutOfRange) continue;
    boxes[i]->setFocus();
    ShowMessageBox(this, QMessageBox::Warning, ToQt(kBinLimitTitle),
                   ToQt(BinLimitMessage(static_cast<int>(i / 2 + 1))));
    return false;
  }
  return true;
}

bool TFrmComp::SendSettings(DialogSession& session) {
  auto send = [&session](const std::string& command) { return session.Send(command).has_value(); };

  if (!send(command::kSetNominal +
            NominalArgument(ToStd(edt1->text()), ToStd(c13->currentText())))) {
    return false;
  }
  const std::array<QLineEdit*, 6> boxes = BinBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    if (!send(RangeCommand(comparator::kBinEndings[i], BinArgument(ToStd(boxes[i]->text()))))) {
      return false;
    }
  }
  if (!InDcrMode()) {
    if (!send(RangeCommand(comparator::kSecondaryEndings[0],
                           SecondaryArgument(ToStd(edt8->text()), ToStd(c14->currentText())))) ||
        !send(RangeCommand(comparator::kSecondaryEndings[1],
                           SecondaryArgument(ToStd(edt9->text()), ToStd(c15->currentText()))))) {
      return false;
    }
  }
  const bool on = c1->currentIndex() == 1;
  if (!send(on ? command::kComparatorOn : command::kComparatorOff)) return false;
  ApplySwitch(on);
  return true;
}

void TFrmComp::ApplySwitch(bool on) {
  context_.SetBinQuery(on);
  MainPanelAccess* panel = context_.Panel();
  if (panel == nullptr) return;
  if (on) {
    panel->ShowBinLayout();
  } else {
    panel->RestoreReadingLayout();
  }
  // Moves the panel's switch only; its own handler does not run, so nothing more is sent.
  panel->SelectComparatorSwitch(c1->currentIndex());
}

}  // namespace benchbridge
