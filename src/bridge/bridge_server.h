#pragma once
// The bridge's io side: the listening socket, the connected clients, and the quiet timer that
// turns a burst of client settings into one notice. Everything here runs on the io thread.

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "bridge_log.h"
#include "client_session.h"
#include "exchange_worker.h"
#include "listen_address.h"

namespace benchbridge {

class BridgeSink;

class BridgeServer final : public SessionHost {
 public:
  BridgeServer(asio::io_context& io, BridgeLog& log, BridgeSink& sink, std::atomic<int>& clients);

  // Binds and listens, on the caller's thread before the io thread runs; throws std::system_error.
  asio::ip::tcp::endpoint Listen(const ListenAddress& address);
  void SetWorker(ExchangeWorker& worker) { worker_ = &worker; }

  void Accept();
  void Shutdown(std::string_view why);  // closes the listener and every client
  void ExchangeDone(std::uint64_t client, bool mayChange, const std::string& reply);

  void Submit(ClientExchange exchange) override;
  void SessionEnded(std::uint64_t id, const std::string& peer, std::string_view why) override;

 private:
  void Accepted(asio::ip::tcp::socket socket);
  void ArmQuietTimer();

  BridgeLog& log_;
  BridgeSink& sink_;
  std::atomic<int>& clients_;
  ExchangeWorker* worker_ = nullptr;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer retryTimer_;  // after a failed accept (descriptors run out)
  asio::steady_timer quietTimer_;
  std::map<std::uint64_t, std::shared_ptr<ClientSession>> sessions_;
  std::uint64_t nextId_ = 1;
  int outstanding_ = 0;         // client lines handed to the worker and not answered yet
  bool changePending_ = false;  // a setting line was answered since the last notice
  bool shutDown_ = false;
};

}  // namespace benchbridge
