#include "stop_request.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace benchbridge::sim {
namespace {

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

// A pipe or a socket ends when whoever holds the other end goes; a terminal or /dev/null does
// not tell us anything (and reading a terminal from the background would stop the process).
bool InputTellsTheEnd() {
  struct stat info {};
  if (fstat(STDIN_FILENO, &info) != 0) return false;
  return S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode);
}

}  // namespace

StopRequest::StopRequest() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  (void)signal(SIGPIPE, SIG_IGN);
  signalFd_ = signalfd(-1, &signals, SFD_CLOEXEC);
  if (signalFd_ < 0) throw std::runtime_error("signalfd failed");
  watchInput_ = InputTellsTheEnd();
}

StopRequest::~StopRequest() { close(signalFd_); }

const char* StopRequest::Wait() {
  pollfd watched[2] = {{signalFd_, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
  while (true) {
    const nfds_t count = watchInput_ ? 2 : 1;
    if (poll(watched, count, -1) < 0) {
      if (errno == EINTR) continue;
      return "a failed wait";
    }
    if (watched[0].revents & POLLIN) {
      signalfd_siginfo info{};
      if (read(signalFd_, &info, sizeof info) == sizeof info) {
        switch (info.ssi_signo) {
          case SIGINT:
            return "SIGINT";
          case SIGTERM:
            return "SIGTERM";
          default:
            return "SIGHUP";
        }
      }
    }
    if (watchInput_ && watched[1].revents != 0) {
      char discard[256];
      const ssize_t got = read(STDIN_FILENO, discard, sizeof discard);
      if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) return "end of input";
    }
  }
}

}  // namespace benchbridge::sim
