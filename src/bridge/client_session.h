#pragma once
// One connected client, on the bridge's io thread, answered as a LAN instrument's SCPI socket
// answers: reads one line, runs its commands one after the other (each meter command one
// exchange on the line; SYSTem:ERRor?, *CLS, *OPC? and *WAI answered here), writes the replies
// of its queries as one line, and only then reads the next line. A command gets no reply; an
// error reply of the meter goes into the client's error queue instead. A client that sends
// faster than the meter answers is held back by TCP itself; nothing it sends piles up here.
//
// ReplyMode::kAll keeps the bridge's first manner: each line goes whole to the meter and every
// reply line comes back, errors and "OK" included.

#include <array>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client_command.h"
#include "client_lines.h"
#include "error_queue.h"
#include "exchange_worker.h"

namespace benchbridge {

// What a session needs from the server that accepted it (io thread only).
class SessionHost {
 public:
  virtual ~SessionHost() = default;
  virtual void Submit(ClientExchange exchange) = 0;
  virtual void LineRefused(const std::string& peer, std::string_view line,
                           std::string_view why) = 0;
  virtual void SessionEnded(std::uint64_t id, const std::string& peer, std::string_view why,
                            bool exchangeOnWire) = 0;
};

class ClientSession : public std::enable_shared_from_this<ClientSession> {
 public:
  ClientSession(asio::ip::tcp::socket socket, std::uint64_t id, std::string peer, ReplyMode mode,
                SessionHost& host);

  void Begin();
  // The meter's reply to this client's command (empty: the meter said nothing).
  void Reply(const std::string& reply);
  // Idempotent; the host hears of it once. abort: reset the connection instead of a clean close,
  // so that unread output is not kept in the kernel for a client that stopped reading.
  void Close(std::string_view why, bool abort = false);

 private:
  void ReadNext();
  void ReadMore();
  // A whole line: its commands start. False when one is with the meter (Reply goes on).
  bool StartLine(const std::string& line);
  bool RunCommands();
  void TakeMeterReply(const ClientCommand& command, const std::string& reply);
  void BareCr(const std::string& text);
  // Writes without waiting; a reply that does not go out at once means the client has left a
  // receive window's worth unread: it is let go. False when it was.
  bool Send(std::string line);
  void WatchForLeaving();

  asio::ip::tcp::socket socket_;
  asio::steady_timer bareCrTimer_;
  std::uint64_t id_;
  std::string peer_;
  ReplyMode mode_;
  SessionHost& host_;
  ClientLineReader reader_;
  std::array<char, 4096> input_{};
  ErrorQueue errors_;
  std::vector<ClientCommand> commands_;  // of the line in progress
  std::size_t next_ = 0;                 // the command of commands_ to run next
  std::vector<std::string> answers_;     // the line's query replies so far
  bool closed_ = false;
  std::uint64_t reads_ = 0;      // reads started or ended: tells the CR timer it is stale
  std::uint64_t exchanges_ = 0;  // commands handed on so far; the last one may be in flight
  bool exchanging_ = false;
  bool leaving_ = false;  // its stream ended during the exchange: close once the line is done
};

// "127.0.0.1:40312", "[::1]:40312".
std::string PeerName(const asio::ip::tcp::endpoint& endpoint);

}  // namespace benchbridge
