#include "uFrmList.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "bilingual.h"
#include "dialog_look.h"
#include "dialog_session.h"
#include "handler_guard.h"
#include "key_filter.h"
#include "message_box.h"
#include "meter_commands.h"
#include "point_command.h"
#include "point_reply.h"
#include "qt_text.h"
#include "unit_family.h"

namespace benchbridge {

namespace {

constexpr int kClientWidth = 813;
constexpr int kClientHeight = 389;
constexpr int kFontPixels = 14;
constexpr int kTypingLimit = 6;
constexpr int kRefreshMs = 1000;
constexpr int kRowHeight = 25;
constexpr std::array<int, list_sweep::kRows> kRowY{85, 120, 155, 190, 226, 261, 296};
constexpr std::array<const char*, list_sweep::kRows> kRowHeadingNames{
    "t2d3", "t2d6", "t2d9", "t2d12", "edt16", "edt22", "edt31"};

namespace text {
constexpr Bilingual kTitle{"列表设置", "LIST SET"};
constexpr Bilingual kFunction{"功能", "FUNC"};
constexpr Bilingual kMode{"扫描模式", "LIST MODE"};
constexpr Bilingual kSequence{"顺序", "SEQ"};
constexpr Bilingual kStep{"步进", "STEP"};
constexpr Bilingual kSetRow{"设定", "SET"};
constexpr Bilingual kNumber{"序号", "Num"};
constexpr Bilingual kFrequency{"频率", "FREQ"};
constexpr Bilingual kLow{"下限", "LOW"};
constexpr Bilingual kHigh{"上限", "HIGH"};
constexpr Bilingual kTest{"测试值", "TEST"};
constexpr Bilingual kCompare{"比较", "COMP"};
constexpr Bilingual kTrigger{"触发", "TRIGGER"};
constexpr Bilingual kSetAll{"设定全部", "SET ALL"};
constexpr Bilingual kClose{"关闭", "Close"};
}  // namespace text

QString RowControlName(QChar letter, int row, int column) {
  return QStringLiteral("%1%2%3").arg(letter).arg(row).arg(column);
}

// Restores the buttons when a write ends, however it ends, unless the dialog is gone by then.
class ButtonsOffWhile {
 public:
  explicit ButtonsOffWhile(TFrmList* dialog) : dialog_(dialog) {
    dialog_->SetDialogButtonsEnabled(false);
  }
  ~ButtonsOffWhile() {
    try {
      if (dialog_) dialog_->SetDialogButtonsEnabled(true);
    } catch (...) {
      // A failure while restoring must not replace the failure being reported.
    }
  }
  ButtonsOffWhile(const ButtonsOffWhile&) = delete;
  ButtonsOffWhile& operator=(const ButtonsOffWhile&) = delete;

 private:
  QPointer<TFrmList> dialog_;
};

}  // namespace

TFrmList::TFrmList(PanelContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("FrmList"));
  SetUpDialogWindow(*this, kClientWidth, kClientHeight, kFontPixels);
  BuildControls();
  RunGuarded(this, [this] { FormCreate(); });
  // The refresh runs from creation on; each pass stops it only for its own duration.
  tmr1->start(kRefreshMs);
  readAgain_ = std::make_unique<ReadAgainWhenLineBack>(context_, this, [this] { ReadListState(); });
}

TFrmList::~TFrmList() = default;

