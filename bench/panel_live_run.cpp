// The panel connected to the simulated meter for a minute, measured as the operator would feel
// it: CPU of the panel process, the delay from the meter's last reply byte to the new value in
// LLs2, the poll period, resident memory, start-up to the window shown, and the close. Then the
// operator picks a speed a number of times, half of them timed into a poll on the wire: the wait
// from the pick to the command on the wire, and each exchange against its wire time at 9600
// baud (10 bits a byte, command and reply).
//
//   build/release/bench/panel_live_run [--seconds 60] [--clicks 20] [--trend [all]] [--comparator]
//
// --trend opens the trend window (as Ctrl+T does) once connected, over a day of readings in the
// day's "_new" log, and measures the same with it open; "all" shows the whole day.
// --comparator switches the comparator on in cb6 once connected, as the operator does: the panel
// then asks for each reading's bin, and the trend colours the readings by it.
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
#include "bench_stats.h"
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

struct Options {
  int seconds = 60;
  int clicks = 20;
  bool trend = false;     // the trend window open on a day
  bool trendAll = false;  // with the whole day in view
  bool comparator = false;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) options.seconds = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--clicks") == 0) options.clicks = std::atoi(argv[i + 1]);
  }
  for (int i = 1; i < argc; ++i) {
    options.trend = options.trend || std::strcmp(argv[i], "--trend") == 0;
    options.trendAll = options.trendAll || (std::strcmp(argv[i], "all") == 0 && options.trend);
    options.comparator = options.comparator || std::strcmp(argv[i], "--comparator") == 0;
  }
  return options;
}

// The day so far, up to a minute ago, in the day's "_new" log (and with bins, their replies
// in the main log).
void WriteDaySoFar(const fs::path& home, bool bins) {
  const auto now = SystemClock::now();
  fs::create_directories(home / "log");
  WriteDayLog(home / "log" / (FormatLogDate(now) + "_new.log"),
              now - std::chrono::minutes(1) - std::chrono::milliseconds(500LL * kTrendDay),
              kTrendDay, bins);
}

// Opens the trend window as Ctrl+T does and waits for its history.
void OpenTrend(TFrmMain& panel, bool all) {
  panel.trendAction->trigger();
  TrendWindow* window = panel.Trend();
  while (window->Loading()) RunEvents(std::chrono::milliseconds(50));
  if (all) window->View().SetSpan(TrendSpan::kAll);
  (void)std::printf("trend window open, %zu readings in store\n", window->LiveReadings().Size());
}

// What the panel's own process saw: the polling window, then the picks and the close.
struct PanelRun {
  double startupMs = 0;
  double wall = 0;  // the polling window, s
  double cpu = 0;   // CPU of the process in it, s
  long rssKb = 0;
  long peakKb = 0;
  std::vector<std::pair<std::int64_t, QString>> shown;  // each reading on the display
  std::int64_t clicksBegin = 0;
  std::vector<Click> clicks;
  double closeMs = 0;
};

// Picks the meter's port as the operator does and presses "Connecting device".
bool Connect(TFrmMain& panel) {
  const int index = panel.c1->findText(QStringLiteral("COM%1").arg(kMeterCom));
  panel.c1->setCurrentIndex(index);
  emit panel.c1->activated(index);  // the operator's pick sets the port number
  panel.rbtn1->click();
  return panel.bb5->text() == QLatin1String("REMOTE") && panel.rbtn2->isEnabled();
}

// The operator's speed picks: even ones in the quiet between polls, odd ones 508 ms after a
// reading was shown, when the next poll (due 501 ms after its cycle ended) is on the wire.
std::vector<Click> PickSpeeds(TFrmMain& panel, int count) {
  std::vector<Click> clicks;
  for (int i = 0; i < count; ++i) {
    AwaitReading(panel);
    RunEvents(std::chrono::milliseconds(i % 2 == 1 ? 508 : 250));
    Click click;
    click.at = Nanos(SystemClock::now());
    const int speed = panel.cb8->currentIndex();
    emit panel.cb8->activated(speed);  // the meter's own speed again
    click.done = Nanos(SystemClock::now());
    clicks.push_back(click);
  }
  return clicks;
}

