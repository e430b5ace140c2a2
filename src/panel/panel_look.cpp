#include "panel_look.h"

#include <QComboBox>
#include <QPalette>

namespace benchbridge {

namespace {

// Percent: a disabled list's text at half the brightness of its colour.
constexpr int kDisabledDarker = 200;

bool IsList(const QWidget* widget) { return qobject_cast<const QComboBox*>(widget) != nullptr; }

}  // namespace

void SetTextColour(QWidget* widget, QColor colour) {
  QPalette palette = widget->palette();
  // Disabled, the text is drawn at half the brightness, so a list that cannot be used now (the
  // list switch in DC resistance, say) does not look as if it could.
  const QColor dimmed = colour.darker(kDisabledDarker);
  const auto set = [&](QPalette::ColorRole role) {
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      palette.setColor(group, role, colour);
    }
    palette.setColor(QPalette::Disabled, role, dimmed);
  };
  set(QPalette::WindowText);
  if (IsList(widget)) {
    set(QPalette::Text);
    set(QPalette::ButtonText);
  }
  widget->setPalette(palette);
}

QColor TextColour(const QWidget* widget) {
  return widget->palette().color(QPalette::Active,
                                 IsList(widget) ? QPalette::ButtonText : QPalette::WindowText);
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
