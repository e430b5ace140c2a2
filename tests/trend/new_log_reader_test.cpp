// The "_new" log read back as the poller writes it (the real reading format and LogWriter,
// with a clock the test turns), files that are not logs, and the CSV export read back.
#include "new_log_reader.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "csv_export.h"
#include "log_files.h"
#include "log_writer.h"
#include "reading_format.h"
#include "temp_home.h"

namespace benchbridge {
namespace {

namespace fs = std::filesystem;
using std::chrono::system_clock;
using testing::LocalTime;
using testing::TempHome;

// Writes a reply's "_new" line as the poller does, at the given time.
void LogReading(LogWriter& log, system_clock::time_point& now, system_clock::time_point when,
                const std::string& reply) {
  now = when;
  log.WriteLog(NewLogLine(NormaliseReading(SplitReading(reply))), "_new");
}

void Append(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

LogLoadResult Load(const fs::path& file, ReadingStore& store,
                   TimeMs until = std::numeric_limits<TimeMs>::max()) {
  LogLoadProgress progress;
  LogLoadResult result = LoadNewLog(file, store, progress, until);
  if (result.outcome == LogLoadResult::Outcome::kLoaded) {
    EXPECT_EQ(progress.bytesDone.load(), progress.bytesTotal.load());
  }
  return result;
}

TEST(NewLogReader, ReadsThePollersLinesAcrossMidnightAndSkipsWhatIsNoReading) {
  TempHome home;
  system_clock::time_point now;
  LogWriter log(home.Path() / "log", [&now] { return now; });
  LogReading(log, now, LocalTime(2026, 12, 7, 23, 59, 58, 900), "Cs,22.003nF,D,0.00317");
  LogReading(log, now, LocalTime(2026, 12, 7, 23, 59, 59, 450), "Z,15.916kΩ,θ,-89.885deg");
  LogReading(log, now, LocalTime(2026, 12, 8, 0, 0, 0, 1), "R,628.32mΩ,,");
  LogReading(log, now, LocalTime(2026, 12, 8, 0, 0, 0, 600), "");  // an empty reply
  LogReading(log, now, LocalTime(2026, 12, 8, 0, 0, 1, 100), "Cs,-0.5uF,Q,12.5");
  const fs::path day1 = home.Path() / "log" / "2026-12-07_new.log";
  const fs::path day2 = home.Path() / "log" / "2026-12-08_new.log";
  // What else ends up in a file: noise, a line cut short, binary, a line without end, CR LF
  // and GBK from a Windows machine, and a last line the writer had not finished.
  Append(day2, std::string("garbage\nCs,22.0\n\x01\x02\0\xff,,,,,, 2026-12-08 00:00:01:200\n", 51));
  Append(day2, std::string(20000, 'x') + "\n");
  Append(day2, "R,1.5e3,\xA6\xB8,,,, 2026-12-08 00:00:01:700\r\n");
  Append(day2, "Cs,2.2e-9,F,D,0.003,, 2026-02-31 00:00:02:000\n");  // no such day
  Append(day2, "Cs,2.2e-9,F,D,0.003,, 2026-12-08 00:00:02:200\nCs,2.2e-9,F,D,0.0");

  ReadingStore store;
  const LogLoadResult first = Load(day1, store);
  EXPECT_EQ(first.outcome, LogLoadResult::Outcome::kLoaded);
  EXPECT_EQ(first.readings, 2u);
  const LogLoadResult second = Load(day2, store);
  EXPECT_EQ(second.readings, 4u);
  EXPECT_EQ(second.lines, 11u);
  EXPECT_EQ(second.skipped, 7u);
  ASSERT_EQ(store.Size(), 6u);

  const StoredReading cs = store.At(0);
  EXPECT_EQ(cs.time, ToTimeMs(LocalTime(2026, 12, 7, 23, 59, 58, 900)));
  EXPECT_DOUBLE_EQ(cs.primary, 22.003e-9);
  EXPECT_DOUBLE_EQ(cs.secondary, 0.00317);
  EXPECT_EQ(store.Names(cs.kind), (ParameterNames{"Cs", "F", "D", ""}));
  const StoredReading z = store.At(1);
  EXPECT_DOUBLE_EQ(z.primary, 15.916e3);
  EXPECT_DOUBLE_EQ(z.secondary, -89.885);
  EXPECT_EQ(store.Names(z.kind), (ParameterNames{"Z", "Ω", "θ", "deg"}));
  const StoredReading r = store.At(2);  // midnight: the next day's file goes on the same line
  EXPECT_EQ(r.time - z.time, 551);
  EXPECT_DOUBLE_EQ(r.primary, 628.32e-3);
  EXPECT_TRUE(std::isnan(r.secondary));
  EXPECT_EQ(store.Names(r.kind), (ParameterNames{"R", "Ω", "", ""}));
  EXPECT_DOUBLE_EQ(store.At(3).primary, -0.5e-6);
  EXPECT_TRUE(store.At(3).breakBefore);  // the empty reply broke the line
  EXPECT_EQ(store.Names(store.At(4).kind), (ParameterNames{"R", "Ω", "", ""}));  // GBK Ω
  EXPECT_EQ(store.At(5).time, ToTimeMs(LocalTime(2026, 12, 8, 0, 0, 2, 200)));

  // The day's history as the window takes it on opening: only what came before the live feed.
  ReadingStore history;
  EXPECT_EQ(Load(day1, history, ToTimeMs(LocalTime(2026, 12, 7, 23, 59, 59, 450))).readings, 1u);

  ReadingStore none;
  EXPECT_EQ(Load(home.Path() / "log", none).outcome, LogLoadResult::Outcome::kFolder);
  EXPECT_EQ(Load(home.Path() / "missing.log", none).outcome, LogLoadResult::Outcome::kCannotOpen);
  ASSERT_EQ(::mkfifo((home.Path() / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(Load(home.Path() / "fifo", none).outcome, LogLoadResult::Outcome::kNotAFile);
  LogLoadProgress cancelled;
  cancelled.cancel = true;
  EXPECT_EQ(LoadNewLog(day1, none, cancelled).outcome, LogLoadResult::Outcome::kCancelled);
  EXPECT_TRUE(none.Empty());
}

TEST(NewLogReader, TheHourThatRepeatsWhenSummerTimeEndsStaysInOrder) {
  const char* oldZone = std::getenv("TZ");
  const std::string saved = oldZone ? oldZone : "";
  ::setenv("TZ", "Europe/Berlin", 1);
  ::tzset();
  TempHome home;
  system_clock::time_point now;
  LogWriter log(home.Path() / "log", [&now] { return now; });
  // 2026-10-25 01:00 UTC: 03:00 summer time becomes 02:00 winter time.
  const system_clock::time_point change = system_clock::from_time_t(1792890000);
  std::vector<system_clock::time_point> times;
  for (int i = -4; i < 4; ++i) {
    times.push_back(change + std::chrono::milliseconds(700 * i));
    LogReading(log, now, times.back(), "Cs,22.003nF,D,0.00317");
  }
  ReadingStore store;
  const LogLoadResult result = Load(home.Path() / "log" / "2026-10-25_new.log", store);
  if (oldZone) {
    ::setenv("TZ", saved.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
  ASSERT_EQ(result.readings, times.size());
  for (std::size_t i = 0; i < times.size(); ++i) EXPECT_EQ(store.TimeAt(i), ToTimeMs(times[i]));
  EXPECT_EQ(store.Reordered(), 0u);
}

// Splits CSV text into rows of fields the way RFC 4180 reads them.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        rows.back().back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        rows.back().back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      rows.emplace_back(1);
      ++i;
    } else {
      rows.back().back() += c;
    }
  }
  rows.pop_back();  // after the last CR LF
  return rows;
}

TEST(CsvExport, RowsReadBackToTheStoredReadings) {
  ReadingStore store;
  const std::uint16_t odd = store.Intern({"C\"s,1", " F", "D", ""});
  const std::uint16_t z = store.Intern({"Z", "Ω", "θ", "deg"});
  store.Add(ToTimeMs(LocalTime(2026, 12, 7, 14, 3, 7, 45)), 22.003e-9, 0.1 + 0.2, odd);
  store.SetLatestBin('O');
  store.Add(ToTimeMs(LocalTime(2026, 12, 7, 14, 3, 7, 580)), -15.916e3, -89.885, z);
  store.SetLatestBin('3');
  store.Add(ToTimeMs(LocalTime(2026, 12, 7, 14, 3, 8, 115)), 1e-300,
            std::numeric_limits<double>::quiet_NaN(), z);
  const CsvContext context{
      "LX2110, serial SIM21100001, version V1.3.0",  "Cs-D",  {"Level: 1V", "Speed:\nSLOW"},
      ToTimeMs(LocalTime(2026, 12, 7, 15, 0, 0, 0)), "22 nF", {"1: \u00B10.01 %"}};
  std::ostringstream out;
  WriteCsv(out, context, store, store.Begin(), store.End());
  // The column names first (no byte-order mark, no comment lines), every row as wide.
  const auto rows = ParseCsv(out.str());
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"time", "primary", "primary value", "primary unit",
                                               "secondary", "secondary value", "secondary unit",
                                               "bin", "deviation", "meter", "function", "Level",
                                               "Speed", "nominal", "limit 1", "exported"}));
  for (std::size_t i = 0; i < store.Size(); ++i) {
    const std::vector<std::string>& row = rows[1 + i];
    const StoredReading reading = store.At(i);
    const ParameterNames& names = store.Names(reading.kind);
    ASSERT_EQ(row.size(), rows[0].size());
    EXPECT_EQ(row[0], FormatIsoLocal(reading.time));
    EXPECT_EQ(row[1], names.primaryName);
    double value = 0;
    std::from_chars(row[2].data(), row[2].data() + row[2].size(), value);
    EXPECT_EQ(value, reading.primary);
    EXPECT_EQ(row[3], names.primaryUnit);
    EXPECT_EQ(row[4], names.secondaryName);
    EXPECT_EQ(row[6], names.secondaryUnit);
    EXPECT_EQ(row[8], "no");
    EXPECT_EQ(row[9], context.identity);
    EXPECT_EQ(row[12], "SLOW");
    EXPECT_EQ(row[14], "\u00B10.01 %");
    EXPECT_EQ(row[15], FormatIsoLocal(context.exportTime));
  }
  EXPECT_EQ(rows[1][5], "0.30000000000000004");
  EXPECT_EQ(rows[3][5], "");
  EXPECT_EQ(rows[1][7], "OUT");
  EXPECT_EQ(rows[2][7], "3");
  EXPECT_EQ(rows[3][7], "");
  // ISO 8601 with milliseconds and the offset, as a spreadsheet parses it.
  EXPECT_EQ(rows[1][0].substr(0, 23), "2026-12-07T14:03:07.045");
  EXPECT_TRUE(rows[1][0][23] == '+' || rows[1][0][23] == '-');
}

}  // namespace
}  // namespace benchbridge
