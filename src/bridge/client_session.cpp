#include "client_session.h"

#include <sys/socket.h>

#include <cerrno>

#include <asio/buffer.hpp>
#include <asio/error.hpp>
#include <utility>

#include "bridge_limits.h"
#include "command_header.h"
#include "gbk.h"
#include "meter_commands.h"

namespace benchbridge {
namespace {

constexpr std::string_view kLeftMidExchange = "closed by the client during an exchange";
constexpr std::string_view kNoGbkForm = "a character the meter's GBK has no form for";
constexpr std::string_view kPanelOwned = "SYSTem:LOCal and SYSTem:REMote belong to the panel";
// What a client whose line ended in a CR alone reads back (a terminal's Enter, most often).
constexpr std::string_view kBareCrAnswer =
    "-102,\"Syntax error;end lines with LF or CR LF, not CR alone\"\n";

bool Blank(std::string_view line) { return TrimCommandBlanks(line).empty(); }

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
                             ReplyMode mode, SessionHost& host)
    : socket_(std::move(socket)),
      bareCrTimer_(socket_.get_executor()),
      id_(id),
      peer_(std::move(peer)),
      mode_(mode),
      host_(host) {}

void ClientSession::Begin() {
  std::error_code ignored;
  socket_.non_blocking(true, ignored);  // for Send; the reads stay asynchronous
  ReadNext();
}

void ClientSession::ReadNext() {
  while (!closed_) {
    ClientLine line = reader_.Take();
    switch (line.status) {
      case ClientLineStatus::kLine:
        if (!Blank(line.text) && !StartLine(line.text)) return;
        break;
      case ClientLineStatus::kBareCr:
        BareCr(line.text);
        break;
      case ClientLineStatus::kNeedMore:
        ReadMore();
        return;
      default:
        Close(Why(line.status));
        return;
    }
  }
}

void ClientSession::ReadMore() {
  const std::uint64_t read = ++reads_;
  if (reader_.EndsInCr()) {
    bareCrTimer_.expires_after(kBridgeBareCrWait);
    bareCrTimer_.async_wait([self = shared_from_this(), read](std::error_code error) {
      // Still the same read pending, nothing after the CR: the read stays, the CR is answered.
      if (error || self->closed_ || self->reads_ != read || !self->reader_.EndsInCr()) return;
      const ClientLine line = self->reader_.TakeTrailingCr();
      if (line.status == ClientLineStatus::kBareCr) self->BareCr(line.text);
    });
  }
  socket_.async_read_some(
      asio::buffer(input_), [self = shared_from_this()](std::error_code error, std::size_t size) {
        if (self->closed_) return;
        ++self->reads_;
        self->bareCrTimer_.cancel();
        if (error) {
          self->Close(error == asio::error::eof ? "closed by the client" : error.message());
          return;
        }
        self->reader_.Append(std::string_view(self->input_.data(), size));
        self->ReadNext();
      });
}

bool ClientSession::StartLine(const std::string& line) {
  const bool whole = mode_ == ReplyMode::kAll;
  if (!HasGbkForm(line)) {
    // Never altered: a '?' in its place would turn a setting into a query.
    host_.LineRefused(peer_, line, kNoGbkForm);
    if (whole) return Send(std::string(command::kExecutionError) + "\n");
    errors_.Push(scpi_error::kInvalidCharacter, line);
    return true;
  }
  commands_.clear();
  if (whole) {
    commands_.push_back(WholeLineCommand(line));
  } else {
    commands_ = SplitClientLine(line);
  }
  next_ = 0;
  answers_.clear();
  return RunCommands();
}

bool ClientSession::RunCommands() {
  using Kind = ClientCommand::Kind;
  for (; next_ < commands_.size(); ++next_) {
    const ClientCommand& command = commands_[next_];
    switch (command.kind) {
      case Kind::kNextError:
        answers_.push_back(errors_.Next());
        break;
      case Kind::kClearStatus:
        errors_.Clear();
        break;
      case Kind::kOperationComplete:
        answers_.emplace_back("1");  // every command before it is done: each is a whole exchange
        break;
      case Kind::kWait:
        break;
      case Kind::kPanelOwned:
        host_.LineRefused(peer_, command.text, kPanelOwned);
        if (mode_ == ReplyMode::kAll) {
          answers_.emplace_back(command::kExecutionError);
        } else {
          errors_.Push(scpi_error::kSettingsConflict, command.text);
        }
        break;
      case Kind::kMeter:
        if (leaving_) {  // what it sent before leaving stays off the line
          Close(kLeftMidExchange);
          return false;
        }
        ++exchanges_;
        exchanging_ = true;
        host_.Submit({id_, peer_, command.text, command.query, command.change});
        WatchForLeaving();
        return false;
    }
  }
  commands_.clear();
  if (!answers_.empty()) {
    std::string line;
    for (const std::string& answer : answers_) line += (line.empty() ? "" : ";") + answer;
    answers_.clear();
    if (!Send(line + "\n")) return false;
  }
  if (leaving_) {
    Close(kLeftMidExchange);
    return false;
  }
  return true;
}

void ClientSession::Reply(const std::string& reply) {
  exchanging_ = false;
  if (closed_ || next_ >= commands_.size()) return;
  TakeMeterReply(commands_[next_], reply);
  ++next_;
  if (RunCommands()) ReadNext();
}

void ClientSession::TakeMeterReply(const ClientCommand& command, const std::string& reply) {
  std::string line = ClientReplyLine(reply);
  if (!line.empty()) line.pop_back();
  if (mode_ == ReplyMode::kAll) {
    if (!line.empty()) answers_.push_back(std::move(line));
    return;
  }
  const std::string_view word = TrimCommandBlanks(line);
  if (word == command::kCommandError) {
    errors_.Push(scpi_error::kCommand, command.text);
  } else if (word == command::kExecutionError) {
    errors_.Push(scpi_error::kExecution, command.text);
  } else if (word.empty()) {
    // Silence: also for a query, so the script that timed out can ask why.
    errors_.Push(scpi_error::kHardware, "the meter did not answer " + command.text);
  } else if (command.query) {
    answers_.push_back(std::move(line));
  }
  // A command's own acknowledgement ("OK") is the meter's, not the client's business.
}

void ClientSession::BareCr(const std::string& text) {
  host_.LineRefused(peer_, text + "\r", "ended by a CR alone; lines end with LF or CR LF");
  Send(std::string(kBareCrAnswer));
}

bool ClientSession::Send(std::string line) {
  std::error_code error;
  const std::size_t sent = socket_.write_some(asio::buffer(line), error);
  if (error == asio::error::would_block || (!error && sent < line.size())) {
    // The send buffer is small (kBridgeSendBuffer), so a full one means the client's own
    // receive window is full of replies it has not read.
    Close("stopped reading: its receive window is full of unread replies", true);
    return false;
  }
  if (error) {
    Close(error.message());
    return false;
  }
  return true;
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

void ClientSession::Close(std::string_view why, bool abort) {
  if (closed_) return;
  closed_ = true;
  bareCrTimer_.cancel();
  std::error_code ignored;
  if (abort) {
    socket_.set_option(asio::socket_base::linger(true, 0), ignored);
  } else {
    socket_.shutdown(asio::socket_base::shutdown_both, ignored);
  }
  socket_.close(ignored);
  host_.SessionEnded(id_, peer_, why, exchanging_);
}

}  // namespace benchbridge
