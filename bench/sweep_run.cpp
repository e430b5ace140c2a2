// A 51-point logarithmic frequency sweep (100 Hz to 100 kHz) on the simulated LX3110 at FAST,
// paced at 9600 baud, driven from the sweep window of the connected panel:
// - time per point against its floor: the wire time of the point's exchanges (the setting and
//   its reply, the reading thrown away and the one kept, 10 bits a byte at 9600 baud) plus the
//   simulator's measurement after a change (none: it measures the moment it is asked);
// - the panel's event loop while sweeping: a 10 ms timer's lateness, p99.
//
//   build/release/bench/sweep_run [--points 51]
//
// The pty delivers the panel's command at once (only the replies are paced), so the point's
// time on the wire is taken from the meter's transcript: from one point's setting arriving to
// the next one's. The meter runs in a child process forked before any thread exists.

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_meter_child.h"
#include "bench_row.h"
#include "fit_label.h"
#include "port_combo_box.h"
#include "process_setup.h"
#include "sweep_window.h"
#include "temp_home.h"
#include "uFrmMain.h"

namespace {

using namespace benchbridge;
using namespace benchbridge::bench;
using SteadyClock = std::chrono::steady_clock;

constexpr int kMeterCom = 9;
constexpr double kByteSeconds = 10.0 / 9600.0;
constexpr int kTimerMs = 10;

void RunEvents(std::chrono::milliseconds span) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(span.count()), Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Connect(TFrmMain& panel) {
  const int index = panel.c1->findText(QStringLiteral("COM%1").arg(kMeterCom));
  if (index < 0) return false;
  panel.c1->setCurrentIndex(index);
  emit panel.c1->activated(index);
  panel.rbtn1->click();
  return panel.bb5->text() == "REMOTE";
}

void Pick(QComboBox* list, const QString& text) {
  const int index = list->findText(text);
  list->setCurrentIndex(index);
  emit list->activated(index);
}

}  // namespace

int main(int argc, char** argv) {
  int points = 51;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--points") == 0) points = std::max(2, std::atoi(argv[i + 1]));
  }
  testing::TempHome home;
  MeterChild meter;
  if (!meter.Start(home.Path(), kMeterCom, "LX3110", "capacitor:C=470u,ESR=30m,ESL=15n")) {
    (void)std::fprintf(stderr, "the simulated meter did not start\n");
    return 1;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  FixRegionalFormats();
  auto panel = std::make_unique<TFrmMain>(home.Path());
  panel->show();
  if (!QTest::qWaitForWindowExposed(panel.get()) || !Connect(*panel)) {
    (void)std::fprintf(stderr, "the panel did not connect to COM%d\n", kMeterCom);
    return 1;
  }
  Pick(panel->cb8, "FAST");
  RunEvents(std::chrono::milliseconds(1000));
  panel->OpenSweepWindow();
  SweepWindow* window = panel->Sweep();
  window->findChild<QSpinBox*>("startBox")->setValue(100);
  window->findChild<QSpinBox*>("stopBox")->setValue(100000);
  window->findChild<QSpinBox*>("pointsBox")->setValue(points);
  window->findChild<QSpinBox*>("averagingBox")->setValue(1);
  RunEvents(std::chrono::milliseconds(500));

  // The event loop's delay: how late a 10 ms timer fires while the sweep runs.
  std::vector<double> lateness;
  auto last = SteadyClock::now();
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const auto now = SteadyClock::now();
    lateness.push_back(std::chrono::duration<double, std::milli>(now - last).count() - kTimerMs);
    last = now;
  });
  QSignalSpy ended(window, &SweepWindow::SweepEnded);
  const auto begin = SteadyClock::now();
  window->findChild<QPushButton*>("startButton")->click();
  last = SteadyClock::now();
  probe.start(kTimerMs);
  while (ended.count() == 0 && SteadyClock::now() - begin < std::chrono::minutes(5)) {
    RunEvents(std::chrono::milliseconds(50));
  }
  probe.stop();
  const double sweepSeconds = std::chrono::duration<double>(SteadyClock::now() - begin).count();
  const std::size_t taken = window->Current().points.size();
  panel->close();
  panel.reset();
  std::vector<WireEvent> wire;
  if (!meter.Stop(wire)) {
    (void)std::fprintf(stderr, "the simulated meter failed\n");
    return 1;
  }

  // The points on the wire: each starts with its setting; the floor is its bytes' wire time.
  struct Point {
    std::int64_t start = 0;
    double floorSeconds = 0;
    double replySeconds = 0;  // the replies' share of it: what a pty does pace
  };
  std::vector<Point> sweep;
  bool inSweep = false;
  for (const WireEvent& event : wire) {
    const bool setting = event.command && event.bytes.rfind("FREQuency:CW ", 0) == 0;
    if (setting) {
      inSweep = true;
      sweep.push_back({event.nanoseconds, 0, 0});
    } else if (event.command && event.bytes != "FETCH:INT?") {
      inSweep = false;  // the readback after the restore
    }
    // The bytes as sent: the command and its line feed, the reply and its CR LF.
    if (!inSweep) continue;
    const double seconds =
        static_cast<double>(event.bytes.size() + (event.command ? 1 : 2)) * kByteSeconds;
    sweep.back().floorSeconds += seconds;
    if (!event.command) sweep.back().replySeconds += seconds;
  }
  std::vector<double> ratios, replyRatios, perPoint;
  // The last setting is the restore; a point's time runs to the next point's setting.
  for (std::size_t i = 0; i + 2 < sweep.size(); ++i) {
    const double seconds = (sweep[i + 1].start - sweep[i].start) / 1e9;
    perPoint.push_back(seconds * 1000);
    ratios.push_back(seconds / sweep[i].floorSeconds);
    replyRatios.push_back(seconds / sweep[i].replySeconds);
  }
  std::printf("sweep of %zu points in %.2f s; per point: median %.1f ms, max %.1f ms\n", taken,
              sweepSeconds, Median(perPoint), Max(perPoint));
  std::printf("time per point over its floor: median %.3f, p90 %.3f, max %.3f (%zu points)\n",
              Median(ratios), Percentile(ratios, 0.9), Max(ratios), ratios.size());
  std::printf(
      "time per point over the replies' wire time alone (the commands cross the pty at once): "
      "median %.3f, p90 %.3f, max %.3f\n",
      Median(replyRatios), Percentile(replyRatios, 0.9), Max(replyRatios));
  std::printf(
      "event loop lateness while sweeping (10 ms timer, %zu samples): median %.2f ms, "
      "p99 %.2f ms, max %.2f ms\n",
      lateness.size(), Median(lateness), Percentile(lateness, 0.99), Max(lateness));
  PrintRow("sweep: time per point / floor, median", Format("%.3f", Median(ratios)), "<= 1.05",
           Median(ratios) <= 1.05);
  PrintRow("sweep: time per point / replies' wire time, median",
           Format("%.3f", Median(replyRatios)));
  PrintRow("sweep: event-loop delay while sweeping, p99",
           Format("%.1f ms", Percentile(lateness, 0.99)), "< 50 ms",
           Percentile(lateness, 0.99) < 50.0);
  return taken == static_cast<std::size_t>(points) ? 0 : 1;
}
