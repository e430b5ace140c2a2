// benchbridge-screenshot: builds the real front panel in a given home folder, optionally picks a
// port and connects as an operator would (through the port list and the connect key), lets it
// run, and saves a picture of the window, or of one of its dialogs opened through its own key.
// Used by scripts/demo for the README picture and for the pictures in docs/.
//
//   benchbridge-screenshot --home DIR --out FILE.png [--port COM9] [--seconds 5]
//                          [--send COMMAND]... [--dialog comparator|list|setup]
//                          [--trend SPAN [--csv FILE]]
//                          [--listen [ADDRESS:]PORT]
//                          [--sweep POINTS [--reference FILE.csv] [--export FILE.csv]]
//
// --listen turns the panel's network bridge on as the program's own option does; once connected
// the tool prints where it listens (bb5's tooltip), so scripts can talk to the meter meanwhile.
// --send commands go to the meter through the panel's own link once connected (to set up what a
// dialog will show); --dialog pictures that dialog instead of the panel. --trend opens the trend
// window (as Ctrl+T does) right after connecting, with the --send commands sent and the
// comparator switched on in cb6 as the operator does, and pictures that window instead, over
// the span named ("1 min", "10 min", "1 h", "All"; "on" keeps the window's own); --csv also
// exports what it shows there.
// --sweep opens the sweep window (as Ctrl+Shift+S does) once connected, runs a logarithmic
// frequency sweep of POINTS points from 100 Hz to 100 kHz with |Z| and θ plotted, beside a
// reference loaded from --reference, exports it to --export, and pictures that window.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "fit_label.h"
#include "port_combo_box.h"
#include "process_setup.h"
#include "screen_scaling.h"
#include "sweep_window.h"
#include "trend_window.h"
#include "uFrmMain.h"

namespace {

struct Options {
  std::filesystem::path home;
  QString out;
  QString port;
  int seconds = 5;
  QStringList sends;
  QString dialog;
  QString trend;
  QString csv;
  QString listen;
  int sweep = 0;
  QString reference;
  QString exportCsv;
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
    } else if (key == QLatin1String("--send")) {
      options.sends << value;
    } else if (key == QLatin1String("--dialog")) {
      options.dialog = value;
    } else if (key == QLatin1String("--trend")) {
      options.trend = value;
    } else if (key == QLatin1String("--csv")) {
      options.csv = value;
    } else if (key == QLatin1String("--listen")) {
      options.listen = value;
    } else if (key == QLatin1String("--sweep")) {
      options.sweep = value.toInt();
    } else if (key == QLatin1String("--reference")) {
      options.reference = value;
    } else if (key == QLatin1String("--export")) {
      options.exportCsv = value;
    } else {
      return false;
    }
  }
  return !options.home.empty() && !options.out.isEmpty() &&
         (options.dialog.isEmpty() || options.dialog == QLatin1String("comparator") ||
          options.dialog == QLatin1String("list") || options.dialog == QLatin1String("setup"));
}

void RunFor(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Save(QWidget& widget, const QString& out) {
  if (!widget.grab().save(out)) {
    std::fprintf(stderr, "could not save %s\n", qPrintable(out));
    return false;
  }
  std::printf("%s\n", qPrintable(out));
  return true;
}

// Opens the dialog as the operator does (its key, or "ON" in the list switch), lets it read the
// meter and refresh, pictures it (unless out is empty) and closes it again. The key runs the dialog
// modally, so the picture is taken from inside that modal loop.
bool PictureDialog(benchbridge::TFrmMain& panel, const QString& which, const QString& out) {
  bool saved = false;
  QTimer watch;
  QElapsedTimer shown;
  watch.setInterval(50);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    if (!shown.isValid()) shown.start();
    if (shown.elapsed() < 2500) return;  // the read-back and a refresh pass or two
    watch.stop();
    saved = out.isEmpty() || Save(*dialog, out);
    dialog->accept();
  });
  watch.start();
  if (which == QLatin1String("comparator")) {
    panel.rbtn9->click();
  } else if (which == QLatin1String("setup")) {
    panel.rbtn8->click();
  } else {
    const int on = panel.cb9->count() - 1;
    panel.cb9->setCurrentIndex(on);
    emit panel.cb9->activated(on);
  }
  return saved;
}

