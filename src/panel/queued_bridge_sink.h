#pragma once
// The bridge's news crosses to the user-interface thread here: its io thread only posts and
// returns. A window that has been destroyed gets nothing (Qt drops posted calls of a deleted
// receiver).

#include <QObject>
#include <QPointer>
#include <functional>

#include "bridge.h"

namespace benchbridge {

class QueuedBridgeSink final : public BridgeSink {
 public:
  // Both run on receiver's thread.
  using MeterChanges = std::function<void(const std::vector<MeterChange>& changes)>;
  QueuedBridgeSink(QObject* receiver, std::function<void()> clientsChanged,
                   MeterChanges meterChanged);

  void ClientsChanged(int clients) override;
  void MeterChanged(std::vector<MeterChange> changes) override;

 private:
  QPointer<QObject> receiver_;
  std::function<void()> clientsChanged_;
  MeterChanges meterChanged_;
};

}  // namespace benchbridge
