#include "new_log_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <vector>

#include "bin_tally.h"

#include "gbk.h"
#include "reading_values.h"

namespace benchbridge {
namespace {

constexpr std::size_t kStampBytes = 23;
constexpr std::string_view kStampSeparator = ", ";

bool TakeField(std::string_view& rest, std::string& field) {
  const std::size_t comma = rest.find(',');
  if (comma == std::string_view::npos) return false;
  field.assign(rest.substr(0, comma));
  rest.remove_prefix(comma + 1);
  return true;
}

void AsUtf8(std::string& text) {
  if (!IsValidUtf8(text)) text = GbkToUtf8(text);
}

class FileCloser {
 public:
  explicit FileCloser(int fd) : fd_(fd) {}
  ~FileCloser() { ::close(fd_); }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  int fd_;
};

class LineSink {
 public:
  LineSink(ReadingStore& store, LogLoadResult& result, TimeMs until)
      : store_(store), result_(result), until_(until) {}

  void Take(std::string_view line) {
    ++result_.lines;
    const ParsedLogLine parsed = ParseNewLogLine(line);
    if (parsed.kind == LogLineKind::kNotReading) {
      ++result_.skipped;
      return;
    }
    const std::optional<TimeMs> time = resolver_.Resolve(parsed.stamp, lastTime_);
    if (!time) {
      ++result_.skipped;
      return;
    }
    if (*time >= until_) return;
    lastTime_ = *time;
    if (parsed.kind == LogLineKind::kNoNumber) {
      ++result_.skipped;
      store_.MarkGap();
      return;
    }
    AddNormalisedReading(store_, *time, parsed.fields);
    ++result_.readings;
  }

 private:
  ReadingStore& store_;
  LogLoadResult& result_;
  TimeMs until_;
  LocalTimeResolver resolver_;
  TimeMs lastTime_ = std::numeric_limits<TimeMs>::min();
};

}  // namespace

ParsedLogLine ParseNewLogLine(std::string_view line) {
  ParsedLogLine parsed;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() < kStampBytes + kStampSeparator.size() || line.size() > kMaxNewLogLine) {
    return parsed;
  }
  const std::size_t bodySize = line.size() - kStampBytes - kStampSeparator.size();
  if (line.substr(bodySize, kStampSeparator.size()) != kStampSeparator) return parsed;
  const std::optional<LocalStamp> stamp = ParseLogStamp(line.substr(line.size() - kStampBytes));
  if (!stamp) return parsed;

  // The first five fields hold no comma; the secondary value neither, when it is a number,
  // so the first comma of what is left ends it and the rest is the secondary unit.
  std::string_view rest = line.substr(0, bodySize);
  Reading& f = parsed.fields;
  if (!TakeField(rest, f.primaryName) || !TakeField(rest, f.primaryValue) ||
      !TakeField(rest, f.primaryUnit) || !TakeField(rest, f.secondaryName) ||
      !TakeField(rest, f.secondaryValue)) {
    return parsed;
  }
  f.secondaryUnit.assign(rest);
  for (std::string* text : {&f.primaryName, &f.primaryUnit, &f.secondaryName, &f.secondaryUnit}) {
    AsUtf8(*text);
  }
  parsed.stamp = *stamp;
  parsed.kind = ParseValue(f.primaryValue) || ParseValue(f.secondaryValue) ? LogLineKind::kReading
                                                                           : LogLineKind::kNoNumber;
  return parsed;
}

namespace {

// Hands every line of file (without its LF) to take, in pieces of fixed size whatever the
// file's length; lines longer than any reading are counted as skipped and not held.
LogLoadResult ForEachLine(const std::filesystem::path& file, LogLoadProgress& progress,
                          const std::function<void(std::string_view)>& take) {
  LogLoadResult result;
  // O_NONBLOCK: a fifo in place of the log must not hang the loader (it is refused below).
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    result.outcome =
        errno == EISDIR ? LogLoadResult::Outcome::kFolder : LogLoadResult::Outcome::kCannotOpen;
    result.error = errno;
    return result;
  }
  FileCloser closer(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    result.outcome = LogLoadResult::Outcome::kCannotOpen;
    result.error = errno;
    return result;
  }
  if (S_ISDIR(info.st_mode)) {
    result.outcome = LogLoadResult::Outcome::kFolder;
    return result;
  }
  if (!S_ISREG(info.st_mode)) {
    result.outcome = LogLoadResult::Outcome::kNotAFile;
    return result;
  }
  progress.bytesTotal = static_cast<std::uint64_t>(info.st_size);

