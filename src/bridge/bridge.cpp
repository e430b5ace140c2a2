#include "bridge.h"

#include <pthread.h>

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/post.hpp>
#include <system_error>
#include <thread>
#include <utility>

#include "bridge_log.h"
#include "bridge_server.h"

namespace benchbridge {

// One listening period. Destroyed in reverse order: the worker is joined first, so nothing
// posts to the io context once it is gone.
struct Bridge::Running {
  Running(LogWriter& log, BridgeSink& sink, std::atomic<int>& clients, ReplyMode mode)
      : bridgeLog(log), server(io, bridgeLog, sink, clients, mode) {}

  asio::io_context io;
  asio::executor_work_guard<asio::io_context::executor_type> work = asio::make_work_guard(io);
  BridgeLog bridgeLog;
  BridgeServer server;
  std::string where;
  // False once Stop() let go of the io context: what the worker finishes then is logged on its
  // own thread, since no io handler would run any more.
  std::mutex ioMutex;
  bool ioRunning = true;
  std::thread ioThread;
  std::unique_ptr<ExchangeWorker> worker;
};

Bridge::Bridge(LinkShared& link, LogWriter& log, BridgeSink& sink)
    : link_(link), log_(log), sink_(sink) {}

Bridge::~Bridge() {
  Stop();
  Join();
}

std::string Bridge::Start(const ListenAddress& address, QueryFunction query, ReplyMode mode) {
  Stop();
  Join();
  auto running = std::make_unique<Running>(log_, sink_, clients_, mode);
  try {
    const auto bound = running->server.Listen(address);
    running->where = FormatListenAddress({bound.address().to_string(), bound.port()});
  } catch (const std::system_error& error) {
    std::string why =
        "cannot listen on " + FormatListenAddress(address) + ": " + error.code().message();
    running->bridgeLog.ListenFailed(why);
    return why;
  }
  Running& r = *running;
  r.worker = std::make_unique<ExchangeWorker>(
      link_, std::move(query),
      [&r](const ClientExchange& exchange, const std::string& reply,
           std::chrono::milliseconds took) {
        // Logged and answered on the io thread, so the next exchange on the line never waits
        // for the file or the client.
        std::lock_guard guard(r.ioMutex);
        if (!r.ioRunning) {
          r.bridgeLog.Exchange(exchange.client, exchange.peer, exchange.command, reply, took);
          return;
        }
        asio::post(r.io,
                   [&r, exchange, reply, took] { r.server.ExchangeDone(exchange, reply, took); });
      });
  r.server.SetWorker(*r.worker);
  r.bridgeLog.Listening(r.where);
  r.server.Accept();
  r.ioThread = std::thread([&r] {
    pthread_setname_np(pthread_self(), "bridge-io");
    for (;;) {
      try {
        r.io.run();  // returns once Stop() let go of the work and everything is closed
        return;
      } catch (...) {
        // A handler that threw (out of memory, a sink's own fault): serve on; Asio allows it.
      }
    }
  });
  {
    std::lock_guard guard(whereMutex_);
    where_ = r.where;
  }
  running_ = std::move(running);
  return {};
}

void Bridge::Stop(std::string_view why) {
  if (!running_) return;
  Running& r = *running_;
  r.worker->Stop();
  {
    std::lock_guard guard(r.ioMutex);
    r.ioRunning = false;
    asio::post(r.io, [&r, reason = std::string(why)] { r.server.Shutdown(reason); });
  }
  r.work.reset();
  r.ioThread.join();  // the io thread never blocks, so this is prompt
  r.bridgeLog.Stopped(r.where);
  {
    std::lock_guard guard(whereMutex_);
    where_.clear();
  }
  stopped_ = std::move(running_);
}

void Bridge::Join() {
  if (!stopped_) return;
  stopped_->worker->Join();
  stopped_->bridgeLog.FlushWaiting();  // clients whose line the stop kept from the meter
  stopped_.reset();
}

std::string Bridge::ListeningOn() const {
  std::lock_guard guard(whereMutex_);
  return where_;
}

}  // namespace benchbridge