// Runs the sweep as the operator would from its window and pictures the window.
bool PictureSweep(benchbridge::TFrmMain& panel, const Options& options) {
  panel.sweepAction->trigger();
  benchbridge::SweepWindow* window = panel.Sweep();
  if (window == nullptr) return false;
  window->resize(1100, 700);
  window->findChild<QSpinBox*>("startBox")->setValue(100);
  window->findChild<QSpinBox*>("stopBox")->setValue(100000);
  window->findChild<QSpinBox*>("pointsBox")->setValue(options.sweep);
  window->ChoosePlots(1, 2);  // |Z| and θ
  if (!options.reference.isEmpty()) window->LoadReference(options.reference.toStdString());
  QSignalSpy ended(window, &benchbridge::SweepWindow::SweepEnded);
  window->findChild<QPushButton*>("startButton")->click();
  QElapsedTimer waited;
  waited.start();
  while (ended.count() == 0 && waited.elapsed() < 300000) RunFor(100);
  if (!options.exportCsv.isEmpty()) window->ExportCsv(options.exportCsv.toStdString());
  RunFor(300);
  return ended.count() == 1 && Save(*window, options.out);
}

}  // namespace

int main(int argc, char** argv) {
  benchbridge::PinScreenScaling();  // as the program itself
  QApplication app(argc, argv);
  Options options;
  if (!ParseOptions(QCoreApplication::arguments(), options)) {
    std::fprintf(stderr,
                 "usage: benchbridge-screenshot --home DIR --out FILE.png [--port COMn] "
                 "[--seconds N] [--send COMMAND]... [--dialog comparator|list|setup] "
                 "[--trend SPAN [--csv FILE]] [--listen [ADDRESS:]PORT] [--sweep POINTS "
                 "[--reference FILE.csv] [--export FILE.csv]]\n");
    return 2;
  }
  benchbridge::ApplicationFontFile font(options.home / "vista.ttf");
  benchbridge::FixRegionalFormats();
  benchbridge::TFrmMain panel(options.home);
  if (!options.listen.isEmpty()) {
    if (const std::string error = panel.SetBridgeListen(options.listen.toStdString());
        !error.empty()) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 2;
    }
  }
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
    if (const QString bridge = panel.bb5->toolTip(); !bridge.isEmpty()) {
      std::printf("%s\n", qPrintable(bridge));
      std::fflush(stdout);
    }
  }
  if (options.sweep > 0) {
    const bool saved = PictureSweep(panel, options);
    panel.close();
    return saved ? 0 : 1;
  }
  if (!options.trend.isEmpty()) {
    for (const QString& command : options.sends) panel.Context().Send(command.toStdString());
    const int on = panel.cb6->count() - 1;
    panel.cb6->setCurrentIndex(on);
    emit panel.cb6->activated(on);
    // As an operator would: a look at the comparator dialog, so the trend knows its limits.
    PictureDialog(panel, QStringLiteral("comparator"), QString());
    panel.trendAction->trigger();
    for (QPushButton* span : panel.Trend()->findChildren<QPushButton*>()) {
      if (span->isCheckable() && span->text() == options.trend) span->click();
    }
    RunFor(options.seconds * 1000);
    const bool saved =
        panel.Trend() != nullptr && Save(*panel.Trend(), options.out) &&
        (options.csv.isEmpty() || panel.Trend()->ExportCsv(options.csv.toStdString()));
    panel.close();
    return saved ? 0 : 1;
  }
  RunFor(options.seconds * 1000);
  for (const QString& command : options.sends) panel.Context().Send(command.toStdString());

  const bool saved = options.dialog.isEmpty() ? Save(panel, options.out)
                                              : PictureDialog(panel, options.dialog, options.out);
  panel.close();
  return saved ? 0 : 1;
}
