#pragma once
// Runs an action on a left double-click on a widget that has no such signal (the free-value
// labels of the settings rows).

#include <QObject>
#include <QWidget>
#include <functional>

namespace benchbridge {

class DoubleClickFilter : public QObject {
 public:
  // Owned by watched.
  DoubleClickFilter(QWidget* watched, std::function<void()> onDoubleClick);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> onDoubleClick_;
};

}  // namespace benchbridge
