#include "app_options.h"

#include <QCommandLineParser>
#include <QDir>

#include "client_command.h"
#include "listen_address.h"
#include "port_list.h"
#include "qt_text.h"

namespace benchbridge {

namespace {

// Options QApplication reads itself; a desktop session may restart the program with -session.
constexpr const char* kQtValueOptions[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "style",           "stylesheet",         "display"};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount"};

}  // namespace

AppOptions ParseAppOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  // "-platform" is one option, as Qt reads it, not the letters p, l, a ...
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringLiteral("version"));
  const QCommandLineOption home(QStringLiteral("home"), QString(), QStringLiteral("DIR"));
  const QCommandLineOption listen(QStringLiteral("listen"), QString(), QStringLiteral("PORT"));
  const QCommandLineOption replies(QStringLiteral("replies"), QString(), QStringLiteral("HOW"));
  const QCommandLineOption connect(QStringLiteral("connect"), QString(), QStringLiteral("COM"));
  parser.addOptions({help, version, home, listen, replies, connect});
  for (const char* name : kQtValueOptions) {
    parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("V")));
  }
  for (const char* name : kQtFlags) {
    parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
  }

  AppOptions options;
  if (!parser.parse(arguments)) {
    options.error = ToStd(parser.errorText());
    return options;
  }
  if (!parser.positionalArguments().isEmpty()) {
    options.error = "Unexpected argument '" + ToStd(parser.positionalArguments().first()) + "'.";
    return options;
  }
  options.help = parser.isSet(help);
  options.version = parser.isSet(version);
  for (const QCommandLineOption* once : {&home, &listen, &replies, &connect}) {
    if (parser.values(*once).size() > 1) {
      options.error = "--" + ToStd(once->names().first()) + " is given more than once.";
      return options;
    }
  }
  if (parser.isSet(home)) {
    const QString dir = parser.value(home);
    if (dir.isEmpty()) {
      options.error = "--home needs a folder.";
      return options;
    }
    options.home = ToStd(QDir::cleanPath(QDir::current().absoluteFilePath(dir)));
  }
  // The values are checked here too, so that a wrong one is told without a display.
  if (parser.isSet(listen)) {
    options.listen = ToStd(parser.value(listen));
    if (!options.listen->empty()) {
      const ListenAddressParse parse = ParseListenAddress(*options.listen);
      if (!parse.address) {
        options.error = "--listen: " + parse.error;
        return options;
      }
    }
  }
  if (parser.isSet(replies)) {
    options.replies = ToStd(parser.value(replies));
    if (const std::string problem = ReplyModeProblem(*options.replies); !problem.empty()) {
      options.error = "--replies: " + problem;
      return options;
    }
  }
  if (parser.isSet(connect)) {
    const std::string port = ToStd(parser.value(connect).trimmed().toUpper());
    const auto number = PortNumberOfName(port);
    if (port.rfind("COM", 0) != 0 || !number || *number < 1) {
      options.error =
          "--connect wants a port such as COM9, not '" + ToStd(parser.value(connect)) + "'.";
      return options;
    }
    options.connectPort = "COM" + std::to_string(*number);
  }
  return options;
}

std::string HelpText(const HomeFolders& folders) {
  std::string text =
      "Usage: benchbridge [--home DIR] [--connect COM<n>] [--listen [ADDRESS:]PORT]\n"
      "                   [--replies instrument|all]\n"
      "The front panel of the bench LCR meter on a serial port.\n"
      "\n"
      "Options:\n"
      "  --home DIR        Keep Set.ini, ports/ and log/ in DIR (made when missing). One panel\n"
      "                    runs per home: a second meter needs a home of its own.\n"
      "  --connect COM<n>  Choose COM<n> and connect at start, as the connect key does.\n"
      "  --listen [ADDRESS:]PORT\n"
      "                    While connected to the meter, let scripts drive it through SCPI on a\n"
      "                    raw TCP socket, one line per command (PyVISA:\n"
      "                    TCPIP::127.0.0.1::PORT::SOCKET). ADDRESS defaults to 127.0.0.1; any\n"
      "                    other address (a LAN address, 0.0.0.0, [::]:PORT) lets everyone on\n"
      "                    that network drive the meter. Off by default; replaces Listen in\n"
      "                    section [Bridge] of Set.ini. The tooltip of the LOCAL/REMOTE status\n"
      "                    shows where the bridge listens and how many clients it has;\n"
      "                    log/<date>_bridge.log records every client exchange.\n"
      "  --replies instrument|all\n"
      "                    How the bridge answers scripts: \"instrument\" (the default) as a LAN\n"
      "                    instrument's SCPI socket (a query gets its reply, a command none,\n"
      "                    errors wait for SYSTem:ERRor?), \"all\" every meter line back, \"OK\"\n"
      "                    and error words included. Replaces Replies in section [Bridge] of\n"
      "                    Set.ini.\n"
      "  --version         Print the version.\n"
      "  -h, --help        Print this text.\n"
      "\n"
      "Where the files live:\n"
      "  Portable (the program's folder is writable, as a build tree or an unpacked copy):\n"
      "    Set.ini, ports/ and log/ beside the program.\n"
      "  Installed (otherwise): Set.ini and ports/ in $XDG_CONFIG_HOME/benchbridge\n"
      "    (~/.config/benchbridge), log/ in $XDG_DATA_HOME/benchbridge\n"
      "    (~/.local/share/benchbridge).\n"
      "  --home DIR: all of them in DIR.\n"
      "  ports/com<n> may link a device or pseudo-terminal as COM<n> (benchbridge-sim does).\n"
      "  This run: Set.ini in ";
  text += folders.config.string() + ", log/ in " + folders.data.string() + "\n";
  text +=
      "\n"
      "Environment:\n"
      "  BENCHBRIDGE_SCALE=<factor>  Draw the panel that many times larger (1.5, 2). The\n"
      "                    desktop's own scale settings (Xft.dpi, QT_SCALE_FACTOR ...) are not\n"
      "                    applied: the panel keeps its designed 979 x 359 pixels.\n"
      "  XDG_CONFIG_HOME, XDG_DATA_HOME  The installed mode's folders.\n"
      "\n"
      "Exit status: 0 closed normally, 1 the home is in use by another panel, 2 a wrong option.\n";
  return text;
}

}  // namespace benchbridge
