#pragma once
// One connected client, on the bridge's io thread: reads one command line, hands it on, waits for
// the reply and writes it, and only then reads the next line. A client that sends faster than the
// meter answers is held back by TCP itself; nothing it sends piles up here.

#include <array>
#include <asio/ip/tcp.hpp>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "client_lines.h"
#include "exchange_worker.h"

namespace benchbridge {

// What a session needs from the server that accepted it (io thread only).
class SessionHost {
 public:
  virtual ~SessionHost() = default;
  virtual void Submit(ClientExchange exchange) = 0;
  virtual void SessionEnded(std::uint64_t id, const std::string& peer, std::string_view why) = 0;
};

class ClientSession : public std::enable_shared_from_this<ClientSession> {
 public:
  ClientSession(asio::ip::tcp::socket socket, std::uint64_t id, std::string peer,
                SessionHost& host);

  void Begin();
  // The meter's reply to this client's line (empty: the meter said nothing).
  void Reply(const std::string& reply);
  // Idempotent; the host hears of it once. abort: reset the connection instead of a clean close,
  // so that unread output is not kept in the kernel for a client that stopped reading.
  void Close(std::string_view why, bool abort = false);

 private:
  void ReadNext();
  void WatchForLeaving();
  std::size_t UnsentBytes();

  asio::ip::tcp::socket socket_;
  std::uint64_t id_;
  std::string peer_;
  SessionHost& host_;
  ClientLineReader reader_;
  std::array<char, 4096> input_{};
  std::string output_;
  bool closed_ = false;
  std::uint64_t exchanges_ = 0;  // lines handed on so far; the last one is in flight until Reply
  bool exchanging_ = false;
  bool leaving_ = false;  // its stream ended during the exchange: close once the reply is out
};

// "127.0.0.1:40312", "[::1]:40312".
std::string PeerName(const asio::ip::tcp::endpoint& endpoint);

}  // namespace benchbridge
