#pragma once
// SIGTERM, SIGHUP and SIGINT (logout, shutdown, kill, Ctrl+C in a terminal) must close the
// program the way its Close key does, so the meter is sent back to local operation. A signal
// handler may do next to nothing; this one writes the signal's number into a pipe whose other
// end the event loop watches (the self-pipe), and the close runs there.

namespace benchbridge {

class TerminationSignals {
 public:
  // Installs the handlers. Only one instance may exist; the handlers stay until it goes.
  TerminationSignals();
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // Readable while a signal is waiting to be taken.
  int ReadFd() const { return readFd_; }
  // The number of a signal that came, or 0 when none is waiting. Never blocks.
  int Take();

 private:
  int readFd_ = -1;
};

}  // namespace benchbridge
