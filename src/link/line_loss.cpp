#include "line_loss.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

namespace benchbridge {

LineLossCheck::LineLossCheck(PortHandle port) : port_(port) {
  if (port_ == kInvalidPort) return;
  struct stat info {};
  if (fstat(port_, &info) != 0 || !S_ISCHR(info.st_mode)) return;
  // The name the port was opened under resolves to the device itself (links followed), so a
  // ports/com<n> link that goes with the adapter does not count, only the device node does.
  std::array<char, 4096> target{};
  const std::string self = "/proc/self/fd/" + std::to_string(port_);
  const ssize_t length = readlink(self.c_str(), target.data(), target.size() - 1);
  if (length <= 0) return;
  node_.assign(target.data(), static_cast<std::size_t>(length));
  device_ = info.st_rdev;
}

bool LineLossCheck::Gone() const {
  if (port_ == kInvalidPort) return false;
  pollfd look{port_, POLLIN, 0};
  if (poll(&look, 1, 0) > 0 && (look.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return true;
  if (node_.empty()) return false;
  struct stat info {};
  return stat(node_.c_str(), &info) != 0 || !S_ISCHR(info.st_mode) || info.st_rdev != device_;
}

}  // namespace benchbridge
