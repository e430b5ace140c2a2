#include "serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <optional>

#include "fd_wait.h"
#include "mono_tick.h"

namespace benchbridge {

namespace {

constexpr std::size_t kReadStep = 256;
// A write that makes no progress for this long (flow control holding, a wedged adapter) is
// given up, so a command can never hang the program for good.
constexpr std::uint32_t kWriteStallMs = 3000;

struct DeviceRange {
  int firstCom;
  int lastCom;
  const char* prefix;
};
constexpr DeviceRange kDeviceTable[] = {
    {1, 99, "/dev/ttyS"},
    {100, 199, "/dev/ttyUSB"},
    {200, 299, "/dev/ttyACM"},
};

std::optional<speed_t> BaudConstant(int baud) {
  switch (baud) {
    case 50:
      return B50;
    case 75:
      return B75;
    case 110:
      return B110;
    case 134:
      return B134;
    case 150:
      return B150;
    case 200:
      return B200;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 1800:
      return B1800;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 500000:
      return B500000;
    case 576000:
      return B576000;
    case 921600:
      return B921600;
    case 1000000:
      return B1000000;
    case 1152000:
      return B1152000;
    case 1500000:
      return B1500000;
    case 2000000:
      return B2000000;
    default:
      return std::nullopt;
  }
}

// Baud rate and 8N1; the other settings stay as the port has them, except that the Linux line
// discipline must not cook the bytes: a Windows port passes them through untouched, while a tty
// by default collects lines, echoes (which would send the meter's replies back to it) and
// translates CR and NL. Those are switched off so the reader sees exactly what the meter sent.
// A tty also starts with XON/XOFF on, which the meter does not speak: a 0x13 inside a reply
// would be swallowed and stop our output until a 0x11 came. Hardware flow control stays.
bool Configure(int fd, speed_t speed) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) return false;
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_lflag &= ~(ICANON | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOKE | ISIG | IEXTEN);
  tio.c_iflag &= ~(ICRNL | INLCR | IGNCR | ISTRIP | PARMRK | IXON | IXOFF | IXANY);
  tio.c_oflag &= ~OPOST;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &tio) != 0) return false;
  // tcsetattr succeeds when any of the changes took; check the ones the meter depends on.
  termios now{};
  if (tcgetattr(fd, &now) != 0) return false;
  return cfgetospeed(&now) == speed && (now.c_cflag & CSIZE) == CS8 &&
         (now.c_cflag & (PARENB | CSTOPB)) == 0 && (now.c_lflag & ICANON) == 0;
}

std::string RemoveCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string PortPath(int portNumber, const std::filesystem::path& home) {
  const std::string number = std::to_string(portNumber);
  if (!home.empty()) {
    std::error_code ec;
    const auto link = home / "ports" / ("com" + number);
    // A link that is there but points nowhere is still the user's choice for this port: the
    // open fails on it instead of silently reaching some other device.
    if (std::filesystem::exists(std::filesystem::symlink_status(link, ec))) return link.string();
  }
  for (const auto& range : kDeviceTable) {
    if (portNumber >= range.firstCom && portNumber <= range.lastCom) {
      return range.prefix + std::to_string(portNumber - range.firstCom);
    }
  }
  return {};
}

PortHandle OpenPort(int portNumber, int baud, const std::filesystem::path& home, int* error) {
  const std::string path = PortPath(portNumber, home);
  if (path.empty()) {
    if (error != nullptr) *error = ENOENT;
    return kInvalidPort;
  }
  return OpenPortPath(path, baud, error);
}

PortHandle OpenPortPath(const std::string& path, int baud, int* error) {
  // Keeps the errno of the failed step for the caller: closing afterwards may change errno.
  const auto fail = [error](int fd) {
    const int cause = errno;
    if (fd >= 0) ClosePort(fd);
    if (error != nullptr) *error = cause;
    return kInvalidPort;
  };
  const auto speed = BaudConstant(baud);
  if (!speed || path.empty()) {
    errno = path.empty() ? ENOENT : EINVAL;
    return fail(-1);
  }
  // O_NONBLOCK: the open must not wait for carrier; reads stay non-blocking afterwards, which
  // is what the reader wants (it waits in poll, not in read).
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(-1);
  // flock is what keeps out a second process (TIOCEXCL does not stop root); it goes first so
  // that a failed attempt never touches the exclusivity flag of the owner's open.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int cause = errno;
    close(fd);
    errno = cause;
    return fail(-1);
  }
  errno = 0;
  if (ioctl(fd, TIOCEXCL) != 0 || !Configure(fd, *speed)) {
    if (errno == 0) errno = EIO;  // the port took the settings, but not the ones asked for
    return fail(fd);
  }
  return fd;
}

