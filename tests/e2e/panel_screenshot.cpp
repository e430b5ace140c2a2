// benchbridge-screenshot: builds the real front panel in a given home folder, optionally picks a
// port and connects as an operator would (through the port list and the connect key), lets it
// run, and saves a picture of the window. Used by scripts/demo for the README picture; the panel
// itself takes no options.
//
//   benchbridge-screenshot --home DIR --out FILE.png [--port COM9] [--seconds 5]

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "port_combo_box.h"
#include "process_setup.h"
#include "uFrmMain.h"

namespace {

struct Options {
  std::filesystem::path home;
  QString out;
  QString port;
  int seconds = 5;
};

bool ParseOptions(const QStringList& args, Options& options) {
  for (int i = 1; i + 1 < args.size(); i += 2) {
    const QString& key = args[i];
    const QString& value = args[i + 1];
    if (key == QLatin1String("--home")) {
      options.home = value.toStdString();
    } else if (key == QLatin1String("--out")) {
      options.out = value;
    } else if (key == QLatin1String("--port")) {
      options.port = value;
    } else if (key == QLatin1String("--seconds")) {
      options.seconds = value.toInt();
    } else {
      return false;
    }
  }
  return !options.home.empty() && !options.out.isEmpty();
}

void RunFor(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Options options;
  if (!ParseOptions(QCoreApplication::arguments(), options)) {
    std::fprintf(stderr,
                 "usage: benchbridge-screenshot --home DIR --out FILE.png [--port COMn] "
                 "[--seconds N]\n");
    return 2;
  }
  benchbridge::ApplicationFontFile font(options.home / "vista.ttf");
  benchbridge::FixRegionalFormats();
  benchbridge::TFrmMain panel(options.home);
  panel.show();
  RunFor(200);

  if (!options.port.isEmpty()) {
    const int index = panel.c1->findText(options.port);
    if (index < 0) {
      std::fprintf(stderr, "port %s is not in the port list\n", qPrintable(options.port));
      return 1;
    }
    // As the operator: pick the port (saved to Set.ini), then press the connect key.
    panel.c1->setCurrentIndex(index);
    emit panel.c1->activated(index);
    panel.rbtn1->click();
  }
  RunFor(options.seconds * 1000);

  if (!panel.grab().save(options.out)) {
    std::fprintf(stderr, "could not save %s\n", qPrintable(options.out));
    return 1;
  }
  std::printf("%s\n", qPrintable(options.out));
  panel.close();
  return 0;
}
