#include "bridge_server.h"

#include <asio/error.hpp>
#include <chrono>
#include <utility>

#include "bridge.h"
#include "bridge_limits.h"

namespace benchbridge {
namespace {
// Failed accepts (no descriptors left) are retried after this pause, not at once in a loop.
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);
// Big enough that the unsent limit is what lets a non-reading client go, not a full send buffer
// that would leave it hanging on to its place.
constexpr int kSendBuffer = 4 * static_cast<int>(kBridgeUnsentLimit);
}  // namespace

BridgeServer::BridgeServer(asio::io_context& io, BridgeLog& log, BridgeSink& sink,
                           std::atomic<int>& clients)
    : log_(log), sink_(sink), clients_(clients), acceptor_(io), retryTimer_(io), quietTimer_(io) {}

asio::ip::tcp::endpoint BridgeServer::Listen(const ListenAddress& address) {
  const asio::ip::tcp::endpoint endpoint(asio::ip::make_address(address.address), address.port);
  acceptor_.open(endpoint.protocol());
  // A restart right after a disconnect must not trip over connections still in TIME_WAIT.
  acceptor_.set_option(asio::socket_base::reuse_address(true));
  acceptor_.bind(endpoint);
  acceptor_.listen();
  return acceptor_.local_endpoint();
}

void BridgeServer::Accept() {
  acceptor_.async_accept([this](std::error_code error, asio::ip::tcp::socket socket) {
    if (shutDown_ || error == asio::error::operation_aborted) return;
    if (error) {
      retryTimer_.expires_after(kAcceptRetry);
      retryTimer_.async_wait([this](std::error_code waitError) {
        if (!waitError && !shutDown_) Accept();
      });
      return;
    }
    Accepted(std::move(socket));
    Accept();
  });
}

void BridgeServer::Accepted(asio::ip::tcp::socket socket) {
  std::error_code error;
  const auto peerEndpoint = socket.remote_endpoint(error);
  const std::string peer = error ? std::string("(gone)") : PeerName(peerEndpoint);
  if (static_cast<int>(sessions_.size()) >= kBridgeClientLimit) {
    log_.Refused(peer, std::to_string(kBridgeClientLimit) + " clients already connected");
    socket.close(error);
    return;
  }
  socket.set_option(asio::ip::tcp::no_delay(true), error);
  socket.set_option(asio::socket_base::send_buffer_size(kSendBuffer), error);
  const std::uint64_t id = nextId_++;
  auto session = std::make_shared<ClientSession>(std::move(socket), id, peer, *this);
  sessions_.emplace(id, session);
  clients_.store(static_cast<int>(sessions_.size()));
  log_.Connected(peer, static_cast<int>(sessions_.size()));
  sink_.ClientsChanged(static_cast<int>(sessions_.size()));
  session->Begin();
}

void BridgeServer::Submit(ClientExchange exchange) {
  ++outstanding_;
  quietTimer_.cancel();  // not quiet any more
  worker_->Submit(std::move(exchange));
}

void BridgeServer::ExchangeDone(std::uint64_t client, bool mayChange, const std::string& reply) {
  --outstanding_;
  if (mayChange) changePending_ = true;
  // Also for a client that left mid-exchange: its setting reached the meter all the same.
  if (changePending_ && outstanding_ == 0) ArmQuietTimer();
  if (const auto found = sessions_.find(client); found != sessions_.end()) {
    found->second->Reply(reply);
  }
}

void BridgeServer::ArmQuietTimer() {
  quietTimer_.expires_after(kBridgeQuietBeforeNotice);
  quietTimer_.async_wait([this](std::error_code error) {
    if (error || shutDown_ || outstanding_ > 0 || !changePending_) return;
    changePending_ = false;
    sink_.SettingsMayHaveChanged();
  });
}

void BridgeServer::SessionEnded(std::uint64_t id, const std::string& peer, std::string_view why) {
  if (sessions_.erase(id) == 0) return;
  clients_.store(static_cast<int>(sessions_.size()));
  log_.Disconnected(peer, why);
  sink_.ClientsChanged(static_cast<int>(sessions_.size()));
}

void BridgeServer::Shutdown(std::string_view why) {
  shutDown_ = true;
  std::error_code ignored;
  acceptor_.close(ignored);
  retryTimer_.cancel();
  quietTimer_.cancel();
  const auto sessions = sessions_;  // Close() takes each out of sessions_
  for (const auto& [id, session] : sessions) session->Close(why);
}

}  // namespace benchbridge
