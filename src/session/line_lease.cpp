#include "line_lease.h"

#include <utility>

#include "lease_shared.h"

namespace benchbridge {

const char* LineBackReasonName(LineBackReason reason) {
  switch (reason) {
    case LineBackReason::kStopped:
      return "stopped";
    case LineBackReason::kLineLost:
      return "line lost";
    case LineBackReason::kDisconnect:
      return "disconnect";
    case LineBackReason::kClose:
      return "close";
  }
  return "?";
}

void LeaseShared::Revoke(ExchangeStatus answer) {
  std::unique_lock lock(mutex);
  poller = nullptr;
  after = answer;
  idle.wait(lock, [this] { return inFlight == 0; });
}

LineLease::LineLease(std::shared_ptr<LeaseShared> shared) : shared_(std::move(shared)) {}

LineLease::~LineLease() { GiveBack(); }

ExchangeResult LineLease::Ask(const std::string& commandLine) {
  TsmThread* poller = nullptr;
  {
    std::lock_guard guard(shared_->mutex);
    if (shared_->poller == nullptr) return {{}, shared_->after};
    poller = shared_->poller;
    ++shared_->inFlight;
  }
  ExchangeResult result = poller->Ask(commandLine);
  {
    std::lock_guard guard(shared_->mutex);
    --shared_->inFlight;
  }
  shared_->idle.notify_all();
  return result;
}

bool LineLease::Held() const {
  std::lock_guard guard(shared_->mutex);
  return shared_->poller != nullptr;
}

void LineLease::GiveBack() {
  if (Held() && shared_->giveBack) shared_->giveBack();
}

}  // namespace benchbridge
