#include "port_return_watch.h"

#include <utility>

#include "line_loss.h"

namespace benchbridge {

PortReturnWatch::PortReturnWatch(int portNumber, std::filesystem::path home, int baud,
                                 std::chrono::milliseconds period, Returned returned)
    : portNumber_(portNumber),
      home_(std::move(home)),
      baud_(baud),
      period_(period),
      returned_(std::move(returned)),
      thread_([this] { Run(); }) {}

PortReturnWatch::~PortReturnWatch() {
  {
    std::lock_guard guard(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
  ClosePort(port_);
}

PortHandle PortReturnWatch::TakePort() {
  std::lock_guard guard(mutex_);
  return std::exchange(port_, kInvalidPort);
}

void PortReturnWatch::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (wake_.wait_for(lock, period_, [this] { return stop_; })) return;
    lock.unlock();
    PortHandle port = OpenPort(portNumber_, baud_, home_);
    // A node that is still there but already hung up (a device on its way out) is not back.
    if (port != kInvalidPort && LineLossCheck(port).Gone()) {
      ClosePort(port);
      port = kInvalidPort;
    }
    lock.lock();
    if (port == kInvalidPort) continue;
    port_ = port;
    if (stop_) return;  // the destructor closes it
    lock.unlock();
    if (returned_) returned_();
    return;
  }
}

}  // namespace benchbridge
