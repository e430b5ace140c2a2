#include "dialog_look.h"

#include "design_fonts.h"

#include <QKeyEvent>
#include <QPalette>
#include <QStringList>

namespace benchbridge {

namespace {

constexpr int kRowHeight = 25;

QRect Sized(QWidget* widget, QRect place) {
  const QSize hint = widget->sizeHint();
  if (place.width() == 0) place.setWidth(hint.width());
  if (place.height() == 0) place.setHeight(kRowHeight);
  return place;
}

template <typename Widget>
Widget* Placed(Widget* widget, const QString& name, QRect place) {
  widget->setObjectName(name);
  widget->setGeometry(Sized(widget, place));
  return widget;
}

// Takes Escape before QDialog would reject on it; an open list keeps the key to itself.
class IgnoreEscape : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      event->accept();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

QFont DialogFont(int pixelSize) { return PanelFont(Face::YaHei, pixelSize); }

void SetUpDialogWindow(QDialog& dialog, int width, int height, int fontPixelSize) {
  dialog.setFont(DialogFont(fontPixelSize));
  dialog.setFixedSize(width, height);
  dialog.setSizeGripEnabled(false);
  dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  dialog.installEventFilter(new IgnoreEscape(&dialog));
  CentreOverParent(dialog);
}

void CentreOverParent(QDialog& dialog) {
  const QWidget* parent = dialog.parentWidget();
  if (parent == nullptr) return;
  const QWidget* window = parent->window();
  const QPoint centre = window->mapToGlobal(window->rect().center());
  dialog.move(centre - QPoint(dialog.width() / 2, dialog.height() / 2));
}

QLabel* MakeLabel(QWidget* parent, const QString& name, QRect place, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return Placed(label, name, place);
}

QLineEdit* MakeEntryBox(QWidget* parent, const QString& name, QRect place) {
  auto* box = new QLineEdit(parent);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
  palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
  box->setPalette(palette);
  // Only the key filter decides what gets typed; an input method would go around it.
  box->setAttribute(Qt::WA_InputMethodEnabled, false);
  return Placed(box, name, place);
}

QLineEdit* MakeHeadingBox(QWidget* parent, const QString& name, QRect place, const QString& text) {
  auto* box = new QLineEdit(text, parent);
  box->setAlignment(Qt::AlignCenter);
  box->setReadOnly(true);
  box->setEnabled(false);
  box->setFocusPolicy(Qt::NoFocus);
  return Placed(box, name, place);
}

QComboBox* MakeList(QWidget* parent, const QString& name, QRect place) {
  auto* list = new QComboBox(parent);
  list->setEditable(false);
  return Placed(list, name, place);
}

QPushButton* MakeButton(QWidget* parent, const QString& name, QRect place) {
  auto* button = new QPushButton(parent);
  // Enter in an entry box must not press a button behind the operator's back.
  button->setAutoDefault(false);
  return Placed(button, name, place);
}

}  // namespace benchbridge
