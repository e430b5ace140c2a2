#include "set_value_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <limits>

#include "design_fonts.h"
#include "dialog_look.h"
#include "dialog_session.h"
#include "handler_guard.h"
#include "key_filter.h"
#include "message_box.h"
#include "qt_text.h"
#include "set_value_texts.h"

namespace benchbridge {

namespace {

constexpr int kClientWidth = 273;
constexpr int kClientHeight = 75;
constexpr int kFontPixels = 13;
constexpr int kUnitFontPixels = 27;

// A whole decimal number, perhaps signed and between blanks: "0600" is 600. Anything else (a
// point, an empty text, a number beyond int) is no whole number.
std::optional<int> WholeNumber(const QString& text) {
  const QString trimmed = text.trimmed();
  qsizetype at = 0;
  bool negative = false;
  if (at < trimmed.size() && (trimmed[at] == u'+' || trimmed[at] == u'-')) {
    negative = trimmed[at] == u'-';
    ++at;
  }
  if (at == trimmed.size()) {
    return std::nullopt;
  }
  long long value = 0;
  for (; at < trimmed.size(); ++at) {
    const QChar c = trimmed[at];
    if (c < u'0' || c > u'9') {
      return std::nullopt;
    }
    value = value * 10 + (c.unicode() - u'0');
    if (value > std::numeric_limits<int>::max()) {
      return std::nullopt;
    }
  }
  return static_cast<int>(negative ? -value : value);
}

void SetColour(QWidget* widget, Qt::GlobalColor colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

}  // namespace

TFrmSetValue::TFrmSetValue(PanelContext& context, const SetValueKind& kind, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), context_(context), kind_(kind) {
  setObjectName(QString::fromLatin1(kind.formName));
  SetUpDialogWindow(*this, kClientWidth, kClientHeight, kFontPixels);
  BuildControls();
}

void TFrmSetValue::BuildControls() {
  edt1 = MakeEntryBox(this, QStringLiteral("edt1"), {10, 9, 127, 27});
  SetTypingLimit(*edt1, kind_.maxLength);
  auto* keys = new KeyPressFilter(
      this, [this](const QLineEdit& box, const QKeyEvent& key) { return edt1KeyPress(box, key); });
  keys->Watch(*edt1);

  lblCB1 = MakeLabel(this, QStringLiteral("lblCB1"), {139, 9, 35, 27}, ToQt(kind_.unit));
  lblCB1->setFont(PanelFont(Face::SimHei, kUnitFontPixels));
  SetColour(lblCB1, Qt::black);

  lbl1 = MakeLabel(this, QStringLiteral("lbl1"), {10, 36, 0, 0}, ToQt(kind_.designRange));
  SetColour(lbl1, Qt::blue);
  lbl2 = MakeLabel(this, QStringLiteral("lbl2"), {11, 54, 150, 19});
  SetColour(lbl2, Qt::red);

  rbtn9 = MakeButton(this, QStringLiteral("rbtn9"), {183, 6, 84, 32});
  rbtn1 = MakeButton(this, QStringLiteral("rbtn1"), {183, 36, 84, 32});
  // Neither key is the default one: only a press on a key closes the dialog.
  rbtn9->setDefault(false);
  rbtn1->setDefault(false);
  connect(rbtn9, &QPushButton::clicked, this, [this] { rbtn9Click(); });
  connect(rbtn1, &QPushButton::clicked, this, [this] { reject(); });

  setTabOrder(rbtn9, edt1);
  setTabOrder(edt1, rbtn1);
  rbtn9->setFocus();
}

void TFrmSetValue::FormCreate(std::optional<ValueRange> range) {
  using namespace set_value_text;
  rbtn9->setText(context_.Pick(kOk));
  rbtn1->setText(context_.Pick(kCancel));
  if (range) {
    range_ = *range;
    lbl1->setText(context_.Pick(kRange).arg(range_.lowest).arg(range_.highest));
  }
  lbl1->adjustSize();
}

bool TFrmSetValue::edt1KeyPress(const QLineEdit& box, const QKeyEvent& key) {
  lbl2->clear();
  if (kind_.acceptsPoint && key.text() == QStringLiteral(".")) {
    // The point is typed like a digit, under the same length limit.
    const QKeyEvent asDigit(QEvent::KeyPress, Qt::Key_0, key.modifiers(), QStringLiteral("0"));
    return DiscardsKey(box, asDigit, KeySet::kDigits);
  }
  return DiscardsKey(box, key, KeySet::kDigits);
}

void TFrmSetValue::rbtn9Click() {
  RunGuarded(this, [this] {
    using namespace set_value_text;
    const QString typed = edt1->text();
    const std::optional<int> value = WholeNumber(typed);
    if (!value) {
      ShowMessageBox(this, QMessageBox::Critical, context_.Pick(kErrorTitle),
                     context_.Pick(kNotWholeNumber).arg(typed));
      return;
    }
    if (*value < range_.lowest || *value > range_.highest) {
      lbl2->setText(context_.Pick(kWrongRange));
      return;
    }
    // After a disconnection the labels can still be edited, but there is no meter to take the
    // value: say so instead of pretending it was set.
    if (!context_.Connected() || context_.Poller() == nullptr) {
      ShowMessageBox(this, QMessageBox::Warning, context_.Pick(kNoticeTitle),
                     context_.Pick(kNotConnected));
      return;
    }
    // The value goes out as typed ("0600" stays "0600"); the reply is not examined.
    DialogSession session(context_, this);
    if (!session.Send(kind_.command + ToStd(typed.trimmed()))) {
      return;  // the dialog went while the command waited for the link
    }
    accept();
  });
}

void TFrmSetValue::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

}  // namespace benchbridge
