// The daily log files, written into real temporary folders with a clock the test turns.
#include "log_writer.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "log_files.h"
#include "temp_home.h"

namespace benchbridge {
namespace {

namespace fs = std::filesystem;
using std::chrono::system_clock;
using testing::FileContents;
using testing::FileLines;
using testing::LocalTime;
using testing::TempHome;

// A writer on <home>/log whose clock reads whatever the test set last.
class LogWriterTest : public ::testing::Test {
 protected:
  TempHome home_;
  fs::path logDir_ = home_.Path() / "log";
  std::atomic<system_clock::time_point> now_{LocalTime(2026, 12, 7, 14, 3, 7, 45)};
  LogWriter log_{logDir_, [this] { return now_.load(); }};
};

TEST(LogFormat, StampsArePaddedLocalTimeWithMillisecondsAfterAColon) {
  const auto when = LocalTime(2026, 1, 2, 3, 4, 5, 6);
  EXPECT_EQ(FormatLogDate(when), "2026-01-02");
  EXPECT_EQ(FormatLogStamp(when), "2026-01-02 03:04:05:006");
  EXPECT_EQ(FormatLogStamp(LocalTime(2026, 12, 31, 23, 59, 59, 999)), "2026-12-31 23:59:59:999");
}

TEST_F(LogWriterTest, FirstLineCreatesTheFolderAndLinesAreAppended) {
  ASSERT_FALSE(fs::exists(logDir_));
  log_.WriteLog("Cs,1.2345nF,D,0.01234");
  log_.WriteLog("Cs,1.2345e-9,F,D,0.01234,", "_new");
  log_.WriteLog("");
  EXPECT_EQ(FileContents(logDir_ / "2026-12-07.log"),
            "Cs,1.2345nF,D,0.01234, 2026-12-07 14:03:07:045\n"
            ", 2026-12-07 14:03:07:045\n");
  EXPECT_EQ(FileContents(logDir_ / "2026-12-07_new.log"),
            "Cs,1.2345e-9,F,D,0.01234,, 2026-12-07 14:03:07:045\n");
  // A new writer (a new connection) appends to the same day's file.
  LogWriter again(logDir_, [this] { return now_.load(); });
  again.WriteLog("more");
  EXPECT_EQ(FileLines(logDir_ / "2026-12-07.log").size(), 3u);
}

TEST_F(LogWriterTest, MidnightStartsTheNextDaysFiles) {
  now_ = LocalTime(2026, 12, 7, 23, 59, 59, 999);
  log_.WriteLog("late");
  log_.WriteLog("late", "_new");
  now_ = LocalTime(2026, 12, 8, 0, 0, 0, 0);
  log_.WriteLog("early");
  log_.WriteLog("early", "_new");
  for (const char* suffix : {"", "_new"}) {
    EXPECT_EQ(FileContents(logDir_ / ("2026-12-07" + std::string(suffix) + ".log")),
              "late, 2026-12-07 23:59:59:999\n");
    EXPECT_EQ(FileContents(logDir_ / ("2026-12-08" + std::string(suffix) + ".log")),
              "early, 2026-12-08 00:00:00:000\n");
  }
}

TEST_F(LogWriterTest, AFileWhereTheFolderShouldBeIsLeftAlone) {
  std::ofstream(logDir_) << "not a folder";
  log_.WriteLog("lost");
  EXPECT_EQ(FileContents(logDir_), "not a folder");
}

TEST_F(LogWriterTest, OnlyOneFolderLevelIsCreated) {
  LogWriter deep(home_.Path() / "missing" / "log", [this] { return now_.load(); });
  deep.WriteLog("lost");
  EXPECT_FALSE(fs::exists(home_.Path() / "missing"));
}

TEST_F(LogWriterTest, AnUnwritableDaysFileLosesItsLineAndTheOthersGoOn) {
  fs::create_directories(logDir_ / "2026-12-07.log");               // a folder in the file's place
  fs::create_symlink("/dev/full", logDir_ / "2026-12-07_new.log");  // a full disk
  log_.WriteLog("lost");
  log_.WriteLog("lost", "_new");
  EXPECT_TRUE(fs::is_empty(logDir_ / "2026-12-07.log"));
  now_ = LocalTime(2026, 12, 8, 9, 0, 0, 0);
  log_.WriteLog("kept");
  log_.WriteLog("kept", "_new");
  EXPECT_EQ(FileLines(logDir_ / "2026-12-08.log"),
            std::vector<std::string>{"kept, 2026-12-08 09:00:00:000"});
  EXPECT_EQ(FileLines(logDir_ / "2026-12-08_new.log").size(), 1u);
}

TEST_F(LogWriterTest, TheListenerHearsWhenLinesStartAndStopBeingLost) {
  std::vector<std::optional<LogLoss>> heard;
  log_.SetLossListener([&](const std::optional<LogLoss>& loss) { heard.push_back(loss); });
  const fs::path day = logDir_ / "2026-12-07.log";
  log_.WriteLog("kept");
  fs::remove(day);
  fs::create_symlink("/dev/full", day);
  log_.WriteLog("lost");
  log_.WriteLog("kept", "_new");  // another file written does not end the main log's loss
  log_.WriteLog("lost");
  EXPECT_TRUE(log_.LosingLines());
  fs::remove(day);
  log_.WriteLog("kept");
  fs::remove_all(logDir_);
  std::ofstream(logDir_) << "not a folder";
  log_.WriteLog("lost");

  ASSERT_EQ(heard.size(), 3u);
  ASSERT_TRUE(heard[0]);
  EXPECT_EQ(heard[0]->error, ENOSPC);
  EXPECT_EQ(heard[0]->place, day);
  EXPECT_FALSE(heard[1]) << "a line written again ends the loss";
  ASSERT_TRUE(heard[2]);
  EXPECT_EQ(heard[2]->error, ENOTDIR);
  EXPECT_EQ(heard[2]->place, logDir_);
  EXPECT_FALSE(heard[2]->owner.empty());
}

TEST_F(LogWriterTest, AFifoInPlaceOfTheDaysFileDoesNotHangTheWriter) {
  fs::create_directories(logDir_);
  ASSERT_EQ(::mkfifo((logDir_ / "2026-12-07.log").c_str(), 0666), 0);
  log_.WriteLog("lost");  // nobody reads the fifo: a blocking open would never return
  log_.WriteLog("kept", "_new");
  EXPECT_EQ(FileLines(logDir_ / "2026-12-07_new.log").size(), 1u);
}

TEST_F(LogWriterTest, NothingIsWrittenAfterShutdown) {
  log_.WriteLog("before");
  log_.Shutdown();
  log_.WriteLog("after");
  log_.WriteLog("after", "_new");
  EXPECT_EQ(FileLines(logDir_ / "2026-12-07.log"),
            std::vector<std::string>{"before, 2026-12-07 14:03:07:045"});
  EXPECT_FALSE(fs::exists(logDir_ / "2026-12-07_new.log"));
}

TEST_F(LogWriterTest, ConcurrentWritersLoseNoLine) {
  constexpr int kThreads = 4;
  constexpr int kLinesEach = 2500;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([this, t] {
      for (int i = 0; i < kLinesEach; ++i) {
        log_.WriteLog("writer" + std::to_string(t) + " line" + std::to_string(i));
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  const std::vector<std::string> lines = FileLines(logDir_ / "2026-12-07.log");
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesEach));
  std::set<std::string> distinct;
  for (const std::string& line : lines) {
    ASSERT_TRUE(line.ends_with(", 2026-12-07 14:03:07:045")) << line;  // never torn
    distinct.insert(line);
  }
  EXPECT_EQ(distinct.size(), lines.size());
}

}  // namespace
}  // namespace benchbridge
