#pragma once
// The command line of benchbridge, read before the window system is touched, so that --help,
// --version and a wrong option are answered with or without a display.

#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>

#include "home_folders.h"

namespace benchbridge {

struct AppOptions {
  bool help = false;
  bool version = false;
  std::optional<std::filesystem::path> home;  // --home, absolute
  std::optional<std::string> listen;          // --listen
  std::optional<std::string> replies;         // --replies
  std::optional<std::string> connectPort;     // --connect, "COM<n>" in capitals
  std::string error;                          // what is wrong with the command line, if anything
};

// arguments: the whole command line, program name first. Qt's own options (-platform, -style,
// -session ...) are let through for QApplication.
AppOptions ParseAppOptions(const QStringList& arguments);

// What --help prints; folders: where this run would keep its files.
std::string HelpText(const HomeFolders& folders);

}  // namespace benchbridge
