#pragma once
// The one thread on which client lines meet the meter. The bridge is a single sender on the
// channel lock, like the panel: clients queue here first come, first served, so the poller and
// the operator wait behind at most one client exchange, never behind every client at once.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "channel_lock.h"
#include "client_command.h"

namespace benchbridge {

struct ClientExchange {
  std::uint64_t client = 0;
  std::string peer;
  std::string command;  // one command, without a line end
  bool query = false;
  std::optional<MeterChange> change;  // what it changes once the meter takes it
};

class ExchangeWorker {
 public:
  // The meter's Query: takes a UTF-8 command line with its "\n", returns the reply.
  using QueryFunction = std::function<std::string(const std::string& commandLine)>;
  // Called on the worker thread once an exchange is over, also for the one that Stop() left on
  // the wire (it happened, so it is logged).
  using Done = std::function<void(const ClientExchange& exchange, const std::string& reply,
                                  std::chrono::milliseconds took)>;

  ExchangeWorker(LinkShared& link, QueryFunction query, Done done);
  ~ExchangeWorker();  // Stop() and Join()
  ExchangeWorker(const ExchangeWorker&) = delete;
  ExchangeWorker& operator=(const ExchangeWorker&) = delete;

  void Submit(ClientExchange exchange);
  // Drops what is queued; an exchange on the wire finishes and the thread then ends. Returns at
  // once.
  void Stop();
  // Waits for the thread's end (at most the one exchange that Stop left on the wire).
  void Join();

 private:
  void Run();
  bool AwaitLinkReady();
  bool Stopping();

  LinkShared& link_;
  QueryFunction query_;
  Done done_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<ClientExchange> queue_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace benchbridge
