#include "bridge_server.h"

#include <asio/error.hpp>
#include <utility>

#include "bridge.h"
#include "bridge_limits.h"
#include "command_header.h"
#include "meter_commands.h"

namespace benchbridge {
namespace {
// Failed accepts (no descriptors left) are retried after this pause, not at once in a loop.
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);
}  // namespace

bool MeterTookIt(std::string_view reply) {
  const std::string_view word = TrimCommandBlanks(reply);
  return !word.empty() && word != command::kCommandError && word != command::kExecutionError;
}

BridgeServer::BridgeServer(asio::io_context& io, BridgeLog& log, BridgeSink& sink,
                           std::atomic<int>& clients, ReplyMode mode)
    : log_(log),
      sink_(sink),
      clients_(clients),
      mode_(mode),
      acceptor_(io),
      retryTimer_(io),
      gatherTimer_(io) {}

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
    log_.ClientRefused(peer, std::to_string(kBridgeClientLimit) + " clients already connected");
    socket.close(error);
    return;
  }
  socket.set_option(asio::ip::tcp::no_delay(true), error);
  socket.set_option(asio::socket_base::send_buffer_size(kBridgeSendBuffer), error);
  const std::uint64_t id = nextId_++;
  auto session = std::make_shared<ClientSession>(std::move(socket), id, peer, mode_, *this);
  sessions_.emplace(id, session);
  clients_.store(static_cast<int>(sessions_.size()));
  log_.Connected(peer, static_cast<int>(sessions_.size()));
  sink_.ClientsChanged(static_cast<int>(sessions_.size()));
  session->Begin();
}

void BridgeServer::Submit(ClientExchange exchange) { worker_->Submit(std::move(exchange)); }

void BridgeServer::ExchangeDone(const ClientExchange& exchange, const std::string& reply,
                                std::chrono::milliseconds took) {
  // Also for a client that left mid-exchange: its setting reached the meter all the same.
  if (exchange.change && MeterTookIt(reply) && !shutDown_) {
    changes_.push_back(*exchange.change);
    if (changes_.size() == 1) {
      // Counted from the first change and never pushed back by more traffic, so the panel
      // follows within the gathering time even while clients keep talking.
      gatherTimer_.expires_after(kBridgeChangeGather);
      gatherTimer_.async_wait([this](std::error_code error) {
        if (error || shutDown_ || changes_.empty()) return;
        std::vector<MeterChange> changes;
        changes.swap(changes_);
        sink_.MeterChanged(std::move(changes));
      });
    }
  }
  // The reply first, the file after it: the client never waits for the log. A client that
  // ends with this reply has its disconnect line held until the exchange's own is written.
  replyingTo_ = exchange.client;
  if (const auto found = sessions_.find(exchange.client); found != sessions_.end()) {
    const std::shared_ptr<ClientSession> session = found->second;  // may leave the map in Reply
    session->Reply(reply);
  }
  replyingTo_ = 0;
  log_.Exchange(exchange.client, exchange.peer, exchange.command, reply, took);
}

void BridgeServer::LineRefused(const std::string& peer, std::string_view line,
                               std::string_view why) {
  log_.LineRefused(peer, line, why);
}

void BridgeServer::SessionEnded(std::uint64_t id, const std::string& peer, std::string_view why,
                                bool exchangeOnWire) {
  const auto found = sessions_.find(id);
  if (found == sessions_.end()) return;
  const std::shared_ptr<ClientSession> session = found->second;  // peer is its own
  sessions_.erase(found);
  clients_.store(static_cast<int>(sessions_.size()));
  log_.Disconnected(id, peer, why, exchangeOnWire || id == replyingTo_);
  sink_.ClientsChanged(static_cast<int>(sessions_.size()));
}

void BridgeServer::Shutdown(std::string_view why) {
  shutDown_ = true;
  std::error_code ignored;
  acceptor_.close(ignored);
  retryTimer_.cancel();
  gatherTimer_.cancel();
  const auto sessions = sessions_;  // Close() takes each out of sessions_
  for (const auto& [id, session] : sessions) session->Close(why);
}

}  // namespace benchbridge
