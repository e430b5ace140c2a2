#include "pty_endpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "fd_wait.h"
#include "mono_tick.h"
#include "serial_port.h"

namespace benchbridge::sim {

namespace {

constexpr std::size_t kReadChunk = 4096;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("pty: " + what + ": " + std::system_category().message(errno));
}

}  // namespace

PtyEndpoint::PtyEndpoint(const std::filesystem::path& home, int comNumber) : comNumber_(comNumber) {
  try {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) Fail("posix_openpt");
    if (grantpt(master_) != 0) Fail("grantpt");
    if (unlockpt(master_) != 0) Fail("unlockpt");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) Fail("ptsname");
    slavePath_ = name;
    if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) Fail("O_NONBLOCK");
    // Our own slave descriptor keeps the pty alive while the panel closes and reopens its end;
    // without one the master would see a hang-up at every close.
    slaveKeepAlive_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slaveKeepAlive_ < 0) Fail("open " + slavePath_);
    termios tio{};
    if (tcgetattr(slaveKeepAlive_, &tio) != 0) Fail("tcgetattr");
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    if (tcsetattr(slaveKeepAlive_, TCSANOW, &tio) != 0) Fail("tcsetattr");

    const auto portsDir = home / "ports";
    std::filesystem::create_directories(portsDir);
    linkPath_ = portsDir / ("com" + std::to_string(comNumber));
    std::filesystem::remove(linkPath_);  // a stale link of an earlier run
    std::filesystem::create_symlink(slavePath_, linkPath_);
  } catch (const std::filesystem::filesystem_error& e) {
    HangUp();
    throw std::runtime_error(std::string("pty: ") + e.what());
  } catch (...) {
    HangUp();
    throw;
  }
}

PtyEndpoint::~PtyEndpoint() { HangUp(); }

std::optional<std::string> PtyEndpoint::ReadLine(std::chrono::milliseconds limit, int wakeFd) {
  const std::uint32_t start = TickMs();
  for (;;) {
    const auto newline = pending_.find('\n');
    if (newline != std::string::npos || pending_.size() >= lineLimit_) {
      const std::size_t length = newline != std::string::npos ? newline : lineLimit_;
      std::string line = pending_.substr(0, length);
      pending_.erase(0, newline != std::string::npos ? length + 1 : length);
      return line;
    }
    if (master_ < 0) return std::nullopt;
    std::chrono::milliseconds wait{-1};
    if (limit.count() >= 0) {
      const auto elapsed = std::chrono::milliseconds(TicksSince(start));
      if (elapsed > limit) return std::nullopt;
      wait = limit - elapsed;
    }
    // A hang-up of the master cannot come from the panel's end while our keep-alive is open.
    if (WaitFd(master_, POLLIN, wakeFd, wait) != FdWait::Ready) return std::nullopt;
    char chunk[kReadChunk];
    const std::size_t room = lineLimit_ - pending_.size();
    const ssize_t got = read(master_, chunk, room < sizeof chunk ? room : sizeof chunk);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (got <= 0) return std::nullopt;
    pending_.append(chunk, static_cast<std::size_t>(got));
    if (readPause_.count() > 0 && pending_.find('\n') == std::string::npos) {
      if (WaitFd(-1, 0, wakeFd, readPause_) == FdWait::Woken) return std::nullopt;
    }
  }
}

bool PtyEndpoint::Write(std::string_view bytes, int wakeFd) {
  // The panel's own write loop serves this end too: partial writes continued, a full buffer
  // waited out in poll, and a reader that takes nothing for seconds counted as gone.
  return master_ >= 0 && WriteAll(master_, bytes, wakeFd);
}

void PtyEndpoint::HangUp() {
  // The panel's end sees POLLHUP/EIO only once no slave descriptor but its own is left and the
  // master is gone, so both of ours close.
  if (slaveKeepAlive_ >= 0) close(slaveKeepAlive_);
  slaveKeepAlive_ = -1;
  if (master_ >= 0) close(master_);
  master_ = -1;
  pending_.clear();
  // Only our own link: a later endpoint of the same number may have made its own meanwhile.
  std::error_code ec;
  if (!linkPath_.empty() && !slavePath_.empty() &&
      std::filesystem::read_symlink(linkPath_, ec) == slavePath_) {
    std::filesystem::remove(linkPath_, ec);
  }
}

}  // namespace benchbridge::sim
