#include "double_click_filter.h"

#include <QMouseEvent>
#include <utility>

namespace benchbridge {

DoubleClickFilter::DoubleClickFilter(QWidget* watched, std::function<void()> onDoubleClick)
    : QObject(watched), onDoubleClick_(std::move(onDoubleClick)) {
  watched->installEventFilter(this);
}

bool DoubleClickFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    onDoubleClick_();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace benchbridge