void ClosePort(PortHandle port) {
  if (port == kInvalidPort) return;
  ioctl(port, TIOCNXCL);  // fails harmlessly on a non-terminal
  close(port);            // the flock goes with the descriptor
}

unsigned PendingBytes(PortHandle port) {
  // Unlike a Windows port, a tty keeps no pending line-error condition that has to be read and
  // cleared: the line discipline has already dealt with framing and parity errors by now.
  if (port == kInvalidPort) return 0;
  int count = 0;
  if (ioctl(port, FIONREAD, &count) != 0 || count <= 0) return 0;
  return count > static_cast<int>(kReadStep) ? static_cast<unsigned>(kReadStep)
                                             : static_cast<unsigned>(count);
}

std::string ReadReply(PortHandle port, int limitSeconds, int wakeFd, bool* complete) {
  if (complete != nullptr) *complete = false;
  if (port == kInvalidPort) return {};
  const std::uint32_t start = TickMs();
  const std::uint32_t limitMs =
      limitSeconds > 0 ? static_cast<std::uint32_t>(limitSeconds) * 1000u : 0u;
  std::string received;
  char step[kReadStep];
  for (;;) {
    const std::uint32_t elapsed = TicksSince(start);
    if (elapsed > limitMs) return {};  // incomplete or nothing: no reply, the bytes are dropped
    // One millisecond past the limit, so that the check above ends the read after the wait.
    const auto wait = std::chrono::milliseconds(limitMs - elapsed + 1);
    switch (WaitFd(port, POLLIN, wakeFd, wait)) {
      case FdWait::TimedOut:
        continue;
      case FdWait::Woken:
      case FdWait::HungUp:
        return {};
      case FdWait::Ready:
        break;
    }
    const unsigned pending = PendingBytes(port);
    const ssize_t got = read(port, step, pending > 0 ? pending : kReadStep);
    if (got < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return {};  // EIO after a hang-up, or a port that stopped being one
    }
    if (got == 0) return {};  // readable yet nothing to read: the other end is gone
    if (received.size() + static_cast<std::size_t>(got) > kReplyCap) return {};
    received.append(step, static_cast<std::size_t>(got));
    if (step[got - 1] == '\n') {
      if (complete != nullptr) *complete = true;
      return RemoveCrLf(received);
    }
  }
}

void DiscardPending(PortHandle port) {
  if (port == kInvalidPort) return;
  tcflush(port, TCIFLUSH);
}

bool WriteAll(PortHandle port, std::string_view data, int wakeFd) {
  if (port == kInvalidPort) return false;
  std::uint32_t lastProgress = TickMs();
  while (!data.empty()) {
    if (FdReadableNow(wakeFd)) return false;
    const ssize_t put = write(port, data.data(), data.size());
    if (put > 0) {
      data.remove_prefix(static_cast<std::size_t>(put));
      lastProgress = TickMs();
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno != EAGAIN) return false;
    const std::uint32_t stalled = TicksSince(lastProgress);
    if (stalled >= kWriteStallMs) return false;
    const auto wait = std::chrono::milliseconds(kWriteStallMs - stalled);
    if (WaitFd(port, POLLOUT, wakeFd, wait) == FdWait::HungUp) return false;
    // Woken is seen at the top of the loop; TimedOut ends the loop through the stall check.
  }
  return true;
}

std::string HexToText(std::string_view hexPairs) {
  std::string out;
  out.reserve(hexPairs.size() / 2);
  for (std::size_t i = 0; i + 1 < hexPairs.size(); i += 2) {
    const int high = HexDigit(hexPairs[i]);
    const int low = HexDigit(hexPairs[i + 1]);
    if (high < 0 || low < 0) continue;  // not a pair of hex digits: stands for no byte
    out.push_back(static_cast<char>(high * 16 + low));
  }
  return out;
}

}  // namespace benchbridge
