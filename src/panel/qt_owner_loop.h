#pragma once
// The meter session's owner loop on the user-interface thread: a posted task runs as a queued
// call, and a wait keeps the window working (events processed) until the session is done.

#include <QObject>
#include <vector>

#include "owner_loop.h"

class QEventLoop;
class QWidget;

namespace benchbridge {

class QtOwnerLoop final : public QObject, public OwnerLoop {
 public:
  // A task that fails is reported as a handler's failure is, in an error box over window.
  explicit QtOwnerLoop(QWidget* window) : window_(window) {}

  // From any thread; tasks still queued when this object goes are dropped.
  void Post(std::function<void()> task) override;
  bool RunUntil(const std::function<bool()>& done) override;

 private:
  QWidget* window_;
  std::vector<QEventLoop*> waits_;  // the waits in progress, innermost last
};

}  // namespace benchbridge