void TFrmList::BuildControls() {
  setWindowTitle(DesignText(text::kTitle));
  bb1 = MakeLabel(this, "bb1", {30, 11, 40, 21}, DesignText(text::kFunction));
  bb1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // Shows the function only; it has the look of the other boxes nobody types into.
  edt1 = MakeHeadingBox(this, "edt1", {74, 8, 97, kRowHeight}, {});
  edt1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  bb2 = MakeLabel(this, "bb2", {281, 11, 76, 21}, DesignText(text::kMode));
  bb2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  c2 = MakeList(this, "c2", {361, 8, 87, 27});
  c2->addItems({DesignText(text::kSequence), DesignText(text::kStep)});
  c2->setCurrentIndex(0);
  connect(c2, &QComboBox::activated, this, [this] { c2Change(); });

  edtxh = MakeHeadingBox(this, "edtxh", {18, 50, 70, kRowHeight}, DesignText(text::kNumber));
  e1 = MakeHeadingBox(this, "e1", {89, 50, 116, kRowHeight}, DesignText(text::kFrequency));
  e2 = MakeHeadingBox(this, "e2", {205, 50, 154, kRowHeight}, DesignText(text::kLow));
  e3 = MakeHeadingBox(this, "e3", {359, 50, 154, kRowHeight}, DesignText(text::kHigh));
  e4 = MakeHeadingBox(this, "e4", {513, 50, 116, kRowHeight}, DesignText(text::kTest));
  e5 = MakeHeadingBox(this, "e5", {629, 50, 116, kRowHeight}, DesignText(text::kCompare));

  auto* frequencyKeys = new KeyPressFilter(
      this, [this](const QLineEdit& box, const QKeyEvent& key) { return e11KeyPress(box, key); });
  auto* limitKeys = new KeyPressFilter(
      this, [this](const QLineEdit& box, const QKeyEvent& key) { return e12KeyPress(box, key); });
  for (int row = 1; row <= list_sweep::kRows; ++row) BuildRow(row, *frequencyKeys, *limitKeys);

  btnn2 = MakeButton(this, "btnn2", {514, 342, 90, 30});
  btnn2->setText(DesignText(text::kSetAll));
  btnn1 = MakeButton(this, "btnn1", {610, 342, 90, 30});
  btnn1->setText(DesignText(text::kTrigger));
  btnn3 = MakeButton(this, "btnn3", {706, 342, 90, 30});
  btnn3->setText(DesignText(text::kClose));
  connect(btnn2, &QPushButton::clicked, this, [this] { btnn2Click(); });
  connect(btnn1, &QPushButton::clicked, this, [this] { btnn1Click(); });
  connect(btnn3, &QPushButton::clicked, this, &QDialog::accept);

  tmr1 = new QTimer(this);
  tmr1->setObjectName(QStringLiteral("tmr1"));
  tmr1->setInterval(kRefreshMs);
  connect(tmr1, &QTimer::timeout, this, [this] { tmr1Timer(); });
}

void TFrmList::BuildRow(int row, KeyPressFilter& frequencyKeys, KeyPressFilter& limitKeys) {
  const int y = kRowY[static_cast<std::size_t>(row - 1)];
  MakeHeadingBox(this, kRowHeadingNames[static_cast<std::size_t>(row - 1)], {18, y, 70, kRowHeight},
                 QString::number(row));

  QLineEdit* frequency =
      MakeEntryBox(this, RowControlName(u'e', row, kFrequencyBox), {89, y, 116, kRowHeight});
  frequencyKeys.Watch(*frequency);
  QLineEdit* low = MakeEntryBox(this, RowControlName(u'e', row, kLowBox), {205, y, 92, kRowHeight});
  MakeList(this, RowControlName(u'c', row, kLowUnit), {297, y - 1, 62, 27});
  QLineEdit* high =
      MakeEntryBox(this, RowControlName(u'e', row, kHighBox), {359, y, 92, kRowHeight});
  MakeList(this, RowControlName(u'c', row, kHighUnit), {451, y - 1, 62, 27});
  for (QLineEdit* box : {frequency, low, high}) {
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetTypingLimit(*box, kTypingLimit);
  }
  limitKeys.Watch(*low);
  limitKeys.Watch(*high);

  for (const auto& [column, x] : {std::pair{kTestBox, 513}, std::pair{kCompareBox, 629}}) {
    auto* shown = new QLineEdit(this);
    shown->setObjectName(RowControlName(u'e', row, column));
    shown->setGeometry(x, y, 116, kRowHeight);
    shown->setReadOnly(true);
    shown->setAlignment(Qt::AlignCenter);
  }

  QPushButton* set =
      MakeButton(this, QStringLiteral("btn%1").arg(row), {748, y - 1, 51, kRowHeight + 2});
  set->setText(DesignText(text::kSetRow));
  connect(set, &QPushButton::clicked, this, [this, set] { btn1Click(set); });
}

QWidget* TFrmList::Control(QChar letter, int row, int column) const {
  return findChild<QWidget*>(RowControlName(letter, row, column), Qt::FindDirectChildrenOnly);
}

QLineEdit* TFrmList::Box(int row, int column) const {
  auto* box = qobject_cast<QLineEdit*>(Control(u'e', row, column));
  if (box == nullptr) throw std::logic_error("no list box for row " + std::to_string(row));
  return box;
}

QComboBox* TFrmList::UnitList(int row, int column) const {
  auto* list = qobject_cast<QComboBox*>(Control(u'c', row, column));
  if (list == nullptr) throw std::logic_error("no unit list for row " + std::to_string(row));
  return list;
}

