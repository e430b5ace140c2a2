#include "replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace benchbridge {
namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }
  bool Close() {
    const bool ok = fd_ < 0 || ::close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// A fresh, exclusively created file beside path.
int CreateTemporary(const std::filesystem::path& path, std::filesystem::path& temporary) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    temporary = path;
    temporary += ".tmp" + std::to_string(random());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// For a folder that takes no new entries (read-only, immutable) while the file itself may be
// written: the file is overwritten from its start and cut to the new length. A small settings
// file keeps its blocks, so this cannot run out of space part-way unless it grows.
bool RewriteInPlace(const std::filesystem::path& path, std::string_view contents) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
  struct stat info {};
  if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return WriteAll(fd.Get(), contents) &&
         ::ftruncate(fd.Get(), static_cast<off_t>(contents.size())) == 0 &&
         ::fsync(fd.Get()) == 0 && fd.Close();
}

}  // namespace

std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, std::uintmax_t cap) {
  // O_NONBLOCK: opening a fifo put where the file should be must not wait for a writer.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat info {};
  if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uintmax_t>(info.st_size) > cap) {
    return std::nullopt;
  }
  std::string contents;
  char buffer[16 * 1024];
  for (;;) {
    const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return contents;
    contents.append(buffer, static_cast<std::size_t>(n));
    if (contents.size() > cap) return std::nullopt;  // grew while we read it
  }
}

bool ReplaceFile(const std::filesystem::path& path, std::string_view contents,
                 std::optional<mode_t> mode) {
  std::filesystem::path temporary;
  Fd fd(CreateTemporary(path, temporary));
  if (fd.Get() < 0) return RewriteInPlace(path, contents);
  const bool written = WriteAll(fd.Get(), contents) && (!mode || ::fchmod(fd.Get(), *mode) == 0) &&
                       ::fsync(fd.Get()) == 0 && fd.Close() &&
                       ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!written) ::unlink(temporary.c_str());
  return written;
}

}  // namespace benchbridge
