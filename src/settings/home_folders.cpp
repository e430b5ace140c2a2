#include "home_folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace benchbridge {

namespace fs = std::filesystem;

namespace {

// The user's home: $HOME, else the password database's entry.
fs::path UserHome(const EnvironmentLookup& environment) {
  if (const auto home = environment("HOME"); home && !home->empty()) return *home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "/";
}

// An XDG base folder: the variable when it holds an absolute path (relative ones are to be
// ignored), else the default under the user's home.
fs::path XdgBase(const EnvironmentLookup& environment, const char* variable,
                 const fs::path& fallbackUnderHome) {
  if (const auto value = environment(variable); value && fs::path(*value).is_absolute()) {
    return *value;
  }
  return UserHome(environment) / fallbackUnderHome;
}

}  // namespace

HomeFolders HomeFolders::In(const fs::path& dir, Mode mode) { return {dir, dir, mode}; }

EnvironmentLookup ProcessEnvironment() {
  return [](const char* name) -> std::optional<std::string> {
    // Read once at start-up on the GUI thread, before any other thread exists.
    const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

HomeFolders ChooseHomeFolders(const fs::path& executableDir,
                              const std::optional<fs::path>& chosenHome,
                              const EnvironmentLookup& environment) {
  if (chosenHome) return HomeFolders::In(*chosenHome, HomeFolders::Mode::Chosen);
  if (FolderWritable(executableDir)) {
    return HomeFolders::In(executableDir, HomeFolders::Mode::Portable);
  }
  return {XdgBase(environment, "XDG_CONFIG_HOME", ".config") / "benchbridge",
          XdgBase(environment, "XDG_DATA_HOME", fs::path(".local") / "share") / "benchbridge",
          HomeFolders::Mode::Installed};
}

bool FolderWritable(const fs::path& dir) {
  std::error_code error;
  return fs::is_directory(dir, error) &&
         faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::error_code CreateHomeFolders(const HomeFolders& folders) {
  std::error_code error;
  for (const fs::path& dir : {folders.config, folders.data}) {
    fs::create_directories(dir, error);
    if (error) return error;
  }
  return {};
}

}  // namespace benchbridge
