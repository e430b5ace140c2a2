#pragma once
// Where the program keeps its files, decided once at start-up.
//   Portable (the executable's folder is writable): Set.ini, ports/, log/ and the lock beside it.
//   Installed (otherwise): the XDG base folders: Set.ini, ports/ and the lock in
//     $XDG_CONFIG_HOME/benchbridge (~/.config/benchbridge), log/ in $XDG_DATA_HOME/benchbridge
//     (~/.local/share/benchbridge).
//   --home DIR: all of it in DIR (a second meter, tests, the demo).

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>

namespace benchbridge {

struct HomeFolders {
  enum class Mode { Portable, Installed, Chosen };

  std::filesystem::path config;  // Set.ini, ports/ and the lock file
  std::filesystem::path data;    // log/
  Mode mode = Mode::Chosen;

  // Every file in one folder (the executable's, or the one --home names).
  static HomeFolders In(const std::filesystem::path& dir, Mode mode = Mode::Chosen);

  std::filesystem::path SettingsFile() const { return config / "Set.ini"; }
  std::filesystem::path PortsDir() const { return config / "ports"; }
  std::filesystem::path LogDir() const { return data / "log"; }
  std::filesystem::path LockFile() const { return config / "benchbridge.lock"; }
};

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
EnvironmentLookup ProcessEnvironment();

// The folders of this run. chosenHome: --home's folder, made absolute by the caller.
HomeFolders ChooseHomeFolders(const std::filesystem::path& executableDir,
                              const std::optional<std::filesystem::path>& chosenHome,
                              const EnvironmentLookup& environment = ProcessEnvironment());

// True when the user can create files in dir (it exists and is writable).
bool FolderWritable(const std::filesystem::path& dir);

// Creates config and data (with their parents) where missing; log/ itself is left to the first
// log line. The first failure is returned.
std::error_code CreateHomeFolders(const HomeFolders& folders);

}  // namespace benchbridge