// Starts the panel, connects it to the meter, lets it poll, picks speeds and closes it; false
// when the window did not show or the panel did not connect.
bool RunPanel(int argc, char** argv, const fs::path& home, const Options& options, PanelRun& run) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const auto startBegin = SteadyClock::now();
  QApplication app(argc, argv);
  ApplicationFontFile font(home / "vista.ttf");
  FixRegionalFormats();
  auto panel = std::make_unique<TFrmMain>(home);
  panel->show();
  if (!QTest::qWaitForWindowExposed(panel.get())) return false;
  run.startupMs = Ms(SteadyClock::now() - startBegin);

  run.shown.reserve(static_cast<std::size_t>(options.seconds) * 3);
  QObject::connect(panel.get(), &TFrmMain::ReadingDisplayed,
                   [&] { run.shown.emplace_back(Nanos(SystemClock::now()), panel->LLs2->text()); });
  if (!Connect(*panel)) {
    (void)std::fprintf(stderr, "the panel did not connect to COM%d\n", kMeterCom);
    return false;
  }
  if (options.comparator) {
    const int on = panel->cb6->count() - 1;
    panel->cb6->setCurrentIndex(on);
    emit panel->cb6->activated(on);
  }
  if (options.trend) OpenTrend(*panel, options.trendAll);
  RunEvents(std::chrono::milliseconds(1000));  // past the first polls

  const double cpuBegin = CpuSeconds();
  const auto runBegin = SteadyClock::now();
  RunEvents(std::chrono::seconds(options.seconds));
  run.wall = std::chrono::duration<double>(SteadyClock::now() - runBegin).count();
  run.cpu = CpuSeconds() - cpuBegin;
  run.rssKb = StatusKilobytes("VmRSS:");
  run.peakKb = StatusKilobytes("VmHWM:");

  run.clicksBegin = Nanos(SystemClock::now());
  run.clicks = PickSpeeds(*panel, options.clicks);

  const auto closeBegin = SteadyClock::now();
  panel->close();
  run.closeMs = Ms(SteadyClock::now() - closeBegin);
  return true;
}

// The polls on the wire, each command paired with the reply that answered it.
struct Polls {
  std::vector<std::int64_t> sent, answered;
  std::vector<std::size_t> replyBytes;
  std::int64_t localSent = 0, localAnswered = 0;  // the LOCal exchange of the close
};

Polls PairPolls(const std::vector<WireEvent>& wire) {
  Polls polls;
  for (std::size_t i = 0; i + 1 < wire.size(); ++i) {
    if (!wire[i].command || wire[i + 1].command) continue;
    if (wire[i].bytes == "FETCH:INT?") {
      polls.sent.push_back(wire[i].nanoseconds);
      polls.answered.push_back(wire[i + 1].nanoseconds);
      polls.replyBytes.push_back(wire[i + 1].bytes.size());
    } else if (wire[i].bytes == "SYSTem:LOCal") {
      polls.localSent = wire[i].nanoseconds;
      polls.localAnswered = wire[i + 1].nanoseconds;
    }
  }
  return polls;
}

struct PollFigures {
  std::vector<double> periods, latencies, ratios, floors, pacingRatios;
  std::size_t commandBytes = 0;
};

// Over the polling window only: the picks afterwards come between polls, and during them a
// reading may wait behind the handler's own exchange on the GUI thread.
PollFigures MeasurePolls(const Polls& polls, const PanelRun& run) {
  PollFigures figures;
  for (std::size_t i = 1; i < polls.sent.size() && polls.sent[i] < run.clicksBegin; ++i) {
    figures.periods.push_back((polls.sent[i] - polls.answered[i - 1]) / 1e6);
  }
  // Each display follows the latest reply before it; with the wire time of the poll's command
  // the reply-to-display delay gives the exchange as the panel lives it, against its wire floor.
  figures.commandBytes = command::Line(command::kFetchReading).size();
  for (const auto& [when, text] : run.shown) {
    if (when >= run.clicksBegin) break;
    const auto after = std::upper_bound(polls.answered.begin(), polls.answered.end(), when);
    if (after == polls.answered.begin()) continue;
    const std::size_t poll = static_cast<std::size_t>(after - polls.answered.begin()) - 1;
    figures.latencies.push_back((when - polls.answered[poll]) / 1e6);
    const double floor = WireSeconds(figures.commandBytes + polls.replyBytes[poll]);
    const double lived =
        WireSeconds(figures.commandBytes) + (when - polls.sent[poll]) / 1e9;  // arrival -> shown
    figures.floors.push_back(1e3 * floor);
    figures.ratios.push_back(lived / floor);
    figures.pacingRatios.push_back(
        (WireSeconds(figures.commandBytes) + (polls.answered[poll] - polls.sent[poll]) / 1e9) /
        floor);
  }
  return figures;
}

