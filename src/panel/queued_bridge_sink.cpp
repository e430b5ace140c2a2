#include "queued_bridge_sink.h"

#include <QMetaObject>
#include <utility>

namespace benchbridge {

QueuedBridgeSink::QueuedBridgeSink(QObject* receiver, std::function<void()> clientsChanged,
                                   MeterChanges meterChanged)
    : receiver_(receiver),
      clientsChanged_(std::move(clientsChanged)),
      meterChanged_(std::move(meterChanged)) {}

// The count itself is not carried: by the time the call runs, the window asks the bridge for
// the count of that moment, so a late call never shows a stale one.
void QueuedBridgeSink::ClientsChanged(int /*clients*/) {
  if (QObject* receiver = receiver_.data()) {
    QMetaObject::invokeMethod(receiver, clientsChanged_, Qt::QueuedConnection);
  }
}

void QueuedBridgeSink::MeterChanged(std::vector<MeterChange> changes) {
  if (QObject* receiver = receiver_.data()) {
    QMetaObject::invokeMethod(
        receiver, [changed = meterChanged_, changes = std::move(changes)] { changed(changes); },
        Qt::QueuedConnection);
  }
}

}  // namespace benchbridge
