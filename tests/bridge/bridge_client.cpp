#include "bridge_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace benchbridge::testing {

BridgeClient::BridgeClient(std::uint16_t port, int receiveBuffer) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) throw std::runtime_error("no socket");
  if (receiveBuffer > 0) {
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd_);
    throw std::runtime_error("cannot connect");
  }
}

BridgeClient::~BridgeClient() { Close(); }

void BridgeClient::FinishSending() { ::shutdown(fd_, SHUT_WR); }

void BridgeClient::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool BridgeClient::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

BridgeClient::Fill BridgeClient::FillBuffer(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  pollfd p{fd_, POLLIN, 0};
  const int ready = ::poll(&p, 1, static_cast<int>(std::max<long>(0, left.count())));
  if (ready < 0 && errno == EINTR) return Fill::kData;  // look again
  if (ready <= 0) return Fill::kTimeOut;
  char chunk[4096];
  const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
  if (n < 0 && errno == EINTR) return Fill::kData;
  if (n <= 0) return Fill::kClosed;
  buffer_.append(chunk, static_cast<std::size_t>(n));
  return Fill::kData;
}

std::optional<std::string> BridgeClient::ReadLine(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (const auto end = buffer_.find('\n'); end != std::string::npos) {
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      return line;
    }
    if (fd_ < 0 || FillBuffer(deadline) != Fill::kData) return std::nullopt;
  }
}

bool BridgeClient::WaitClosed(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (fd_ < 0) return true;
    switch (FillBuffer(deadline)) {
      case Fill::kClosed:
        return true;
      case Fill::kTimeOut:
        return false;
      case Fill::kData:
        buffer_.clear();
        break;
    }
  }
}

std::uint16_t PortOf(const std::string& where) {
  return static_cast<std::uint16_t>(std::stoi(where.substr(where.rfind(':') + 1)));
}

}  // namespace benchbridge::testing
