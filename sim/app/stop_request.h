#pragma once
// Waits for what the tool is asked to do from outside: stop (SIGINT, SIGTERM or SIGHUP, or the
// end of standard input when that is a pipe or a socket), or pull and put back the cable
// (SIGUSR1, SIGUSR2).

#include <chrono>
#include <optional>

namespace benchbridge::sim {

struct ToolRequest {
  enum class Kind { Stop, Unplug, Replug, TimeUp };
  Kind kind = Kind::Stop;
  const char* what = "";  // the signal's name, "end of input" or "time"
};

class StopRequest {
 public:
  // Blocks the five signals for the whole process, so create it before any thread starts.
  StopRequest();
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  // The next request, or TimeUp once `until` has passed (no limit without one).
  ToolRequest Next(std::optional<std::chrono::steady_clock::time_point> until = std::nullopt);

 private:
  int signalFd_ = -1;
  bool watchInput_ = false;
};

}  // namespace benchbridge::sim
