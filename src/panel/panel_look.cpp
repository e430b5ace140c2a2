#include "panel_look.h"

#include <QComboBox>
#include <QPalette>

namespace benchbridge {

namespace {

bool IsList(const QWidget* widget) { return qobject_cast<const QComboBox*>(widget) != nullptr; }

}  // namespace

void SetTextColour(QWidget* widget, QColor colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  if (IsList(widget)) {
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
  }
  widget->setPalette(palette);
}

QColor TextColour(const QWidget* widget) {
  return widget->palette().color(IsList(widget) ? QPalette::ButtonText : QPalette::WindowText);
}

void SetBackground(QWidget* widget, QColor colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  if (IsList(widget)) {
    palette.setColor(QPalette::Button, colour);
    palette.setColor(QPalette::Base, colour);
  }
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

QString KeyStyleSheet() {
  return QStringLiteral(
      "QPushButton { background-color: #e1e1e1; color: black; border: 1px solid #adadad; }"
      "QPushButton:hover { background-color: #e5f1fb; border: 1px solid #0078d7; }"
      "QPushButton:pressed { background-color: #cce4f7; border: 1px solid #005499; }"
      "QPushButton:disabled { background-color: #cccccc; color: #838383;"
      " border: 1px solid #bfbfbf; }");
}

}  // namespace benchbridge
