#pragma once
// The bridge's io side: the listening socket, the connected clients, and the gathering of what
// clients changed on the meter into one notice at most kBridgeChangeGather after the first
// change. Everything here runs on the io thread.

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bridge_log.h"
#include "client_session.h"
#include "exchange_worker.h"
#include "listen_address.h"

namespace benchbridge {

class BridgeSink;

class BridgeServer final : public SessionHost {
 public:
  BridgeServer(asio::io_context& io, BridgeLog& log, BridgeSink& sink, std::atomic<int>& clients,
               ReplyMode mode);

  // Binds and listens, on the caller's thread before the io thread runs; throws std::system_error.
  asio::ip::tcp::endpoint Listen(const ListenAddress& address);
  void SetWorker(ExchangeWorker& worker) { worker_ = &worker; }

  void Accept();
  void Shutdown(std::string_view why);  // closes the listener and every client
  // An exchange is over: it is logged, its change noted, its reply handed to its client.
  void ExchangeDone(const ClientExchange& exchange, const std::string& reply,
                    std::chrono::milliseconds took);

  void Submit(ClientExchange exchange) override;
  void LineRefused(const std::string& peer, std::string_view line, std::string_view why) override;
  void SessionEnded(std::uint64_t id, const std::string& peer, std::string_view why,
                    bool exchangeOnWire) override;

 private:
  void Accepted(asio::ip::tcp::socket socket);

  BridgeLog& log_;
  BridgeSink& sink_;
  std::atomic<int>& clients_;
  ReplyMode mode_;
  ExchangeWorker* worker_ = nullptr;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer retryTimer_;  // after a failed accept (descriptors run out)
  asio::steady_timer gatherTimer_;
  std::map<std::uint64_t, std::shared_ptr<ClientSession>> sessions_;
  std::uint64_t nextId_ = 1;          // 0 is no client
  std::uint64_t replyingTo_ = 0;      // the client whose reply is being handed over
  std::vector<MeterChange> changes_;  // gathered for the next notice
  bool shutDown_ = false;
};

// Whether the meter took a command: a reply that is neither an error word nor silence.
bool MeterTookIt(std::string_view reply);

}  // namespace benchbridge
