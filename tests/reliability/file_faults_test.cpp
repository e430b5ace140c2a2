// The files around the panel going wrong while it works: a log folder nobody can write to, a
// folder where the day's file should be, a full disk; Set.ini missing, empty, binary, huge,
// unwritable, or shared with other programs' sections; and a session that runs into midnight.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QComboBox>
#include <QPushButton>
#include <fstream>
#include <random>

#include "fault_harness.h"
#include "fit_label.h"
#include "log_writer.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kReading = "Cs,1.2345nF,D,0.01234";

enum class LogFault { FolderUnwritable, DaysFileIsAFolder, DiskFull };

class LogFaultTest : public StartedPanelTest, public ::testing::WithParamInterface<LogFault> {
 protected:
  fs::path LogDir() const { return home_.Path() / "log"; }
  fs::path DayFile(const std::string& suffix) const {
    return LogDir() / (FormatLogDate(std::chrono::system_clock::now()) + suffix + ".log");
  }
  void Spoil() {
    switch (GetParam()) {
      case LogFault::FolderUnwritable:
        // Root writes through any mode bits; a folder of /proc takes no new files from anyone.
        fs::create_directory_symlink("/proc/self/fdinfo", LogDir());
        break;
      case LogFault::DaysFileIsAFolder:
        fs::create_directories(DayFile(""));
        fs::create_directories(DayFile("_new"));
        break;
      case LogFault::DiskFull:
        fs::create_directory(LogDir());
        fs::create_symlink("/dev/full", DayFile(""));
        fs::create_symlink("/dev/full", DayFile("_new"));
        break;
    }
  }
  void Mend() {
    if (GetParam() == LogFault::FolderUnwritable) {
      fs::remove(LogDir());
    } else {
      fs::remove_all(DayFile(""));
      fs::remove_all(DayFile("_new"));
    }
  }
};

TEST_P(LogFaultTest, PollingGoesOnAndTheLogsFillOnceTheFaultEnds) {
  Spoil();
  ConnectPanel();
  ASSERT_TRUE(Connected());
  ASSERT_TRUE(WaitForReadings(3));
  EXPECT_EQ(panel_->LLs2->text(), "1.2345");
  ASSERT_EQ(Modals().size(), 1u) << "the loss is told once";
  EXPECT_NE(
      Modals()[0].text.toStdString().find("Readings are not being logged: " + LogDir().string()),
      std::string::npos)
      << Modals()[0].text.toStdString();
  // Failing writes cost no more than the writes themselves: polling does not spin on them.
  const ProcessCpu cpu;
  ASSERT_TRUE(WaitForReadings(2));
  EXPECT_LT(cpu.ShareOfOneCore(), 0.20);

  Mend();
  ASSERT_TRUE(WaitForReadings(2));
  EXPECT_GE(CountOf(MainLog(), kReading), 1u);
  EXPECT_GE(CountOf(NewLog(), "Cs,1.2345e-9,F,D,0.01234,"), 1u);
  ExpectCleanDisconnect();
}

INSTANTIATE_TEST_SUITE_P(Faults, LogFaultTest,
                         ::testing::Values(LogFault::FolderUnwritable, LogFault::DaysFileIsAFolder,
                                           LogFault::DiskFull),
                         [](const auto& tested) {
                           switch (tested.param) {
                             case LogFault::FolderUnwritable:
                               return "FolderUnwritable";
                             case LogFault::DaysFileIsAFolder:
                               return "DaysFileIsAFolder";
                             case LogFault::DiskFull:
                               return "DiskFull";
                           }
                           return "";
                         });

// --- Set.ini ---

enum class IniFault { Missing, Empty, Binary, Large, Huge, Unwritable, ForeignSections };