struct PickFigures {
  std::vector<double> quietWaits, busyWaits, ratios, floors;
};

// Each pick: its command on the wire, whether a poll was on the wire at the pick, the wait.
PickFigures MeasurePicks(const std::vector<WireEvent>& wire, const Polls& polls,
                         const std::vector<Click>& clicks) {
  PickFigures figures;
  for (const Click& click : clicks) {
    auto sent = std::find_if(wire.begin(), wire.end(), [&](const WireEvent& event) {
      return event.command && event.bytes.rfind("APERture ", 0) == 0 &&
             event.nanoseconds >= click.at;
    });
    if (sent == wire.end() || sent + 1 == wire.end() || (sent + 1)->command) continue;
    bool pollOnTheWire = false;
    for (std::size_t i = 0; i < polls.sent.size(); ++i) {
      pollOnTheWire |= polls.sent[i] <= click.at && click.at <= polls.answered[i];
    }
    const double waitMs = (sent->nanoseconds - click.at) / 1e6;
    (pollOnTheWire ? figures.busyWaits : figures.quietWaits).push_back(waitMs);
    if (!pollOnTheWire) {
      const std::size_t commandBytes = sent->bytes.size() + 1;
      const double floor = WireSeconds(commandBytes + (sent + 1)->bytes.size());
      figures.floors.push_back(1e3 * floor);
      figures.ratios.push_back((WireSeconds(commandBytes) + (click.done - click.at) / 1e9) / floor);
    }
  }
  return figures;
}

void PrintReport(const PanelRun& run, const PollFigures& polls, const PickFigures& picks,
                 double localMs) {
  std::printf("panel connected to benchbridge-sim (LX2110, 9600 baud pacing) for %.1f s\n",
              run.wall);
  std::printf("  readings shown            %zu\n", run.shown.size());
  std::printf("  CPU of the panel process  %.3f %% of one core (%.3f s)\n",
              100.0 * run.cpu / run.wall, run.cpu);
  std::printf("  reply -> LLs2 delay       median %.3f ms, 95th %.3f ms, max %.3f ms\n",
              Median(polls.latencies), Percentile(polls.latencies, 0.95), Max(polls.latencies));
  std::printf("  poll period               median %.2f ms, min %.2f ms, max %.2f ms (%zu)\n",
              Median(polls.periods), Min(polls.periods), Max(polls.periods), polls.periods.size());
  std::printf("  resident memory           %.1f MB (peak %.1f MB)\n", run.rssKb / 1024.0,
              run.peakKb / 1024.0);
  std::printf("  start-up to window shown  %.1f ms\n", run.startupMs);
  std::printf("  close                     %.1f ms, of which the LOCal exchange %.1f ms\n",
              run.closeMs, localMs);
  std::printf(
      "  operator pick -> command   quiet line median %.3f ms (%zu), poll on the wire "
      "median %.3f ms, max %.3f ms (%zu)\n",
      Median(picks.quietWaits), picks.quietWaits.size(), Median(picks.busyWaits),
      Max(picks.busyWaits), picks.busyWaits.size());
  std::printf(
      "  exchange / wire time      poll to display median %.4f (floor %.2f ms), "
      "speed pick median %.4f (floor %.2f ms)\n",
      Median(polls.ratios), Median(polls.floors), Median(picks.ratios), Median(picks.floors));
}

