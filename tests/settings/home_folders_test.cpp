// Where the program keeps its files, and the one-panel-per-home lock, on real folders.
#include "home_folders.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "home_lock.h"
#include "temp_home.h"

namespace benchbridge {
namespace {

namespace fs = std::filesystem;
using testing::TempHome;

EnvironmentLookup Environment(std::map<std::string, std::string> values) {
  return [values](const char* name) -> std::optional<std::string> {
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
  };
}

TEST(HomeFoldersTest, PortableBesideAWritableProgramElseTheXdgFoldersElseHome) {
  const TempHome program;
  const auto env = Environment({{"HOME", "/home/ann"}});
  const HomeFolders portable = ChooseHomeFolders(program, std::nullopt, env);
  EXPECT_EQ(portable.mode, HomeFolders::Mode::Portable);
  EXPECT_EQ(portable.SettingsFile(), program.Path() / "Set.ini");
  EXPECT_EQ(portable.LogDir(), program.Path() / "log");
  EXPECT_EQ(portable.PortsDir(), program.Path() / "ports");

  // An installed program's folder is not the user's to write.
  const fs::path installed = "/nonexistent/usr/bin";
  const HomeFolders xdg = ChooseHomeFolders(installed, std::nullopt, env);
  EXPECT_EQ(xdg.mode, HomeFolders::Mode::Installed);
  EXPECT_EQ(xdg.SettingsFile(), "/home/ann/.config/benchbridge/Set.ini");
  EXPECT_EQ(xdg.PortsDir(), "/home/ann/.config/benchbridge/ports");
  EXPECT_EQ(xdg.LogDir(), "/home/ann/.local/share/benchbridge/log");
  EXPECT_EQ(xdg.LockFile().parent_path(), xdg.config);
  // The variables count when absolute; a relative one is ignored, as the XDG rules say.
  const HomeFolders chosenXdg = ChooseHomeFolders(
      installed, std::nullopt,
      Environment({{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "rel"}}));
  EXPECT_EQ(chosenXdg.config, "/cfg/benchbridge");
  EXPECT_EQ(chosenXdg.LogDir(), "/home/ann/.local/share/benchbridge/log");

  const HomeFolders home = ChooseHomeFolders(installed, fs::path("/bench/meter2"), env);
  EXPECT_EQ(home.SettingsFile(), "/bench/meter2/Set.ini");
  EXPECT_EQ(home.LogDir(), "/bench/meter2/log");

  // Made on first use, parents included; log/ waits for its first line.
  const TempHome user;
  const HomeFolders made =
      ChooseHomeFolders(installed, std::nullopt, Environment({{"HOME", user.Path().string()}}));
  EXPECT_FALSE(CreateHomeFolders(made));
  EXPECT_TRUE(fs::is_directory(made.config));
  EXPECT_TRUE(fs::is_directory(made.data));
  EXPECT_FALSE(fs::exists(made.LogDir()));
}

TEST(HomeLockTest, OneHolderAtATimeAndAStaleLockIsTakenOver) {
  const TempHome home;
  const fs::path file = home.Path() / "benchbridge.lock";
  // What a crashed run leaves: its pid, and no lock held on the file any more.
  std::ofstream(file) << "4194000\n";
  {
    const HomeLock first(file);
    ASSERT_EQ(first.GetState(), HomeLock::State::Held);
    std::ifstream written(file);
    std::string pid;
    written >> pid;
    EXPECT_EQ(pid, std::to_string(getpid()));

    const HomeLock second(file);
    EXPECT_EQ(second.GetState(), HomeLock::State::Taken);
    EXPECT_EQ(second.Holder(), getpid());
  }
  EXPECT_EQ(HomeLock(file).GetState(), HomeLock::State::Held) << "let go with its holder";
  EXPECT_EQ(HomeLock(home.Path() / "missing" / "lock").GetState(), HomeLock::State::Unavailable);
}

}  // namespace
}  // namespace benchbridge
