#pragma once
// The two daily log files in <home>/log: "yyyy-mm-dd.log" (raw replies) and
// "yyyy-mm-dd_new.log" (normalised readings). One open-append-close per line, so another program
// can read a complete log at any time; every failure is swallowed, logging never stops polling.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace benchbridge {

class LogWriter {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // An empty clock reads the system clock; tests hand in their own to cross midnight at will.
  explicit LogWriter(std::filesystem::path logDir, Clock clock = {});

  // Appends text + ", " + "yyyy-mm-dd hh:mm:ss:zzz" (local time) + LF to the day's file with the
  // given suffix ("" or "_new"); the date and the stamp come from one reading of the clock.
  // Creates the folder (one level) on first use. Callers on different threads are serialised,
  // so no line is lost to a collision. Does nothing once Shutdown() ran.
  void WriteLog(std::string_view text, std::string_view suffix = {});

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
  void WriteLocked(std::string_view text, std::string_view suffix);

  std::filesystem::path logDir_;
  Clock clock_;
  std::mutex mutex_;
  std::atomic<bool> shutDown_{false};
};

// "yyyy-mm-dd" and "yyyy-mm-dd hh:mm:ss:zzz" of a time point in local time.
std::string FormatLogDate(std::chrono::system_clock::time_point when);
std::string FormatLogStamp(std::chrono::system_clock::time_point when);

}  // namespace benchbridge
