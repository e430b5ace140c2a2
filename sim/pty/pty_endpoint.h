#pragma once
// The instrument's end of a virtual serial port: a pseudo-terminal master whose slave is linked
// as <home>/ports/com<n>, which is where the panel looks for COM<n> first.

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace benchbridge::sim {

class PtyEndpoint {
 public:
  // Opens a pty in raw mode and makes the link (replacing a stale one). Throws
  // std::runtime_error with the reason on failure.
  PtyEndpoint(const std::filesystem::path& home, int comNumber);
  ~PtyEndpoint();  // removes the link and closes both ends
  PtyEndpoint(const PtyEndpoint&) = delete;
  PtyEndpoint& operator=(const PtyEndpoint&) = delete;

  int ComNumber() const { return comNumber_; }
  const std::string& SlavePath() const { return slavePath_; }
  const std::filesystem::path& LinkPath() const { return linkPath_; }

  // Next command line without its "\n" (bytes as received), waiting at most `limit` (negative:
  // no limit). nullopt on time-out, once hung up, or when wakeFd (if not -1) is readable.
  // A line longer than the line limit (64 KiB unless set) is cut there.
  std::optional<std::string> ReadLine(std::chrono::milliseconds limit, int wakeFd = -1);

  // Writes every byte; false once hung up, when the panel has taken nothing for 3 s, or when
  // wakeFd (if not -1) is readable.
  bool Write(std::string_view bytes, int wakeFd = -1);

  void SetLineLimit(std::size_t bytes) { lineLimit_ = bytes; }
  // A slow reader: reads at most 4 KiB at a time and pauses this long between reads while a
  // line is incomplete, so that the panel's writes meet a full buffer.
  void SetReadPause(std::chrono::microseconds pause) { readPause_ = pause; }

  // Like a USB adapter pulled out: closes the master, so the panel's end sees a hang-up, and
  // takes the link away with the device (left dangling, it would lead to whichever pty gets the
  // number next, another program's perhaps).
  void HangUp();
  bool HungUp() const { return master_ < 0; }

 private:
  int comNumber_;
  int master_ = -1;
  int slaveKeepAlive_ = -1;  // our own slave descriptor, so the pty survives the panel's closes
  std::string slavePath_;
  std::filesystem::path linkPath_;
  std::string pending_;  // bytes after the last complete line
  std::size_t lineLimit_ = std::size_t{64} * 1024;
  std::chrono::microseconds readPause_{0};
};

}  // namespace benchbridge::sim
