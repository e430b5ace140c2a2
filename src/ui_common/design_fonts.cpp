#include "design_fonts.h"

#include <QFontDatabase>
#include <QString>
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

}  // namespace benchbridge
