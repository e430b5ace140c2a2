#pragma once
// Reading a "_new" log back: "Cs,22.003e-9,F,D,0.00317,, 2026-12-07 14:03:07:045", the six
// normalised fields of a reading joined by ",", then ", " and the local time stamp.
//
// The file is not trusted: it is read in pieces of fixed size whatever its length, a line
// longer than any reading is skipped without being held, binary bytes simply make lines that
// are not readings, and the caller can follow the progress and cancel from another thread.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>

#include "local_time.h"
#include "reading_format.h"
#include "reading_store.h"

namespace benchbridge {

enum class LogLineKind {
  kReading,     // at least one value is a number
  kNoNumber,    // the shape of a reading without any number: an empty reply, the line breaks
  kNotReading,  // anything else
};

struct ParsedLogLine {
  LogLineKind kind = LogLineKind::kNotReading;
  LocalStamp stamp;
  Reading fields;  // normalised texts; names and units UTF-8 (a Windows log's GBK is decoded)
};

// One line without its LF (a CR before it is allowed).
ParsedLogLine ParseNewLogLine(std::string_view line);

struct LogLoadProgress {
  std::atomic<std::uint64_t> bytesDone{0}, bytesTotal{0};
  std::atomic<bool> cancel{false};
};

struct LogLoadResult {
  enum class Outcome { kLoaded, kCancelled, kCannotOpen, kFolder, kNotAFile, kReadError };
  Outcome outcome = Outcome::kLoaded;
  int error = 0;  // errno of kCannotOpen and kReadError
  std::uint64_t lines = 0, readings = 0, skipped = 0;
};

// The longest line taken for a reading; anything longer cannot be one.
inline constexpr std::size_t kMaxNewLogLine = 4096;

// Adds the readings of file to store, in file order; lines that are not readings are skipped
// and counted, those of an empty reply also break the line. Readings stamped at or after
// until are left out (the live feed has them). What was read before a cancel or a read error
// stays in the store.
LogLoadResult LoadNewLog(const std::filesystem::path& file, ReadingStore& store,
                         LogLoadProgress& progress,
                         TimeMs until = std::numeric_limits<TimeMs>::max());

// The main log beside a "_new" log: "2026-12-07_new.log" -> "2026-12-07.log"; empty when the
// name is not a "_new" log's.
std::filesystem::path MainLogOf(const std::filesystem::path& newLog);

// Gives the readings of store the bins the main log recorded (a bin reply is the line after
// its reading's reply); returns how many readings got one. A missing or unreadable main log
// gives none.
std::uint64_t RecoverBins(const std::filesystem::path& mainLog, ReadingStore& store,
                          LogLoadProgress& progress);

}  // namespace benchbridge
