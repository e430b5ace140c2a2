#include "client_session.h"

#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cerrno>

#include <asio/buffer.hpp>
#include <asio/error.hpp>
#include <asio/write.hpp>
#include <utility>

#include "bridge_limits.h"

namespace benchbridge {
namespace {

constexpr std::string_view kLeftMidExchange = "closed by the client during an exchange";

bool Blank(std::string_view line) { return line.find_first_not_of(' ') == std::string_view::npos; }

std::string_view Why(ClientLineStatus status) {
  switch (status) {
    case ClientLineStatus::kTooLong:
      return "line longer than 1024 bytes, not sent to the meter";
    case ClientLineStatus::kControlByte:
      return "control byte in a line, not sent to the meter";
    case ClientLineStatus::kNotUtf8:
      return "line is not UTF-8, not sent to the meter";
    default:
      return "";
  }
}

}  // namespace

std::string PeerName(const asio::ip::tcp::endpoint& endpoint) {
  const auto address = endpoint.address();
  const std::string text = address.to_string();
  return (address.is_v6() ? "[" + text + "]" : text) + ":" + std::to_string(endpoint.port());
}

ClientSession::ClientSession(asio::ip::tcp::socket socket, std::uint64_t id, std::string peer,
                             SessionHost& host)
    : socket_(std::move(socket)), id_(id), peer_(std::move(peer)), host_(host) {}

void ClientSession::Begin() { ReadNext(); }

void ClientSession::ReadNext() {
  for (;;) {
    ClientLine line = reader_.Take();
    if (line.status == ClientLineStatus::kLine) {
      if (Blank(line.text)) continue;  // an operator pressing Enter in a terminal
      ++exchanges_;
      exchanging_ = true;
      host_.Submit({id_, peer_, std::move(line.text)});
      WatchForLeaving();
      return;
    }
    if (line.status != ClientLineStatus::kNeedMore) {
      Close(Why(line.status));
      return;
    }
    socket_.async_read_some(
        asio::buffer(input_), [self = shared_from_this()](std::error_code error, std::size_t size) {
          if (self->closed_) return;
          if (error) {
            self->Close(error == asio::error::eof ? "closed by the client" : error.message());
            return;
          }
          self->reader_.Append(std::string_view(self->input_.data(), size));
          self->ReadNext();
        });
    return;
  }
}

// A client whose stream ends while the meter is busy with its line still gets that reply, as
// far as it can still read (`echo "*IDN?" | socat -t 5 - TCP:...` only closes its sending side),
// and is let go right after it; lines it had sent before leaving do not go to the meter. Only
// the end of the stream is looked for; bytes of a next line stay unread until the reply is out.
void ClientSession::WatchForLeaving() {
  socket_.async_wait(asio::socket_base::wait_read, [self = shared_from_this(),
                                                    exchange = exchanges_](std::error_code error) {
    if (error || self->closed_ || !self->exchanging_ || self->exchanges_ != exchange) {
      return;
    }
    char byte = 0;
    const ssize_t n = ::recv(self->socket_.native_handle(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      self->leaving_ = true;
    }
  });
}

// What the kernel still holds for the client (not yet taken by its side), plus our own buffer.
std::size_t ClientSession::UnsentBytes() {
  int queued = 0;
  if (::ioctl(socket_.native_handle(), SIOCOUTQ, &queued) != 0 || queued < 0) queued = 0;
  return static_cast<std::size_t>(queued);
}

void ClientSession::Reply(const std::string& reply) {
  exchanging_ = false;
  if (closed_) return;
  std::string line = ClientReplyLine(reply);
  if (line.empty()) {
    if (leaving_) {
      Close(kLeftMidExchange);
    } else {
      ReadNext();
    }
    return;
  }
  if (UnsentBytes() + line.size() > kBridgeUnsentLimit) {
    Close("more than 64 KiB of replies left unread", true);
    return;
  }
  output_ = std::move(line);
  asio::async_write(socket_, asio::buffer(output_),
                    [self = shared_from_this()](std::error_code error, std::size_t) {
                      if (self->closed_) return;
                      if (self->leaving_) {
                        self->Close(kLeftMidExchange);  // whether or not it could still read
                      } else if (error) {
                        self->Close(error.message());
                      } else {
                        self->ReadNext();
                      }
                    });
}

void ClientSession::Close(std::string_view why, bool abort) {
  if (closed_) return;
  closed_ = true;
  std::error_code ignored;
  if (abort) {
    socket_.set_option(asio::socket_base::linger(true, 0), ignored);
  } else {
    socket_.shutdown(asio::socket_base::shutdown_both, ignored);
  }
  socket_.close(ignored);
  host_.SessionEnded(id_, peer_, why);
}

}  // namespace benchbridge