QPushButton* TFrmList::RowButton(int row) const {
  auto* button =
      findChild<QPushButton*>(QStringLiteral("btn%1").arg(row), Qt::FindDirectChildrenOnly);
  if (button == nullptr) throw std::logic_error("no Set key for row " + std::to_string(row));
  return button;
}

int TFrmList::FindPos(const QComboBox& list, const QString& text) {
  for (int i = 0; i < list.count(); ++i) {
    if (list.itemText(i) == text) return i;
  }
  return -1;
}

void TFrmList::FormCreate() {
  if (const MainPanelAccess* panel = context_.Panel()) edt1->setText(panel->FunctionCaption());
  ApplyLanguage();
}

void TFrmList::ApplyLanguage() {
  setWindowTitle(context_.Pick(text::kTitle));
  bb1->setText(context_.Pick(text::kFunction));
  bb2->setText(context_.Pick(text::kMode));
  c2->setItemText(0, context_.Pick(text::kSequence));
  c2->setItemText(1, context_.Pick(text::kStep));
  c2->setCurrentIndex(0);
  for (int row = 1; row <= list_sweep::kRows; ++row) {
    RowButton(row)->setText(context_.Pick(text::kSetRow));
  }
  edtxh->setText(context_.Pick(text::kNumber));
  e1->setText(context_.Pick(text::kFrequency));
  e2->setText(context_.Pick(text::kLow));
  e3->setText(context_.Pick(text::kHigh));
  e4->setText(context_.Pick(text::kTest));
  e5->setText(context_.Pick(text::kCompare));
  btnn1->setText(context_.Pick(text::kTrigger));
  btnn2->setText(context_.Pick(text::kSetAll));
  btnn3->setText(context_.Pick(text::kClose));
}

void TFrmList::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) RunGuarded(this, [this] { FormShow(); });
}

void TFrmList::FillUnitLists() {
  const UnitFamily family = UnitFamilyOf(ToStd(edt1->text()));
  baseUnit_ = ToQt(family.baseUnit);
  QStringList items;
  if (!family.baseUnit.empty()) {
    for (const std::string& item : family.items) items << ToQt(item);
  }
  for (int column : {kLowUnit, kHighUnit}) {
    for (int row = 1; row <= list_sweep::kRows; ++row) {
      QComboBox* list = UnitList(row, column);
      list->clear();
      list->addItems(items);
      list->setCurrentIndex(items.isEmpty() ? -1 : UnitFamily::kBaseItem);
    }
  }
}

void TFrmList::FormShow() {
  FillUnitLists();
  ReadListState();
}

void TFrmList::ReadListState() {
  DialogSession session(context_, this);
  const std::optional<std::string> mode = session.Send(command::kAskListMode);
  if (!mode || mode->empty()) return;
  if (const auto item = SweepModeItemFromReply(*mode)) {
    c2->setCurrentIndex(*item);
    modeShown_ = *item;
  }
  for (int row = 1; row <= list_sweep::kRows; ++row) {
    if (!ReadPoint(session, row)) return;
  }
  tmr1->start(kRefreshMs);
}

bool TFrmList::ReadPoint(DialogSession& session, int row) {
  const std::optional<std::string> reply = session.Send(PointQuery(row - 1));
  if (!reply) return false;
  ShowPointSettings(row, *reply);
  return true;
}

void TFrmList::ShowPointSettings(int row, const std::string& reply) {
  const PointSettings settings = PointSettingsFromReply(reply);
  Box(row, kFrequencyBox)->setText(ToQt(settings.frequency));
  const std::array<std::tuple<int, int, const MantissaPrefix*>, 2> limits{
      std::tuple{kLowBox, kLowUnit, &settings.low},
      std::tuple{kHighBox, kHighUnit, &settings.high}};
  for (const auto& [boxColumn, unitColumn, limit] : limits) {
    Box(row, boxColumn)->setText(ToQt(limit->mantissa));
    QComboBox* units = UnitList(row, unitColumn);
    units->setCurrentIndex(FindPos(*units, ToQt(Trimmed(limit->prefix)) + baseUnit_));
  }
}

std::string TFrmList::SelectedPrefix(int row, int column) const {
  const QComboBox* units = UnitList(row, column);
  if (units->currentIndex() < 0) return {};
  return UnitPrefix(ToStd(units->currentText()), ToStd(baseUnit_));
}