class SetIniTest : public FaultHarness, public ::testing::WithParamInterface<IniFault> {
 protected:
  fs::path Ini() const { return home_.Path() / "Set.ini"; }
  // Root ignores mode bits; the immutable flag stops root too.
  bool SetImmutable(bool on) {
    const int fd = open(Ini().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
  }
  void TearDown() override {
    if (GetParam() == IniFault::Unwritable) SetImmutable(false);
    FaultHarness::TearDown();
  }
};

TEST_P(SetIniTest, StartsInEnglishAndSavesWhatItCan) {
  const std::string foreign =
      "[Other Program]\r\nwindow=3,4\r\n; a note\r\n\r\n[Param Info]\r\ncomid=3\r\nlang=0\r\n"
      "defa=0\r\nextra=kept\r\n[Last]\r\nz=1\r\n";
  std::string before;
  switch (GetParam()) {
    case IniFault::Missing:
      break;
    case IniFault::Empty:
      WriteSetIni("");
      break;
    case IniFault::Binary: {
      std::mt19937 random(7);
      std::string bytes(64 * 1024, '\0');
      for (char& byte : bytes) byte = static_cast<char>(random());
      WriteSetIni("[Param Info]\ncomid=\xFF\xFE\0\n" + bytes);
      break;
    }
    case IniFault::Large:   // big, but a settings file still: read and rewritten whole
    case IniFault::Huge: {  // no settings file: left alone rather than read into memory
      const std::size_t size = GetParam() == IniFault::Large ? 900 * 1024 : std::size_t{8} << 20;
      std::string text = foreign;
      for (int i = 0; text.size() < size; ++i) {
        text += "[Section " + std::to_string(i) + "]\nkey=" + std::string(200, 'v') + "\n";
      }
      WriteSetIni(text);
      break;
    }
    case IniFault::Unwritable:
      WriteSetIni("[Param Info]\ncomid=3\nlang=1\ndefa=0\n");
      if (!SetImmutable(true)) GTEST_SKIP() << "this filesystem has no immutable flag";
      break;
    case IniFault::ForeignSections:
      WriteSetIni(foreign);
      break;
  }
  before = ReadSetIni();

  StartMeter();
  StartPanel();
  EXPECT_EQ(panel_->rbtn1->text(), "Connecting device");
  EXPECT_TRUE(panel_->rbtn1->isEnabled());
  EXPECT_FALSE(panel_->rbtn2->isEnabled());

  ConnectPanel();  // the pick of COM5 saves the settings
  EXPECT_TRUE(Connected());
  EXPECT_TRUE(Modals().empty());
  const std::string after = ReadSetIni();
  switch (GetParam()) {
    case IniFault::Huge:
    case IniFault::Unwritable:
      EXPECT_EQ(after, before);
      for (const auto& entry : fs::directory_iterator(home_.Path())) {
        EXPECT_TRUE(entry.path().filename() == "Set.ini" || entry.is_directory())
            << "left behind: " << entry.path();
      }
      break;
    case IniFault::Large:
      EXPECT_NE(after.find("[Section 3000]"), std::string::npos);
      [[fallthrough]];
    case IniFault::ForeignSections:
      for (const char* kept : {"[Other Program]", "window=3,4", "extra=kept", "[Last]", "z=1"}) {
        EXPECT_NE(after.find(kept), std::string::npos) << kept << " lost:\n" << after;
      }
      EXPECT_NE(after.find("lang=1"), std::string::npos) << after;
      [[fallthrough]];
    default:
      EXPECT_NE(after.find("comid=5"), std::string::npos) << after.substr(0, 200);
  }
  ExpectCleanDisconnect();
}

std::string IniFaultName(const ::testing::TestParamInfo<IniFault>& tested) {
  static const char* const kNames[] = {"Missing", "Empty",      "Binary",         "Large",
                                       "Huge",    "Unwritable", "ForeignSections"};
  return kNames[static_cast<int>(tested.param)];
}

INSTANTIATE_TEST_SUITE_P(Files, SetIniTest,
                         ::testing::Values(IniFault::Missing, IniFault::Empty, IniFault::Binary,
                                           IniFault::Large, IniFault::Huge, IniFault::Unwritable,
                                           IniFault::ForeignSections),
                         IniFaultName);

// --- Midnight ---

// How far the clock must be set forward for it to show 23:59:57 local time now (time enough for
// the connect and the first polls, even on a slow machine).
std::chrono::system_clock::duration ShiftToJustBeforeMidnight() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto sinceMidnight =
      std::chrono::hours(local.tm_hour) + std::chrono::minutes(local.tm_min) +
      std::chrono::seconds(local.tm_sec) + (now - std::chrono::system_clock::from_time_t(seconds));
  return std::chrono::hours(24) - sinceMidnight - 3s;
}

std::vector<std::string> RawLines(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

using MidnightTest = StartedPanelTest;

TEST_F(MidnightTest, LinesUpToMidnightStayInTheOldDaysFilesAndLaterOnesGoToTheNew) {
  const auto shift = ShiftToJustBeforeMidnight();
  panel_->Context().Log().SetClock([shift] { return std::chrono::system_clock::now() + shift; });
  const auto shifted = std::chrono::system_clock::now() + shift;
  const std::string oldDay = FormatLogDate(shifted);
  const std::string newDay = FormatLogDate(shifted + 1h);
  ASSERT_NE(oldDay, newDay);

  ConnectPanel();
  ASSERT_TRUE(
      WaitUntil([&] { return fs::exists(home_.Path() / "log" / (newDay + "_new.log")); }, 15s));
  ASSERT_TRUE(WaitForReadings(2));
  ExpectCleanDisconnect();

  std::size_t mainLines = 0, newLines = 0;
  for (const std::string& suffix : {std::string(), std::string("_new")}) {
    const auto before = RawLines(home_.Path() / "log" / (oldDay + suffix + ".log"));
    const auto after = RawLines(home_.Path() / "log" / (newDay + suffix + ".log"));
    EXPECT_FALSE(before.empty()) << suffix;
    EXPECT_FALSE(after.empty()) << suffix;
    for (const std::string& line : before) {
      EXPECT_NE(line.find(", " + oldDay + " 23:59:"), std::string::npos) << line;
    }
    for (const std::string& line : after) {
      EXPECT_NE(line.find(", " + newDay + " 00:00:"), std::string::npos) << line;
    }
    (suffix.empty() ? mainLines : newLines) = before.size() + after.size();
  }
  // Not one line lost at the change of day.
  EXPECT_EQ(mainLines, meter_->CountOf("FETCH:INT?"));
  EXPECT_EQ(newLines, mainLines);
}

}  // namespace
}  // namespace benchbridge::testing
