#include "home_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string>

namespace benchbridge {

namespace {

pid_t ReadPid(int fd) {
  char text[32] = {};
  const ssize_t n = pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return 0;
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(text, text + n, pid);
  return error == std::errc() && pid > 0 ? pid : 0;
}

}  // namespace

HomeLock::HomeLock(const std::filesystem::path& file) {
  fd_ = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0644);
  if (fd_ < 0) {
    error_ = std::error_code(errno, std::generic_category());
    return;
  }
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) {
      state_ = State::Taken;
      holder_ = ReadPid(fd_);
    } else {
      error_ = std::error_code(errno, std::generic_category());
    }
    close(fd_);
    fd_ = -1;
    return;
  }
  state_ = State::Held;
  const std::string pid = std::to_string(getpid()) + "\n";
  // The pid only tells the second panel whom to name; the flock is what guards the home.
  if (ftruncate(fd_, 0) != 0 || pwrite(fd_, pid.data(), pid.size(), 0) < 0) {
    error_ = std::error_code(errno, std::generic_category());
  }
}

HomeLock::~HomeLock() {
  if (fd_ >= 0) {
    // Emptied rather than removed: removing would let a start racing with this exit lock a file
    // that is no longer the one the next start opens.
    (void)ftruncate(fd_, 0);
    close(fd_);
  }
}

}  // namespace benchbridge