void TFrmList::SetDialogButtonsEnabled(bool on) {
  for (int row = 1; row <= list_sweep::kRows; ++row) RowButton(row)->setEnabled(on);
  btnn2->setEnabled(on);
  btnn1->setEnabled(on);
  btnn3->setEnabled(on);
  QCoreApplication::processEvents();
}

bool TFrmList::SetListPoint(int row) {
  DialogSession session(context_, this);
  ButtonsOffWhile buttonsOff(this);
  if (!session.Open()) return false;
  const std::string frequency = ToStd(Box(row, kFrequencyBox)->text());
  const std::string low = ToStd(Box(row, kLowBox)->text());
  const std::string high = ToStd(Box(row, kHighBox)->text());
  const std::string lowPrefix = SelectedPrefix(row, kLowUnit);
  const std::string highPrefix = SelectedPrefix(row, kHighUnit);
  if (!session.Send(PointWrite(row - 1, frequency, {low, lowPrefix}, {high, highPrefix}))) {
    return false;
  }
  return ReadPoint(session, row);
}

void TFrmList::btn1Click(QPushButton* button) {
  RunGuarded(this, [this, button] {
    // The row comes from the key's name ("btn3" is row 3), read before any event can take the
    // key away.
    bool isNumber = false;
    const int row = button->objectName().mid(3).toInt(&isNumber);
    if (!isNumber || row < 1 || row > list_sweep::kRows) {
      throw std::logic_error("not a row's Set key: " + ToStd(button->objectName()));
    }
    DialogSession session(context_, this);
    if (session.RefusedWhileLineLost()) return;
    QPointer<TFrmList> self(this);
    ButtonsOffWhile buttonsOff(this);
    if (self && !SetListPoint(row)) session.RefusedWhileLineLost();
  });
}

void TFrmList::btnn2Click() {
  RunGuarded(this, [this] {
    DialogSession session(context_, this);
    if (session.RefusedWhileLineLost()) return;
    for (int row = 1; row <= list_sweep::kRows; ++row) {
      if (!SetListPoint(row)) {
        session.RefusedWhileLineLost();
        return;
      }
    }
  });
}

void TFrmList::btnn1Click() {
  RunGuarded(this, [this] {
    DialogSession session(context_, this);
    if (session.RefusedWhileLineLost()) return;
    QPointer<TFrmList> self(this);
    btnn1->setEnabled(false);
    session.Send(command::kTrigger);
    if (self) btnn1->setEnabled(true);
  });
}

void TFrmList::c2Change() {
  RunGuarded(this, [this] {
    const int picked = c2->currentIndex();
    DialogSession session(context_, this);
    if (session.RefusedWhileLineLost()) {
      c2->setCurrentIndex(modeShown_);  // the meter still has the mode it had
      return;
    }
    const QString shown = c2->currentText();
    std::optional<std::string> sent;
    if (text::kSequence.Matches(shown)) {
      sent = session.Send(command::kListModeSequence);
    } else if (text::kStep.Matches(shown)) {
      sent = session.Send(command::kListModeStep);
    }
    if (sent) modeShown_ = picked;
  });
}

void TFrmList::tmr1Timer() {
  QPointer<TFrmList> self(this);
  tmr1->stop();
  RunGuarded(this, [this] { RefreshPass(); });
  // Restarted however the pass ended, so the next one begins a second after this one.
  if (self) tmr1->start(kRefreshMs);
}

void TFrmList::RefreshPass() {
  DialogSession session(context_, this);
  for (int row = 1; row <= list_sweep::kRows; ++row) {
    // A closed dialog has nothing more to show; it goes when its opener destroys it.
    if (!session.Open() || !context_.Link().LinkReady()) return;
    if (Box(row, kFrequencyBox)->text().trimmed().isEmpty()) continue;
    const std::optional<std::string> reply = session.Send(PointQuery(row - 1));
    if (!reply) return;
    const PointResult result = PointResultFromReply(*reply);
    Box(row, kTestBox)->setText(ToQt(result.testValue));
    Box(row, kCompareBox)->setText(ToQt(result.compareResult));
    if (!session.ProcessEvents()) return;
  }
}

bool TFrmList::e11KeyPress(const QLineEdit& box, const QKeyEvent& key) const {
  return DiscardsKey(box, key, KeySet::kDigits);
}

bool TFrmList::e12KeyPress(const QLineEdit& box, const QKeyEvent& key) const {
  return DiscardsKey(box, key, KeySet::kSignedDecimal);
}

}  // namespace benchbridge