void PrintRows(const Options& options, const PanelRun& run, const Polls& wire,
               const PollFigures& polls, const PickFigures& picks, double localMs) {
  const double share = 100.0 * run.cpu / run.wall;
  if (options.trend) {
    PrintRow(std::string(options.trendAll
                             ? "panel CPU while polling, trend window open on a day (span All"
                             : "panel CPU while polling, trend window open on a day (span 10 min") +
                 (options.comparator ? ", comparator on)" : ")"),
             Format("%.3f %% of one core (%.1f s CPU per hour)", share, 36.0 * share),
             "< 2 % of one core", share < 2.0);
  } else {
    PrintRow("panel CPU while polling",
             Format("%.3f %% of one core (%.1f s CPU per hour)", share, 36.0 * share),
             "< 1 % of one core", share < 1.0);
  }
  PrintRow("reading latency: last reply byte -> LLs2",
           Format("median %.3f ms, p95 %.3f ms, max %.3f ms", Median(polls.latencies),
                  Percentile(polls.latencies, 0.95), Max(polls.latencies)),
           "median < 2 ms", Median(polls.latencies) < 2.0);
  PrintRow("poll period (cycle end -> next poll)",
           Format("median %.2f ms, min %.2f, max %.2f (%zu)", Median(polls.periods),
                  Min(polls.periods), Max(polls.periods), polls.periods.size()),
           "500-510 ms",
           !polls.periods.empty() && Min(polls.periods) > 500.0 && Max(polls.periods) < 510.0);
  PrintRow("operator wait, quiet line: pick -> command on the wire",
           Format("median %.3f ms, max %.3f ms (%zu)", Median(picks.quietWaits),
                  Max(picks.quietWaits), picks.quietWaits.size()));
  PrintRow("operator wait, poll on the wire",
           Format("median %.3f ms, max %.3f ms (%zu)", Median(picks.busyWaits),
                  Max(picks.busyWaits), picks.busyWaits.size()),
           "the rest of that poll's exchange");
  PrintRow("wire floor of a poll exchange (9600 baud)",
           Format("%.2f ms (%zu + %zu bytes)", Median(polls.floors), polls.commandBytes,
                  wire.replyBytes.empty() ? std::size_t{0} : wire.replyBytes.front()));
  PrintRow("poll exchange, command to reading shown / wire floor",
           Format("median %.4f, max %.4f", Median(polls.ratios), Max(polls.ratios)), "< 1.05",
           !polls.ratios.empty() && Median(polls.ratios) < 1.05);
  PrintRow("  of which the simulator's own pacing (command to last reply byte)",
           Format("median %.4f", Median(polls.pacingRatios)));
  PrintRow("wire floor of a speed pick exchange", Format("%.2f ms", Median(picks.floors)));
  PrintRow("speed pick exchange, pick to reply in hand / wire floor",
           Format("median %.4f, max %.4f", Median(picks.ratios), Max(picks.ratios)), "< 1.05",
           !picks.ratios.empty() && Median(picks.ratios) < 1.05);
  PrintRow("resident memory",
           Format("%.1f MB (peak %.1f MB)", run.rssKb / 1024.0, run.peakKb / 1024.0), "< 80 MB",
           run.rssKb < 80 * 1024);
  PrintRow("start-up to window shown", Format("%.1f ms", run.startupMs), "< 300 ms",
           run.startupMs < 300.0);
  PrintRow("close with a connected meter",
           Format("%.1f ms, of which LOCal %.1f ms", run.closeMs, localMs), "< 100 ms + LOCal",
           run.closeMs - localMs < 100.0);
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  testing::TempHome home;
  if (options.trend) WriteDaySoFar(home.Path(), options.comparator);
  MeterChild meter;
  if (!meter.Start(home.Path(), kMeterCom)) {
    (void)std::fprintf(stderr, "the simulated meter did not start\n");
    return 1;
  }
  PanelRun run;
  const bool ran = RunPanel(argc, argv, home.Path(), options, run);
  std::vector<WireEvent> wire;
  const bool meterFine = meter.Stop(wire);
  if (!ran) return 1;

  const Polls polls = PairPolls(wire);
  const PollFigures pollFigures = MeasurePolls(polls, run);
  const PickFigures pickFigures = MeasurePicks(wire, polls, run.clicks);
  const double localMs = (polls.localAnswered - polls.localSent) / 1e6;
  PrintReport(run, pollFigures, pickFigures, localMs);
  PrintRows(options, run, polls, pollFigures, pickFigures, localMs);
  return meterFine ? 0 : 1;
}
