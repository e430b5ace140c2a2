#pragma once
// A plain blocking TCP client for the bridge tests, as a script would be: send lines, read reply
// lines. Every read waits in poll(2) with a limit.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace benchbridge::testing {

class BridgeClient {
 public:
  // Connects to 127.0.0.1:port. receiveBuffer > 0 shrinks the socket's receive buffer (a client
  // that stops reading fills it sooner). Throws std::runtime_error when it cannot connect.
  explicit BridgeClient(std::uint16_t port, int receiveBuffer = 0);
  ~BridgeClient();
  BridgeClient(const BridgeClient&) = delete;
  BridgeClient& operator=(const BridgeClient&) = delete;

  bool Send(std::string_view bytes);
  // One line without its LF; nothing on time-out or when the bridge closed the connection.
  std::optional<std::string> ReadLine(std::chrono::milliseconds limit);
  // True once the bridge has closed the connection (anything still arriving is skipped).
  bool WaitClosed(std::chrono::milliseconds limit);
  // Ends the stream towards the bridge and keeps reading (what `echo ... | socat` does).
  void FinishSending();
  void Close();

 private:
  enum class Fill { kData, kTimeOut, kClosed };
  Fill FillBuffer(std::chrono::steady_clock::time_point deadline);

  int fd_ = -1;
  std::string buffer_;
};

// The port of a "127.0.0.1:5025" address.
std::uint16_t PortOf(const std::string& where);

}  // namespace benchbridge::testing
