#include "log_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <utility>

#include "account_names.h"

namespace benchbridge {
namespace {

struct LocalTime {
  std::tm fields{};
  int milliseconds = 0;
};

LocalTime ToLocal(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto seconds = floor<std::chrono::seconds>(when);
  LocalTime local;
  local.milliseconds =
      static_cast<int>(duration_cast<std::chrono::milliseconds>(when - seconds).count());
  const std::time_t t = system_clock::to_time_t(seconds);
  localtime_r(&t, &local.fields);
  return local;
}

std::string FormatDate(const std::tm& fields) {
  char text[32];
  (void)std::snprintf(text, sizeof text, "%04d-%02d-%02d", fields.tm_year + 1900, fields.tm_mon + 1,
                      fields.tm_mday);
  return text;
}

std::string FormatStamp(const LocalTime& local) {
  char text[32];
  (void)std::snprintf(text, sizeof text, " %02d:%02d:%02d:%03d", local.fields.tm_hour,
                      local.fields.tm_min, local.fields.tm_sec, local.milliseconds);
  return FormatDate(local.fields) + text;
}

// One open, append, close; 0 or the errno of the step that failed. O_NONBLOCK keeps a fifo
// planted in the log folder from hanging the caller; for regular files it changes nothing.
int AppendLine(const std::filesystem::path& file, std::string_view line) {
  const int fd =
      ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd < 0) return errno;
  int error = 0;
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // disk full, a fifo nobody drains, ...: the rest of the line is lost
      error = n < 0 ? errno : EIO;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;  // NFS reports late
  return error;
}

LogLoss MakeLoss(const std::filesystem::path& place, int error) {
  LogLoss loss{place, error, {}};
  struct stat info {};
  if (stat(place.c_str(), &info) == 0 || stat(place.parent_path().c_str(), &info) == 0) {
    loss.owner = UserName(info.st_uid);
  }
  return loss;
}

}  // namespace

std::string FormatLogDate(std::chrono::system_clock::time_point when) {
  return FormatDate(ToLocal(when).fields);
}

std::string FormatLogStamp(std::chrono::system_clock::time_point when) {
  return FormatStamp(ToLocal(when));
}

LogWriter::LogWriter(std::filesystem::path logDir, Clock clock) : logDir_(std::move(logDir)) {
  SetClock(std::move(clock));
}

void LogWriter::SetClock(Clock clock) {
  if (!clock) clock = [] { return std::chrono::system_clock::now(); };
  std::lock_guard<std::mutex> guard(mutex_);
  clock_ = std::move(clock);
}

void LogWriter::WriteLog(std::string_view text, std::string_view suffix) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (shutDown_.load()) return;
  try {
    NoteOutcome(suffix, WriteLocked(text, suffix));
  } catch (...) {
    // Out of memory or a clock that threw: the line is lost, the caller goes on.
  }
}

void LogWriter::SetLossListener(LossListener listener) {
  std::lock_guard<std::mutex> guard(mutex_);
  lossListener_ = std::move(listener);
}

void LogWriter::NoteOutcome(std::string_view suffix, const std::optional<LogLoss>& loss) {
  const bool before = !losingSuffixes_.empty();
  if (loss) {
    if (losingSuffixes_.find(suffix) == losingSuffixes_.end()) losingSuffixes_.emplace(suffix);
  } else if (const auto found = losingSuffixes_.find(suffix); found != losingSuffixes_.end()) {
    losingSuffixes_.erase(found);
  }
  const bool losing = !losingSuffixes_.empty();
  losing_.store(losing);
  if (losing != before && lossListener_) lossListener_(loss);
}

std::optional<LogLoss> LogWriter::WriteLocked(std::string_view text, std::string_view suffix) {
  std::error_code error;
  if (!std::filesystem::exists(logDir_, error)) {
    if (!std::filesystem::create_directory(logDir_, error) && error) {
      return MakeLoss(logDir_, error.value());
    }
  }
  const LocalTime now = ToLocal(clock_());
  std::string fileName = FormatDate(now.fields);
  fileName += suffix;
  fileName += ".log";
  std::string line(text);
  line += ", ";
  line += FormatStamp(now);
  line += '\n';
  const std::filesystem::path file = logDir_ / fileName;
  if (const int failed = AppendLine(file, line); failed != 0) {
    // Not a folder, not one the user may write, or the disk is full: name the folder when the
    // file is not even there.
    std::error_code ignored;
    return MakeLoss(std::filesystem::exists(file, ignored) ? file : logDir_, failed);
  }
  return std::nullopt;
}

std::string LogWriter::Today() {
  std::lock_guard<std::mutex> guard(mutex_);
  return FormatLogDate(clock_());
}

void LogWriter::Shutdown() {
  std::lock_guard<std::mutex> guard(mutex_);
  shutDown_.store(true);
}

}  // namespace benchbridge
