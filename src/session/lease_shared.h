#pragma once
// What a line lease and its meter session share. Ask runs on the feature's threads, the rest on
// the owner's.

#include <condition_variable>
#include <functional>
#include <mutex>

#include "exchange_result.h"
#include "line_lease.h"
#include "mythread.h"

namespace benchbridge {

struct LeaseShared {
  std::mutex mutex;
  std::condition_variable idle;                       // told when the last Ask in flight ended
  TsmThread* poller = nullptr;                        // the line while held; null once it came back
  ExchangeStatus after = ExchangeStatus::kAbandoned;  // what Ask answers once it came back
  int inFlight = 0;
  LineHolder* holder = nullptr;
  std::function<void()> giveBack;  // the session's end of GiveBack (a no-op once it is gone)

  // The line comes back: no new Ask reaches the poller, and those in flight have ended.
  void Revoke(ExchangeStatus answer);
};

}  // namespace benchbridge
