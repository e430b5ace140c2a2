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
  int MasterFd() const { return master_; }

  // Next command line without its "\n" (bytes as received), waiting at most `limit`.
  // nullopt on time-out or once hung up. A line longer than 64 KiB is cut there.
  std::optional<std::string> ReadLine(std::chrono::milliseconds limit);

  // Writes every byte; false once hung up.
  bool Write(std::string_view bytes);

  // Like a USB adapter pulled out: closes the master, so the panel's end sees a hang-up.
  // The link stays until destruction.
  void HangUp();
  bool HungUp() const { return master_ < 0; }

 private:
  int comNumber_;
  int master_ = -1;
  int slaveKeepAlive_ = -1;  // our own slave descriptor, so the pty survives the panel's closes
  std::string slavePath_;
  std::filesystem::path linkPath_;
  std::string pending_;  // bytes after the last complete line
};

}  // namespace benchbridge::sim