  std::vector<char> buffer(1 << 20);
  std::string pending;  // a line cut by the end of a piece
  bool overlong = false;
  std::uint64_t done = 0;
  for (;;) {
    if (progress.cancel.load()) {
      result.outcome = LogLoadResult::Outcome::kCancelled;
      return result;
    }
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result.outcome = LogLoadResult::Outcome::kReadError;
      result.error = errno;
      return result;
    }
    if (n == 0) break;
    done += static_cast<std::uint64_t>(n);
    std::string_view piece(buffer.data(), static_cast<std::size_t>(n));
    while (!piece.empty()) {
      const std::size_t lineEnd = piece.find('\n');
      const std::string_view part = piece.substr(0, lineEnd);
      if (!overlong && pending.size() + part.size() > kMaxNewLogLine + 1) {
        overlong = true;
        pending.clear();
      }
      if (lineEnd == std::string_view::npos) {
        if (!overlong) pending.append(part);
        break;
      }
      if (overlong) {
        ++result.lines;
        ++result.skipped;
      } else if (pending.empty()) {
        take(part);
      } else {
        pending.append(part);
        take(pending);
        pending.clear();
      }
      overlong = false;
      piece.remove_prefix(lineEnd + 1);
    }
    progress.bytesDone = done;
  }
  // The last line may lack its LF (a log copied while being written): take it as it is.
  if (overlong) {
    ++result.lines;
    ++result.skipped;
  } else if (!pending.empty()) {
    take(pending);
  }
  return result;
}

// The body and the stamp of a log line "<body>, yyyy-mm-dd hh:mm:ss:zzz".
bool SplitStamp(std::string_view line, std::string_view& body, LocalStamp& stamp) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() < kStampBytes + kStampSeparator.size()) return false;
  const std::size_t bodySize = line.size() - kStampBytes - kStampSeparator.size();
  if (line.substr(bodySize, kStampSeparator.size()) != kStampSeparator) return false;
  const std::optional<LocalStamp> parsed = ParseLogStamp(line.substr(line.size() - kStampBytes));
  if (!parsed) return false;
  body = line.substr(0, bodySize);
  stamp = *parsed;
  return true;
}

}  // namespace

LogLoadResult LoadNewLog(const std::filesystem::path& file, ReadingStore& store,
                         LogLoadProgress& progress, TimeMs until) {
  LogLoadResult counts;
  LineSink sink(store, counts, until);
  LogLoadResult result =
      ForEachLine(file, progress, [&sink](std::string_view line) { sink.Take(line); });
  result.lines += counts.lines;
  result.readings = counts.readings;
  result.skipped += counts.skipped;
  return result;
}

std::filesystem::path MainLogOf(const std::filesystem::path& newLog) {
  std::string name = newLog.filename().string();
  constexpr std::string_view kSuffix = "_new.log";
  if (!name.ends_with(kSuffix)) return {};
  name.replace(name.size() - kSuffix.size(), kSuffix.size(), ".log");
  return newLog.parent_path() / name;
}

std::uint64_t RecoverBins(const std::filesystem::path& mainLog, ReadingStore& store,
                          LogLoadProgress& progress) {
  // The time of each reading reply that the line after it gave a bin, in file order.
  std::vector<std::pair<TimeMs, char>> bins;
  LocalTimeResolver resolver;
  TimeMs last = std::numeric_limits<TimeMs>::min();
  std::optional<TimeMs> reading;  // the line before was a reading reply, stamped so
  ForEachLine(mainLog, progress, [&](std::string_view line) {
    std::string_view body;
    LocalStamp stamp;
    const bool stamped = SplitStamp(line, body, stamp);
    const std::optional<TimeMs> time = stamped ? resolver.Resolve(stamp, last) : std::nullopt;
    if (!time) {
      reading.reset();
      return;
    }
    last = *time;
    if (body.size() == 1 && reading && BinFromDisplayText("BIN:" + std::string(body))) {
      if (bins.size() < 2 * store.Capacity()) bins.emplace_back(*reading, body[0]);
    }
    reading.reset();
    if (body.find(',') != std::string_view::npos) reading = *time;
  });
  // Each reading reply is logged just before its "_new" line: the first reading at or after
  // the reply's time, within a second, is the one.
  std::uint64_t given = 0;
  for (const auto& [time, bin] : bins) {
    const std::uint64_t index = store.LowerBound(time);
    if (index < store.End() && store.TimeAt(index) - time <= 1000 && store.SetBinAt(index, bin)) {
      ++given;
    }
  }
  return given;
}

}  // namespace benchbridge
