#include "fit_label.h"

#include <QFontMetrics>

namespace benchbridge {

void FitLabel::SetAutoSize(bool on) {
  autoSize_ = on;
  if (on) {
    Fit(false);
  }
}

void FitLabel::setText(const QString& text) {
  QLabel::setText(text);
  if (autoSize_) {
    Fit((alignment() & Qt::AlignRight) != 0);
  }
}

void FitLabel::Fit(bool keepRightEdge) {
  const QFontMetrics metrics(font());
  const int width = metrics.horizontalAdvance(text());
  const int height = metrics.height();
  const int left = keepRightEdge ? x() + this->width() - width : x();
  setGeometry(left, y(), width, height);
}

}  // namespace benchbridge
