// The panel connected to the simulated meter for a minute, measured as the operator would feel
// it: CPU of the panel process, the delay from the meter's last reply byte to the new value in
// LLs2, the poll period, resident memory, start-up to the window shown, and the close.
//
//   build/release/bench/panel_live_run [--seconds 60]
//
// The meter runs in a child process (forked before any thread exists), so its CPU is not the
// panel's; both clocks are the same system clock, so the child's transcript times and the
// panel's display times compare directly.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
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

#include "fit_label.h"
#include "port_combo_box.h"
#include "process_setup.h"
#include "simulated_meter.h"
#include "temp_home.h"
#include "uFrmMain.h"

namespace {

using namespace benchbridge;
using SystemClock = std::chrono::system_clock;
using SteadyClock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kMeterCom = 9;

struct WireEvent {
  bool command = false;
  std::int64_t nanoseconds = 0;  // system clock
  std::string bytes;
};

std::int64_t Nanos(SystemClock::time_point when) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
}

std::string Hex(const std::string& bytes) {
  std::string hex;
  char pair[3];
  for (unsigned char byte : bytes) {
    (void)std::snprintf(pair, sizeof pair, "%02X", byte);
    hex += pair;
  }
  return hex;
}

std::string Unhex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

// The child: the simulated LX2110 paced at 9600 baud until the parent closes the stop pipe,
// then its transcript (full clock resolution) into a file.
[[noreturn]] void ServeMeter(const fs::path& home, const fs::path& transcript, int readyFd,
                             int stopFd) {
  int status = 0;
  try {
    sim::SimulatedMeterOptions options;
    options.comNumber = kMeterCom;
    options.pacingBaud = 9600;
    options.seed = 7;
    options.instrument.model = *sim::FindModel("LX2110");
    sim::SimulatedMeter meter(home, options);
    (void)!write(readyFd, "r", 1);
    char ignored;
    while (read(stopFd, &ignored, 1) > 0) {
    }
    std::ofstream out(transcript);
    for (const sim::TranscriptEntry& entry : meter.Transcript()) {
      out << (entry.kind == sim::TranscriptEntry::Kind::Command ? "C " : "R ") << Nanos(entry.when)
          << ' ' << Hex(entry.bytes) << '\n';
    }
  } catch (const std::exception& error) {
    (void)std::fprintf(stderr, "meter: %s\n", error.what());
    status = 1;
  }
  _exit(status);
}

std::vector<WireEvent> ReadTranscript(const fs::path& file) {
  std::vector<WireEvent> events;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string kind, hex;
    WireEvent event;
    fields >> kind >> event.nanoseconds >> hex;
    event.command = kind == "C";
    event.bytes = Unhex(hex);
    events.push_back(std::move(event));
  }
  return events;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<std::size_t>(share * values.size()))];
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

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

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atoi(argv[i + 1]);
  }
  testing::TempHome home;
  const fs::path transcriptFile = home.Path() / "transcript.txt";

  int ready[2], stop[2];
  if (pipe(ready) != 0 || pipe(stop) != 0) return 1;
  const pid_t child = fork();
  if (child == 0) {
    close(ready[0]);
    close(stop[1]);
    ServeMeter(home.Path(), transcriptFile, ready[1], stop[0]);
  }
  close(ready[1]);
  close(stop[0]);
  char byte;
  if (read(ready[0], &byte, 1) != 1) {
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
  RunEvents(std::chrono::milliseconds(1000));  // past the first polls

  const double cpuBegin = CpuSeconds();
  const auto runBegin = SteadyClock::now();
  RunEvents(std::chrono::seconds(seconds));
  const double wall = std::chrono::duration<double>(SteadyClock::now() - runBegin).count();
  const double cpu = CpuSeconds() - cpuBegin;
  const long rssKb = StatusKilobytes("VmRSS:");
  const long peakKb = StatusKilobytes("VmHWM:");

  const auto closeBegin = SteadyClock::now();
  panel->close();
  const double closeMs = Ms(SteadyClock::now() - closeBegin);
  panel.reset();

  close(stop[1]);
  int status = 0;
  waitpid(child, &status, 0);
  const std::vector<WireEvent> wire = ReadTranscript(transcriptFile);

  // Each command is answered by the next reply; pair them up.
  std::vector<std::int64_t> pollSent, pollAnswered;
  std::int64_t localSent = 0, localAnswered = 0;
  for (std::size_t i = 0; i + 1 < wire.size(); ++i) {
    if (!wire[i].command || wire[i + 1].command) continue;
    if (wire[i].bytes == "FETCH:INT?") {
      pollSent.push_back(wire[i].nanoseconds);
      pollAnswered.push_back(wire[i + 1].nanoseconds);
    } else if (wire[i].bytes == "SYSTem:LOCal") {
      localSent = wire[i].nanoseconds;
      localAnswered = wire[i + 1].nanoseconds;
    }
  }
  std::vector<double> periods;
  for (std::size_t i = 1; i < pollSent.size(); ++i) {
    periods.push_back((pollSent[i] - pollAnswered[i - 1]) / 1e6);
  }
  // Each display follows the latest reply before it.
  std::vector<double> latencies;
  for (const auto& [when, text] : shown) {
    const auto after = std::upper_bound(pollAnswered.begin(), pollAnswered.end(), when);
    if (after == pollAnswered.begin()) continue;
    latencies.push_back((when - *(after - 1)) / 1e6);
  }
  const double localMs = (localAnswered - localSent) / 1e6;

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
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
