#include "termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace benchbridge {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The handler's only state: the pipe's write end (-1 while no instance exists).
std::atomic<int> writeFd{-1};  // NOLINT: a signal handler can reach nothing else

extern "C" void OnTerminationSignal(int signal) {
  const int saved = errno;
  const int fd = writeFd.load();
  if (fd >= 0) {
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a signal the loop has not taken yet: losing this one is fine.
    (void)!write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::runtime_error("no pipe for the termination signals");
  }
  readFd_ = fds[0];
  writeFd.store(fds[1]);
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) {
    (void)sigaction(signal, &action, nullptr);
  }
}

TerminationSignals::~TerminationSignals() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int signal : kSignals) {
    (void)sigaction(signal, &action, nullptr);
  }
  close(writeFd.exchange(-1));
  close(readFd_);
}

int TerminationSignals::Take() {
  unsigned char byte = 0;
  for (;;) {
    const ssize_t n = read(readFd_, &byte, 1);
    if (n == 1) return byte;
    if (n < 0 && errno == EINTR) continue;
    return 0;
  }
}

}  // namespace benchbridge
