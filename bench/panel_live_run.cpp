// The panel connected to the simulated meter for a minute, measured as the operator would feel
// it: CPU of the panel process, the delay from the meter's last reply byte to the new value in
// LLs2, the poll period, resident memory, start-up to the window shown, and the close. Then the
// operator picks a speed a number of times, half of them timed into a poll on the wire: the wait
// from the pick to the command on the wire, and each exchange against its wire time at 9600
// baud (10 bits a byte, command and reply).
//
//   build/release/bench/panel_live_run [--seconds 60] [--clicks 20] [--trend [all]]
//
// --trend opens the trend window (as Ctrl+T does) once connected, over a day of readings in the
// day's "_new" log, and measures the same with it open; "all" shows the whole day.
//
// The pty delivers the panel's command at once (only the meter's replies are paced), so an
// exchange's time is taken as the command's wire time plus what the panel measured from the
// pick (or, for a poll, from the command's arrival) to the reply in hand (the new reading shown).
//
// The meter runs in a child process (forked before any thread exists), so its CPU is not the
// panel's; both clocks are the same system clock, so the child's transcript times and the
// panel's display times compare directly.

#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_meter_child.h"
#include "bench_row.h"
#include "fit_label.h"
#include "meter_commands.h"
#include "port_combo_box.h"
#include "process_setup.h"
#include "simulated_meter.h"
#include "temp_home.h"
#include "trend_day_log.h"
#include "trend_window.h"
#include "uFrmMain.h"

namespace {

using namespace benchbridge;
using namespace benchbridge::bench;
using SystemClock = std::chrono::system_clock;
using SteadyClock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kMeterCom = 9;

long StatusKilobytes(const char* key) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key)));
  }
  return -1;
}

