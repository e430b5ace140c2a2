#pragma once
// Waits for the tool to be asked to stop: SIGINT, SIGTERM or SIGHUP, or the end of standard input
// when that is a pipe or a socket.

namespace benchbridge::sim {

class StopRequest {
 public:
  // Blocks the three signals for the whole process, so create it before any thread starts.
  StopRequest();
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  // Returns what ended the wait: the signal's name, or "end of input".
  const char* Wait();

 private:
  int signalFd_ = -1;
  bool watchInput_ = false;
};

}  // namespace benchbridge::sim
