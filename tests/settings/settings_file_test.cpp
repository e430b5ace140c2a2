// Set.ini on real files in temporary folders.
#include "settings_file.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "profile_int.h"
#include "temp_home.h"

namespace benchbridge {
namespace {

namespace fs = std::filesystem;
using testing::TempHome;

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

std::size_t Count(const std::string& text, const std::string& piece) {
  std::size_t count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

std::size_t FilesIn(const fs::path& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

class SettingsFileTest : public ::testing::Test {
 protected:
  TempHome home_;
  fs::path ini_ = home_.Path() / "Set.ini";
};

TEST(ProfileInt, ReadsLeadingDigitsLikeTheWindowsProfileFunctions) {
  EXPECT_EQ(ProfileInt("12", 5), 12);
  EXPECT_EQ(ProfileInt("12abc", 5), 12);
  EXPECT_EQ(ProfileInt("abc", 5), 0);
  EXPECT_EQ(ProfileInt("  -7x", 5), -7);
  EXPECT_EQ(ProfileInt("+3", 5), 3);
  EXPECT_EQ(ProfileInt("-", 5), 0);
  EXPECT_EQ(ProfileInt("0x10", 5), 0);
  EXPECT_EQ(ProfileInt("", 5), 5);
  EXPECT_EQ(ProfileInt("99999999999999999999999", 5), std::numeric_limits<int>::max());
  EXPECT_EQ(ProfileInt("-2147483648", 5), std::numeric_limits<int>::min());
  EXPECT_EQ(ProfileInt("-99999999999999999999999", 5), std::numeric_limits<int>::min());
}

TEST_F(SettingsFileTest, FilesWithoutOurKeysReadAsTheDefaults) {
  const SettingsValues defaults{1, UiLanguage::Chinese};
  EXPECT_EQ(ReadSettingsFile(ini_), defaults);  // missing
  Put(ini_, "");
  EXPECT_EQ(ReadSettingsFile(ini_), defaults);
  Put(ini_, "[Other]\ncomid=5\n[Param Info]\nlang=\n");
  EXPECT_EQ(ReadSettingsFile(ini_), defaults);
  Put(ini_, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR[Param Info\xff\xfe=", 26));
  EXPECT_EQ(ReadSettingsFile(ini_), defaults);
  fs::remove(ini_);
  fs::create_directory(ini_);
  EXPECT_EQ(ReadSettingsFile(ini_), defaults);
  EXPECT_FALSE(WriteSettingsFile(ini_, 3, UiLanguage::English, 0));
}

TEST_F(SettingsFileTest, ValuesAreReadFromParamInfoWhateverTheCaseAndLineEnds) {
  Put(ini_, "[Param Info]\r\ncomid=12\r\nlang=1\r\n");
  EXPECT_EQ(ReadSettingsFile(ini_), (SettingsValues{12, UiLanguage::English}));
  Put(ini_, "[param info]\nCOMID = 12abc \nLang=abc\n");
  EXPECT_EQ(ReadSettingsFile(ini_), (SettingsValues{12, UiLanguage::Chinese}));
  Put(ini_, "[Param Info]\ncomid=4\ncomid=5\n");  // the first of two equal keys counts
  EXPECT_EQ(ReadSettingsFile(ini_).comid, 4);
  Put(ini_, "[\n[Param Info]\ncomid=6\n");  // a broken section line does not eat the next
  EXPECT_EQ(ReadSettingsFile(ini_).comid, 6);
  ASSERT_TRUE(WriteSettingsFile(ini_, 7, UiLanguage::English, 0));
  EXPECT_EQ(ReadSettingsFile(ini_), (SettingsValues{7, UiLanguage::English}));
}

// "lang" 0 is Chinese and any other value English; the two are written as 0 and 1.
TEST_F(SettingsFileTest, AnyLangButZeroIsEnglishAndTheLanguagesAreWrittenAsZeroAndOne) {
  for (const char* lang : {"7", "-1", "2147483647"}) {
    Put(ini_, std::string("[Param Info]\nlang=") + lang + "\n");
    EXPECT_EQ(ReadSettingsFile(ini_).lang, UiLanguage::English) << lang;
  }
  ASSERT_TRUE(WriteSettingsFile(ini_, 2, UiLanguage::Chinese, 0));
  EXPECT_EQ(Contents(ini_), "[Param Info]\nlang=0\ncomid=2\ndefa=0\n");
  EXPECT_EQ(ReadSettingsFile(ini_).lang, UiLanguage::Chinese);
}

// Only the operator writes the bridge's key; the program's own saves keep it.
TEST_F(SettingsFileTest, TheBridgeListenKeyIsReadAsWrittenAndSurvivesASave) {
  EXPECT_EQ(ReadBridgeListen(ini_), "");
  Put(ini_, "[Param Info]\r\ncomid=3\r\n[bridge]\r\nlisten = 0.0.0.0:5025 \r\n");
  EXPECT_EQ(ReadBridgeListen(ini_), "0.0.0.0:5025");
  ASSERT_TRUE(WriteSettingsFile(ini_, 4, UiLanguage::English, 0));
  EXPECT_EQ(ReadBridgeListen(ini_), "0.0.0.0:5025");
  EXPECT_EQ(ReadSettingsFile(ini_).comid, 4);
}

TEST_F(SettingsFileTest, AFreshFileHoldsTheThreeKeys) {
  ASSERT_TRUE(WriteSettingsFile(ini_, 3, UiLanguage::English, 0));
  EXPECT_EQ(Contents(ini_), "[Param Info]\ncomid=3\nlang=1\ndefa=0\n");
  EXPECT_EQ(ReadSettingsFile(ini_), (SettingsValues{3, UiLanguage::English}));
  EXPECT_EQ(FilesIn(home_.Path()), 1u);  // no temporary file left behind
}

// Root ignores mode bits; the immutable flag on the folder stops root from adding a file too.
bool SetImmutable(const fs::path& folder, bool on) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return done;
}

TEST_F(SettingsFileTest, AFolderThatTakesNoNewFileStillHasItsSetIniRewritten) {
  const fs::path folder = home_.Path() / "fixed";
  fs::create_directory(folder);
  const fs::path ini = folder / "Set.ini";
  Put(ini, "[Other]\nkeep=yes\n[Param Info]\ncomid=3\nlang=1\ndefa=0\nextra=long value\n");
  if (!SetImmutable(folder, true)) GTEST_SKIP() << "this filesystem has no immutable flag";
  const bool written = WriteSettingsFile(ini, 12, UiLanguage::English, 0);
  const std::string after = Contents(ini);
  SetImmutable(folder, false);
  EXPECT_TRUE(written);
  EXPECT_EQ(ReadSettingsFile(ini).comid, 12);
  for (const char* kept : {"[Other]\nkeep=yes\n", "extra=long value\n"}) {
    EXPECT_NE(after.find(kept), std::string::npos) << kept << " lost:\n" << after;
  }
  EXPECT_EQ(FilesIn(folder), 1u);
}

TEST_F(SettingsFileTest, RewritingKeepsEverythingElseOfTheFile) {
  Put(ini_,
      "; written by the installer\r\n"
      "\r\n"
      "[Window]\r\n"
      "; where it was\r\n"
      "left=10\r\n"
      "empty=\r\n"
      "[Param Info]\r\n"
      "comid=5\r\n"
      "; the operator's note\r\n"
      "lang=0\r\n"
      "extra=keep me\r\n"
      "comid=6\r\n"
      "[Tail]\r\n"
      "x=1\r\n"
      "; last words\r\n");
  ASSERT_TRUE(WriteSettingsFile(ini_, 7, UiLanguage::English, 0));
  const std::string text = Contents(ini_);
  for (const char* kept :
       {"; written by the installer", "[Window]", "; where it was", "left=10",
        "empty=", "; the operator's note", "extra=keep me", "[Tail]", "x=1", "; last words"}) {
    EXPECT_EQ(Count(text, kept), 1u) << kept << " in\n" << text;
  }
  EXPECT_EQ(Count(text, "comid="), 1u) << text;
  EXPECT_EQ(ReadSettingsFile(ini_), (SettingsValues{7, UiLanguage::English}));
  // A second save changes nothing else.
  ASSERT_TRUE(WriteSettingsFile(ini_, 7, UiLanguage::English, 0));
  EXPECT_EQ(Contents(ini_), text);
}

TEST_F(SettingsFileTest, AZeroFilledFileIsReplacedByAGoodOne) {
  Put(ini_, std::string(4096, '\0'));  // what a power cut can leave
  ASSERT_TRUE(WriteSettingsFile(ini_, 9, UiLanguage::English, 0));
  EXPECT_EQ(ReadSettingsFile(ini_), (SettingsValues{9, UiLanguage::English}));
}

TEST_F(SettingsFileTest, AHugeFileIsNeitherReadNorRewritten) {
  std::string huge = "[Param Info]\ncomid=9\nlang=1\n[Data]\n";
  while (huge.size() <= kSettingsFileCap) huge += "row=0123456789012345678901234567890123456789\n";
  Put(ini_, huge);
  EXPECT_EQ(ReadSettingsFile(ini_), (SettingsValues{1, UiLanguage::Chinese}));
  EXPECT_FALSE(WriteSettingsFile(ini_, 3, UiLanguage::English, 0));
  EXPECT_EQ(Contents(ini_), huge);
}

TEST_F(SettingsFileTest, AReadOnlyFileIsNotWritten) {
  Put(ini_, "[Param Info]\ncomid=4\n");
  fs::permissions(ini_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(WriteSettingsFile(ini_, 3, UiLanguage::English, 0));
  EXPECT_EQ(Contents(ini_), "[Param Info]\ncomid=4\n");
  EXPECT_EQ(ReadSettingsFile(ini_).comid, 4);
}

TEST_F(SettingsFileTest, AMissingFolderTakesNoFile) {
  EXPECT_FALSE(WriteSettingsFile(home_.Path() / "gone" / "Set.ini", 3, UiLanguage::English, 0));
  EXPECT_FALSE(fs::exists(home_.Path() / "gone"));
}

TEST_F(SettingsFileTest, ALinkedFileIsRewrittenThroughTheLink) {
  Put(home_.Path() / "real.ini", "[Other]\na=1\n");
  fs::create_symlink("real.ini", ini_);
  ASSERT_TRUE(WriteSettingsFile(ini_, 2, UiLanguage::English, 0));
  EXPECT_TRUE(fs::is_symlink(ini_));
  EXPECT_EQ(ReadSettingsFile(home_.Path() / "real.ini"), (SettingsValues{2, UiLanguage::English}));
}

// A write that fails half-way (the disk fills up) leaves the old file whole.
TEST_F(SettingsFileTest, AFailedWriteLeavesTheOldFileWhole) {
  const std::string old = "[Param Info]\ncomid=4\n[Notes]\nline=" + std::string(200, 'n') + "\n";
  Put(ini_, old);
  std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG instead
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteSettingsFile(ini_, 3, UiLanguage::English, 0);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
  EXPECT_FALSE(written);
  EXPECT_EQ(Contents(ini_), old);
  EXPECT_EQ(FilesIn(home_.Path()), 1u);
}

}  // namespace
}  // namespace benchbridge
