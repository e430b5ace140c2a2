#pragma once
// The two daily log files in the log folder: "yyyy-mm-dd.log" (raw replies) and
// "yyyy-mm-dd_new.log" (normalised readings). One open-append-close per line, so another program
// can read a complete log at any time. A failure never stops polling and never reaches the
// caller; the loss listener hears when lines start being lost and when one is written again.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace benchbridge {

// Why lines are being lost: the folder or the file that could not be made or written.
struct LogLoss {
  std::filesystem::path place;  // the log folder, or the day's file in it
  int error = 0;                // errno of the failed step
  std::string owner;            // the user owning place (or the folder, when place is missing)
};

class LogWriter {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;
  // Called on the writing thread, under the writer's lock: with the loss at the first line lost
  // while no file was losing lines, with nullopt once every file that lost a line (the main, the
  // "_new" ...) has been written again. Must return promptly and must not write log lines.
  using LossListener = std::function<void(const std::optional<LogLoss>&)>;

  // An empty clock reads the system clock; tests hand in their own to cross midnight at will.
  explicit LogWriter(std::filesystem::path logDir, Clock clock = {});

  // Appends text + ", " + "yyyy-mm-dd hh:mm:ss:zzz" (local time) + LF to the day's file with the
  // given suffix ("" or "_new"); the date and the stamp come from one reading of the clock.
  // Creates the folder (one level) on first use. Callers on different threads are serialised,
  // so no line is lost to a collision. Does nothing once Shutdown() ran.
  void WriteLog(std::string_view text, std::string_view suffix = {});

  void SetLossListener(LossListener listener);
  bool LosingLines() const { return losing_.load(); }

  // Swaps the clock while lines are being written (a session that runs into midnight in a test);
  // an empty clock reads the system clock again.
  void SetClock(Clock clock);

  // From now on nothing is written (shutdown has begun). A line being written when this is
  // called is finished before it returns.
  void Shutdown();

  const std::filesystem::path& LogDir() const { return logDir_; }
  // "yyyy-mm-dd" of the day a line written now goes to (the writer's clock).
  std::string Today();

 private:
  // The loss, or nullopt when the line was written.
  std::optional<LogLoss> WriteLocked(std::string_view text, std::string_view suffix);
  void NoteOutcome(std::string_view suffix, const std::optional<LogLoss>& loss);

  std::filesystem::path logDir_;
  Clock clock_;
  std::mutex mutex_;
  std::atomic<bool> shutDown_{false};
  std::atomic<bool> losing_{false};
  std::set<std::string, std::less<>> losingSuffixes_;
  LossListener lossListener_;
};

// "yyyy-mm-dd" and "yyyy-mm-dd hh:mm:ss:zzz" of a time point in local time.
std::string FormatLogDate(std::chrono::system_clock::time_point when);
std::string FormatLogStamp(std::chrono::system_clock::time_point when);

}  // namespace benchbridge
