#include "qt_owner_loop.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "handler_guard.h"

namespace benchbridge {

namespace {

// A wait looks at its condition after every posted task, and this often besides (for what the
// window's own events changed, such as a close during the wait).
constexpr int kLookAgainMs = 20;

}  // namespace

void QtOwnerLoop::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(
      this,
      [this, task = std::move(task)] {
        RunGuarded(window_, task);
        for (QEventLoop* wait : waits_) wait->quit();
      },
      Qt::QueuedConnection);
}

bool QtOwnerLoop::RunUntil(const std::function<bool()>& done) {
  while (!done()) {
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, &QEventLoop::quit);
    look.start(kLookAgainMs);
    waits_.push_back(&loop);
    const int result = loop.exec();
    waits_.erase(std::find(waits_.begin(), waits_.end(), &loop));
    // -1: the application is quitting and every event loop returns at once; waiting on would spin.
    if (result < 0) return false;
  }
  return true;
}

}  // namespace benchbridge
