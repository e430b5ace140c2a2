#pragma once
// The thread that owns a meter session (the panel's user-interface thread, or a plain loop in a
// tool or a test). Everything the session's own threads learn (the poller's readings and end, a
// lost line, a port that came back, the bridge's news) crosses to that thread here, so the
// session's state changes on one thread only.

#include <functional>

namespace benchbridge {

class OwnerLoop {
 public:
  virtual ~OwnerLoop() = default;
  // From any thread: task runs on the owner's thread, after every task posted before it.
  virtual void Post(std::function<void()> task) = 0;
  // On the owner's thread: serves posted tasks (and whatever else the owner serves, such as
  // window events) until done() holds. False when the owner's loop is quitting instead.
  virtual bool RunUntil(const std::function<bool()>& done) = 0;
};

}  // namespace benchbridge
