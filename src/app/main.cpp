// benchbridge: the desktop front panel of the bench LCR meter. The program's folder holds
// Set.ini, vista.ttf, log/ and ports/; the only option shares the connected meter with scripts.

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "process_setup.h"
#include "qt_text.h"
#include "screen_scaling.h"
#include "uFrmMain.h"

namespace {

struct CommandLine {
  QCommandLineParser parser;
  QCommandLineOption listen{
      QStringLiteral("listen"),
      QStringLiteral(
          "While connected to the meter, let scripts drive it through SCPI on a raw TCP socket "
          "at [ADDRESS:]PORT, one line per command (PyVISA: TCPIP::127.0.0.1::PORT::SOCKET). "
          "ADDRESS defaults to 127.0.0.1; any other address (a LAN address, 0.0.0.0, "
          "[::]:PORT) lets everyone on that network drive the meter. Off by default; replaces "
          "Listen in section [Bridge] of Set.ini. The tooltip of the LOCAL/REMOTE status shows "
          "where the bridge listens "
          "and how many clients it has; log/<date>_bridge.log records every client exchange."),
      QStringLiteral("[ADDRESS:]PORT")};
  QCommandLineOption replies{
      QStringLiteral("replies"),
      QStringLiteral(
          "How the bridge answers scripts: \"instrument\" (the default) as a LAN instrument's "
          "SCPI socket (a query gets its reply, a command none, errors wait for SYSTem:ERRor?), "
          "\"all\" every meter line back, \"OK\" and error words included. Replaces Replies "
          "in section [Bridge] of Set.ini."),
      QStringLiteral("instrument|all")};

  CommandLine() {
    parser.setApplicationDescription(QStringLiteral(
        "The front panel of the bench LCR meter on a serial port. Set.ini, log/ and ports/ live "
        "in the program's folder."));
    parser.addHelpOption();
    parser.addOption(listen);
    parser.addOption(replies);
  }
};

bool AsksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 ||
        std::strcmp(argv[i], "--help-all") == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  benchbridge::PinScreenScaling();
  if (AsksForHelp(argc, argv)) {
    // Answered before the window system is touched, so it works without a display.
    const QCoreApplication core(argc, argv);
    CommandLine commandLine;
    commandLine.parser.process(core);  // prints the help and ends the program
    return 0;
  }
  QApplication app(argc, argv);
  CommandLine commandLine;
  commandLine.parser.process(app);  // an unknown option ends the program with a message
  const std::filesystem::path home = benchbridge::ToStd(QCoreApplication::applicationDirPath());
  benchbridge::ApplicationFontFile font(home / "vista.ttf");
  benchbridge::FixRegionalFormats();
  benchbridge::TFrmMain frmMain(home);
  if (commandLine.parser.isSet(commandLine.listen)) {
    const std::string error =
        frmMain.SetBridgeListen(benchbridge::ToStd(commandLine.parser.value(commandLine.listen)));
    if (!error.empty()) {
      (void)std::fprintf(stderr, "benchbridge: %s\n", error.c_str());
      return 2;
    }
  }
  if (commandLine.parser.isSet(commandLine.replies)) {
    const std::string error =
        frmMain.SetBridgeReplies(benchbridge::ToStd(commandLine.parser.value(commandLine.replies)));
    if (!error.empty()) {
      (void)std::fprintf(stderr, "benchbridge: %s\n", error.c_str());
      return 2;
    }
  }
  frmMain.show();
  return QApplication::exec();
}