double Ms(SteadyClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void RunEvents(std::chrono::milliseconds span) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(span.count()), Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

// Processes events until the next reading reaches the display (or 3 s have passed).
void AwaitReading(TFrmMain& panel) {
  QEventLoop loop;
  const auto shown =
      QObject::connect(&panel, &TFrmMain::ReadingDisplayed, &loop, &QEventLoop::quit);
  QTimer::singleShot(3000, &loop, &QEventLoop::quit);
  loop.exec();
  QObject::disconnect(shown);
}

// Seconds on a 9600 baud line, 10 bits a byte.
double WireSeconds(std::size_t bytes) { return static_cast<double>(bytes) * 10.0 / 9600.0; }

struct Click {
  std::int64_t at = 0;    // the pick
  std::int64_t done = 0;  // the handler has its reply
};

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  int clickCount = 20;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--clicks") == 0) clickCount = std::atoi(argv[i + 1]);
  }
  bool trend = false, trendAll = false;
  for (int i = 1; i < argc; ++i) {
    trend = trend || std::strcmp(argv[i], "--trend") == 0;
    trendAll = trendAll || (std::strcmp(argv[i], "all") == 0 && trend);
  }
  testing::TempHome home;
  if (trend) {
    // The day so far, up to a minute ago.
    const auto now = SystemClock::now();
    fs::create_directories(home.Path() / "log");
    WriteDayLog(home.Path() / "log" / (FormatLogDate(now) + "_new.log"),
                now - std::chrono::minutes(1) - std::chrono::milliseconds(500LL * kTrendDay));
  }
  bench::MeterChild meter;
  if (!meter.Start(home.Path(), kMeterCom)) {
    (void)std::fprintf(stderr, "the simulated meter did not start\n");
    return 1;
  }

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const auto startBegin = SteadyClock::now();
  QApplication app(argc, argv);
  ApplicationFontFile font(home.Path() / "vista.ttf");
  FixRegionalFormats();
  auto panel = std::make_unique<TFrmMain>(home.Path());
  panel->show();
  if (!QTest::qWaitForWindowExposed(panel.get())) return 1;
  const double startupMs = Ms(SteadyClock::now() - startBegin);

  std::vector<std::pair<std::int64_t, QString>> shown;
  shown.reserve(static_cast<std::size_t>(seconds) * 3);
  QObject::connect(panel.get(), &TFrmMain::ReadingDisplayed,
                   [&] { shown.emplace_back(Nanos(SystemClock::now()), panel->LLs2->text()); });

  const int index = panel->c1->findText(QStringLiteral("COM%1").arg(kMeterCom));
  panel->c1->setCurrentIndex(index);
  emit panel->c1->activated(index);  // the operator's pick sets the port number
  panel->rbtn1->click();
  if (panel->bb5->text() != QLatin1String("REMOTE") || !panel->rbtn2->isEnabled()) {
    (void)std::fprintf(stderr, "the panel did not connect to COM%d\n", kMeterCom);
    return 1;
  }
  if (trend) {
    panel->trendAction->trigger();
    TrendWindow* window = panel->Trend();
    while (window->Loading()) RunEvents(std::chrono::milliseconds(50));
    if (trendAll) window->View().SetSpan(TrendSpan::kAll);
    (void)std::printf("trend window open, %zu readings in store\n", window->LiveReadings().Size());
  }
  RunEvents(std::chrono::milliseconds(1000));  // past the first polls

  const double cpuBegin = CpuSeconds();
  const auto runBegin = SteadyClock::now();
  RunEvents(std::chrono::seconds(seconds));
  const double wall = std::chrono::duration<double>(SteadyClock::now() - runBegin).count();
  const double cpu = CpuSeconds() - cpuBegin;
  const long rssKb = StatusKilobytes("VmRSS:");
  const long peakKb = StatusKilobytes("VmHWM:");

  // The operator's speed picks: even ones in the quiet between polls, odd ones 508 ms after a
  // reading was shown, when the next poll (due 501 ms after its cycle ended) is on the wire.
  const std::int64_t clicksBegin = Nanos(SystemClock::now());
  std::vector<Click> clicks;
  for (int i = 0; i < clickCount; ++i) {
    AwaitReading(*panel);
    RunEvents(std::chrono::milliseconds(i % 2 == 1 ? 508 : 250));
    Click click;
    click.at = Nanos(SystemClock::now());
    const int speed = panel->cb8->currentIndex();
    emit panel->cb8->activated(speed);  // the meter's own speed again
    click.done = Nanos(SystemClock::now());
    clicks.push_back(click);
  }

  const auto closeBegin = SteadyClock::now();
  panel->close();
  const double closeMs = Ms(SteadyClock::now() - closeBegin);
  panel.reset();

  std::vector<WireEvent> wire;
  const bool meterFine = meter.Stop(wire);

  // Each command is answered by the next reply; pair them up.
  std::vector<std::int64_t> pollSent, pollAnswered;
  std::vector<std::size_t> pollReplyBytes;
  std::int64_t localSent = 0, localAnswered = 0;
  for (std::size_t i = 0; i + 1 < wire.size(); ++i) {
    if (!wire[i].command || wire[i + 1].command) continue;
    if (wire[i].bytes == "FETCH:INT?") {
      pollSent.push_back(wire[i].nanoseconds);
      pollAnswered.push_back(wire[i + 1].nanoseconds);
      pollReplyBytes.push_back(wire[i + 1].bytes.size());
    } else if (wire[i].bytes == "SYSTem:LOCal") {
      localSent = wire[i].nanoseconds;
      localAnswered = wire[i + 1].nanoseconds;
    }
  }
  // The period over the polling minute only: the picks afterwards come between polls.
  std::vector<double> periods;
  for (std::size_t i = 1; i < pollSent.size() && pollSent[i] < clicksBegin; ++i) {
    periods.push_back((pollSent[i] - pollAnswered[i - 1]) / 1e6);
  }
  // Each display follows the latest reply before it; with the wire time of the poll's command
  // the reply-to-display delay gives the exchange as the panel lives it, against its wire floor.
  const std::size_t pollCommandBytes = command::Line(command::kFetchReading).size();
  std::vector<double> latencies, pollRatios, pollFloors, pacingRatios;
  for (const auto& [when, text] : shown) {
    // During the picks a reading may wait behind the handler's own exchange on the GUI thread.
    if (when >= clicksBegin) break;
    const auto after = std::upper_bound(pollAnswered.begin(), pollAnswered.end(), when);
    if (after == pollAnswered.begin()) continue;
    const std::size_t poll = static_cast<std::size_t>(after - pollAnswered.begin()) - 1;
    latencies.push_back((when - pollAnswered[poll]) / 1e6);
    const double floor = WireSeconds(pollCommandBytes + pollReplyBytes[poll]);
    const double lived =
        WireSeconds(pollCommandBytes) + (when - pollSent[poll]) / 1e9;  // arrival -> shown
    pollFloors.push_back(1e3 * floor);
    pollRatios.push_back(lived / floor);
    pacingRatios.push_back(
        (WireSeconds(pollCommandBytes) + (pollAnswered[poll] - pollSent[poll]) / 1e9) / floor);
  }
  const double localMs = (localAnswered - localSent) / 1e6;

  // Each pick: its command on the wire, whether a poll was on the wire at the pick, the wait.
  std::vector<double> quietWaits, busyWaits, pickRatios, pickFloors;
  for (const Click& click : clicks) {
    auto sent = std::find_if(wire.begin(), wire.end(), [&](const WireEvent& event) {
      return event.command && event.bytes.rfind("APERture ", 0) == 0 &&
             event.nanoseconds >= click.at;
    });
    if (sent == wire.end() || sent + 1 == wire.end() || (sent + 1)->command) continue;
    bool pollOnTheWire = false;
    for (std::size_t i = 0; i < pollSent.size(); ++i) {
      pollOnTheWire |= pollSent[i] <= click.at && click.at <= pollAnswered[i];
    }
    const double waitMs = (sent->nanoseconds - click.at) / 1e6;
    (pollOnTheWire ? busyWaits : quietWaits).push_back(waitMs);
    if (!pollOnTheWire) {
      const std::size_t commandBytes = sent->bytes.size() + 1;
      const double floor = WireSeconds(commandBytes + (sent + 1)->bytes.size());
      pickFloors.push_back(1e3 * floor);
      pickRatios.push_back((WireSeconds(commandBytes) + (click.done - click.at) / 1e9) / floor);
    }
  }

  std::printf("panel connected to benchbridge-sim (LX2110, 9600 baud pacing) for %.1f s\n", wall);
  std::printf("  readings shown            %zu\n", shown.size());
  std::printf("  CPU of the panel process  %.3f %% of one core (%.3f s)\n", 100.0 * cpu / wall,
              cpu);
  std::printf("  reply -> LLs2 delay       median %.3f ms, 95th %.3f ms, max %.3f ms\n",
              Median(latencies), Percentile(latencies, 0.95),
              latencies.empty() ? 0.0 : *std::max_element(latencies.begin(), latencies.end()));
  std::printf(
      "  poll period               median %.2f ms, min %.2f ms, max %.2f ms (%zu)\n",
      Median(periods), periods.empty() ? 0.0 : *std::min_element(periods.begin(), periods.end()),
      periods.empty() ? 0.0 : *std::max_element(periods.begin(), periods.end()), periods.size());
  std::printf("  resident memory           %.1f MB (peak %.1f MB)\n", rssKb / 1024.0,
              peakKb / 1024.0);
  std::printf("  start-up to window shown  %.1f ms\n", startupMs);
  std::printf("  close                     %.1f ms, of which the LOCal exchange %.1f ms\n", closeMs,
              localMs);
  std::printf(
      "  operator pick -> command   quiet line median %.3f ms (%zu), poll on the wire "
      "median %.3f ms, max %.3f ms (%zu)\n",
      Median(quietWaits), quietWaits.size(), Median(busyWaits), Max(busyWaits), busyWaits.size());
  std::printf(
      "  exchange / wire time      poll to display median %.4f (floor %.2f ms), "
      "speed pick median %.4f (floor %.2f ms)\n",
      Median(pollRatios), Median(pollFloors), Median(pickRatios), Median(pickFloors));

  using bench::Format;
  using bench::PrintRow;
  const double share = 100.0 * cpu / wall;
  if (trend) {
    PrintRow(trendAll ? "panel CPU while polling, trend window open on a day (span All)"
                      : "panel CPU while polling, trend window open on a day (span 10 min)",
             Format("%.3f %% of one core (%.1f s CPU per hour)", share, 36.0 * share),
             "< 2 % of one core", share < 2.0);
  } else {
    PrintRow("panel CPU while polling",
             Format("%.3f %% of one core (%.1f s CPU per hour)", share, 36.0 * share),
             "< 1 % of one core", share < 1.0);
  }
  PrintRow("reading latency: last reply byte -> LLs2",
           Format("median %.3f ms, p95 %.3f ms, max %.3f ms", Median(latencies),
                  Percentile(latencies, 0.95), Max(latencies)),
           "median < 2 ms", Median(latencies) < 2.0);
  PrintRow("poll period (cycle end -> next poll)",
           Format("median %.2f ms, min %.2f, max %.2f (%zu)", Median(periods), Min(periods),
                  Max(periods), periods.size()),
           "500-510 ms", !periods.empty() && Min(periods) > 500.0 && Max(periods) < 510.0);
  PrintRow("operator wait, quiet line: pick -> command on the wire",
           Format("median %.3f ms, max %.3f ms (%zu)", Median(quietWaits), Max(quietWaits),
                  quietWaits.size()));
  PrintRow("operator wait, poll on the wire",
           Format("median %.3f ms, max %.3f ms (%zu)", Median(busyWaits), Max(busyWaits),
                  busyWaits.size()),
           "the rest of that poll's exchange");
  PrintRow("wire floor of a poll exchange (9600 baud)",
           Format("%.2f ms (%zu + %zu bytes)", Median(pollFloors), pollCommandBytes,
                  pollReplyBytes.empty() ? std::size_t{0} : pollReplyBytes.front()));
  PrintRow("poll exchange, command to reading shown / wire floor",
           Format("median %.4f, max %.4f", Median(pollRatios), Max(pollRatios)), "< 1.05",
           !pollRatios.empty() && Median(pollRatios) < 1.05);
  PrintRow("  of which the simulator's own pacing (command to last reply byte)",
           Format("median %.4f", Median(pacingRatios)));
  PrintRow("wire floor of a speed pick exchange", Format("%.2f ms", Median(pickFloors)));
  PrintRow("speed pick exchange, pick to reply in hand / wire floor",
           Format("median %.4f, max %.4f", Median(pickRatios), Max(pickRatios)), "< 1.05",
           !pickRatios.empty() && Median(pickRatios) < 1.05);
  PrintRow("resident memory", Format("%.1f MB (peak %.1f MB)", rssKb / 1024.0, peakKb / 1024.0),
           "< 80 MB", rssKb < 80 * 1024);
  PrintRow("start-up to window shown", Format("%.1f ms", startupMs), "< 300 ms", startupMs < 300.0);
  PrintRow("close with a connected meter",
           Format("%.1f ms, of which LOCal %.1f ms", closeMs, localMs), "< 100 ms + LOCal",
           closeMs - localMs < 100.0);
  return meterFine ? 0 : 1;
}
