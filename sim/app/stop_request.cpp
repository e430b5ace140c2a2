#include "stop_request.h"

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
  sigaddset(&signals, SIGUSR1);
  sigaddset(&signals, SIGUSR2);
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

ToolRequest StopRequest::Next(std::optional<std::chrono::steady_clock::time_point> until) {
  using Kind = ToolRequest::Kind;
  pollfd watched[2] = {{signalFd_, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
  while (true) {
    int limitMs = -1;
    if (until) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(*until - std::chrono::steady_clock::now());
      if (left.count() <= 0) return {Kind::TimeUp, "time"};
      limitMs = static_cast<int>(std::min<long long>(left.count(), 1 << 30));
    }
    const nfds_t count = watchInput_ ? 2 : 1;
    const int ready = poll(watched, count, limitMs);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return {Kind::Stop, "a failed wait"};
    }
    if (watched[0].revents & POLLIN) {
      signalfd_siginfo info{};
      if (read(signalFd_, &info, sizeof info) == sizeof info) {
        switch (info.ssi_signo) {
          case SIGINT:
            return {Kind::Stop, "SIGINT"};
          case SIGTERM:
            return {Kind::Stop, "SIGTERM"};
          case SIGUSR1:
            return {Kind::Unplug, "SIGUSR1"};
          case SIGUSR2:
            return {Kind::Replug, "SIGUSR2"};
          default:
            return {Kind::Stop, "SIGHUP"};
        }
      }
    }
    if (watchInput_ && watched[1].revents != 0) {
      char discard[256];
      const ssize_t got = read(STDIN_FILENO, discard, sizeof discard);
      if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
        return {Kind::Stop, "end of input"};
      }
    }
  }
}

}  // namespace benchbridge::sim
