#include "exchange_worker.h"

#include <pthread.h>

#include <chrono>
#include <utility>

namespace benchbridge {
namespace {
// LinkReady has no wake-up for Stop, so its wait looks at the stop flag this often.
constexpr auto kLinkLook = std::chrono::milliseconds(20);
}  // namespace

ExchangeWorker::ExchangeWorker(LinkShared& link, QueryFunction query, Done done)
    : link_(link), query_(std::move(query)), done_(std::move(done)) {
  thread_ = std::thread([this] { Run(); });
}

ExchangeWorker::~ExchangeWorker() {
  Stop();
  Join();
}

void ExchangeWorker::Submit(ClientExchange exchange) {
  {
    std::lock_guard guard(mutex_);
    if (stopping_) return;
    queue_.push_back(std::move(exchange));
  }
  changed_.notify_one();
}

void ExchangeWorker::Stop() {
  {
    std::lock_guard guard(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  changed_.notify_one();
}

void ExchangeWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

bool ExchangeWorker::Stopping() {
  std::lock_guard guard(mutex_);
  return stopping_;
}

bool ExchangeWorker::AwaitLinkReady() {
  while (!link_.WaitLinkReady(kLinkLook)) {
    if (Stopping()) return false;
  }
  return !Stopping();
}

void ExchangeWorker::Run() {
  pthread_setname_np(pthread_self(), "bridge-query");  // for top -H and the benchmarks
  for (;;) {
    ClientExchange exchange;
    {
      std::unique_lock guard(mutex_);
      changed_.wait(guard, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      exchange = std::move(queue_.front());
      queue_.pop_front();
    }
    if (!AwaitLinkReady()) return;
    std::string reply;
    const auto start = std::chrono::steady_clock::now();
    try {
      reply = query_(exchange.command + "\n");
    } catch (...) {
      reply.clear();  // Query never throws; out of memory on the way in is no reply either
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    try {
      done_(exchange, reply, took);
    } catch (...) {
      // The reply is lost (the client then gets nothing, as from a silent meter); serve on.
    }
  }
}

}  // namespace benchbridge
