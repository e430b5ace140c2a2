// benchbridge: the desktop front panel of the bench LCR meter. Where it keeps Set.ini, ports/
// and log/ is decided once here (portable, installed or --home); vista.ttf is taken from the
// program's own folder.

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app_options.h"
#include "home_lock.h"
#include "process_setup.h"
#include "qt_text.h"
#include "screen_scaling.h"
#include "termination_signals.h"
#include "uFrmMain.h"

namespace {

namespace fs = std::filesystem;
using benchbridge::HomeFolders;

QStringList Arguments(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

fs::path ExecutableDir(const char* argv0) {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) self = fs::absolute(argv0, error);
  return self.parent_path();
}

// A logout, shutdown or kill: every open dialog and message box is let go, then the panel
// closes as its Close key does (the meter back to local, the poller stopped).
void CloseForSignal(QWidget* panel) {
  for (int i = 0; i < 16; ++i) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) break;
    modal->close();
    if (QApplication::activeModalWidget() == modal) modal->hide();
  }
  if (panel != nullptr) {
    QMetaObject::invokeMethod(panel, &QWidget::close, Qt::QueuedConnection);
  } else {
    QCoreApplication::quit();
  }
}

std::string HomeTakenText(const HomeFolders& folders, pid_t holder) {
  std::string text = "Another benchbridge";
  if (holder > 0) text += " (process " + std::to_string(holder) + ")";
  text += " is already running on the folder " + folders.config.string() +
          ".\nOne panel runs per folder, so two panels never write into the same logs. For a "
          "second meter, start benchbridge with a folder of its own: benchbridge --home DIR.";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  benchbridge::PinScreenScaling();
  // Answered before the window system is touched, so it works without a display.
  const benchbridge::AppOptions options = benchbridge::ParseAppOptions(Arguments(argc, argv));
  if (!options.error.empty()) {
    (void)std::fprintf(stderr, "benchbridge: %s\nTry 'benchbridge --help' for the options.\n",
                       options.error.c_str());
    return 2;
  }
  const fs::path programDir = ExecutableDir(argv[0]);
  const HomeFolders folders = benchbridge::ChooseHomeFolders(programDir, options.home);
  if (options.help) {
    (void)std::fputs(benchbridge::HelpText(folders).c_str(), stdout);
    return 0;
  }
  if (options.version) {
    (void)std::printf("benchbridge %s\n", BENCHBRIDGE_VERSION);
    return 0;
  }

  // Before the application exists: a signal during start-up waits in the pipe for the loop.
  benchbridge::TerminationSignals terminationSignals;
  QApplication app(argc, argv);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/benchbridge/benchbridge-256.png")));
  QWidget* panelToClose = nullptr;
  QSocketNotifier signalNotifier(terminationSignals.ReadFd(), QSocketNotifier::Read);
  QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
    if (terminationSignals.Take() != 0) CloseForSignal(panelToClose);
  });

  (void)benchbridge::CreateHomeFolders(folders);  // what cannot be made is told when it is used
  const benchbridge::HomeLock lock(folders.LockFile());
  if (lock.GetState() == benchbridge::HomeLock::State::Taken) {
    const std::string text = HomeTakenText(folders, lock.Holder());
    (void)std::fprintf(stderr, "benchbridge: %s\n", text.c_str());
    QMessageBox box(QMessageBox::Warning, QStringLiteral("benchbridge"), benchbridge::ToQt(text),
                    QMessageBox::Ok);
    box.exec();
    return 1;
  }

  benchbridge::ApplicationFontFile font(programDir / "vista.ttf");
  benchbridge::FixRegionalFormats();
  benchbridge::TFrmMain frmMain(folders);
  panelToClose = &frmMain;
  if (options.listen) {
    const std::string error = frmMain.SetBridgeListen(*options.listen);
    if (!error.empty()) {
      (void)std::fprintf(stderr, "benchbridge: %s\n", error.c_str());
      return 2;
    }
  }
  if (options.replies) {
    const std::string error = frmMain.SetBridgeReplies(*options.replies);
    if (!error.empty()) {
      (void)std::fprintf(stderr, "benchbridge: %s\n", error.c_str());
      return 2;
    }
  }
  frmMain.show();
  if (options.connectPort) {
    QTimer::singleShot(0, &frmMain, [&] { frmMain.ConnectAtStart(*options.connectPort); });
  }
  return QApplication::exec();
}
