#include "panel_look.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QPalette>
#include <QStringList>

namespace benchbridge {

namespace {

struct FaceNames {
  QStringList design;  // the Windows names the design asks for
  QString standIn;     // installed where the design's font is not
  int standInStretch;  // narrows the stand-in to the design font's proportions
};

// SimHei and YouYuan set Latin letters and digits at half the character height; the stand-ins'
// are wider, which would push captions under the lists and values past their labels. The mono
// face of WenQuanYi narrowed to 83 % matches SimHei's half-width figures, and the proportional
// face at 80 % keeps the row captions within their places as YouYuan does.
FaceNames NamesOf(Face face) {
  switch (face) {
    case Face::SimHei:
      return {{QStringLiteral("黑体"), QStringLiteral("SimHei")},
              QStringLiteral("WenQuanYi Micro Hei Mono"),
              83};
    case Face::YouYuan:
      return {{QStringLiteral("幼圆"), QStringLiteral("YouYuan")},
              QStringLiteral("WenQuanYi Micro Hei"),
              80};
    case Face::YaHei:
      break;
  }
  return {{QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei")},
          QStringLiteral("WenQuanYi Micro Hei"),
          100};
}

bool Installed(const QStringList& families) {
  for (const QString& family : families) {
    if (QFontDatabase::hasFamily(family)) {
      return true;
    }
  }
  return false;
}

bool IsList(const QWidget* widget) { return qobject_cast<const QComboBox*>(widget) != nullptr; }

}  // namespace

QFont PanelFont(Face face, int pixelSize) {
  const FaceNames names = NamesOf(face);
  QFont font;
  font.setPixelSize(pixelSize);
  if (Installed(names.design)) {
    font.setFamilies(names.design);
  } else {
    // Further CJK faces after the stand-in, should WenQuanYi be missing too.
    font.setFamilies(
        {names.standIn, QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Droid Sans Fallback")});
    font.setStretch(names.standInStretch);
  }
  return font;
}

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
