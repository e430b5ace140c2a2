#pragma once
// Looks for a port that went away until it can be opened again: every period it resolves
// COM<n> anew (the ports/com<n> link or the device table, so a link remade to a new device
// counts) and tries to open it. The looking runs on a thread of its own, because opening a USB
// adapter that is just coming back can take the driver a while, and sleeps between tries.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "serial_port.h"

namespace benchbridge {

class PortReturnWatch {
 public:
  // Called once, on the watch's thread, when the port is open; TakePort then hands it over.
  using Returned = std::function<void()>;

  // Starts looking at once; the first try is one period from now.
  PortReturnWatch(int portNumber, std::filesystem::path home, int baud,
                  std::chrono::milliseconds period, Returned returned);
  // Stops looking (at once, also between tries) and closes a port nobody took.
  ~PortReturnWatch();
  PortReturnWatch(const PortReturnWatch&) = delete;
  PortReturnWatch& operator=(const PortReturnWatch&) = delete;

  // The port opened again, now owned by the caller; kInvalidPort while it is still looked for.
  PortHandle TakePort();

 private:
  void Run();

  const int portNumber_;
  const std::filesystem::path home_;
  const int baud_;
  const std::chrono::milliseconds period_;
  Returned returned_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  PortHandle port_ = kInvalidPort;
  std::thread thread_;  // last: it starts once everything it uses is there
};

}  // namespace benchbridge
