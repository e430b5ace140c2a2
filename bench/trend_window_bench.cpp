// The trend window against a day of readings at two a second (172,800):
//   load from a "_new" log and draw        target < 0.5 s
//   one new reading with the day in store  chart update median < 5 ms (spans "10 min" and "All"):
//                                          the reading stored, the view reduced and redrawn,
//                                          and what changed painted
//   one million readings in the store      < 64 MB above the window without them
// Each of the first two also with the comparator on: the day's bins recovered from its main
// log, each new reading given its bin.
// Google Benchmark; QT_QPA_PLATFORM=offscreen unless set. Rows for the table as bench_row.h.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSignalSpy>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <vector>

#include "bench_row.h"
#include "reading_format.h"
#include "temp_home.h"
#include "trend_day_log.h"
#include "trend_window.h"

namespace benchbridge {
namespace {

constexpr int kDay = bench::kTrendDay;
const std::chrono::system_clock::time_point kMorning =
    std::chrono::system_clock::from_time_t(1'796'000'000);

double ResidentMb() {
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * 4096 / (1024 * 1024);
}

// CPU of every thread of the process: on a shared machine the wall clock also counts the time
// other programs had the cores.
double ProcessCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A day's "_new" log as the poller writes it, made once; with bins, in a folder of its own
// with the main log that has the bin replies.
const std::filesystem::path& DayLog(bool bins = false) {
  static testing::TempHome home;
  static const std::filesystem::path plain = [] {
    const std::filesystem::path path = home.Path() / "day_new.log";
    bench::WriteDayLog(path, kMorning);
    return path;
  }();
  static const std::filesystem::path binned = [] {
    std::filesystem::create_directories(home.Path() / "bins");
    const std::filesystem::path path = home.Path() / "bins" / "day_new.log";
    bench::WriteDayLog(path, kMorning, kDay, true);
    return path;
  }();
  return bins ? binned : plain;
}

// The comparator of a 22 nF part with bins of 0.01, 0.02 and 0.03 %.
ComparatorLimits DayComparator() {
  ComparatorLimits limits;
  limits.on = true;
  limits.nominal = 22.003e-9;
  limits.low = {-0.01, -0.02, -0.03};
  limits.high = {0.01, 0.02, 0.03};
  return limits;
}

void WaitLoaded(TrendWindow& window) {
  QSignalSpy loaded(&window, &TrendWindow::LogLoaded);
  if (window.Loading()) loaded.wait(60'000);
}

void BM_LoadDayAndDraw(benchmark::State& state) {
  const bool bins = state.range(0) == 1;
  const std::filesystem::path& file = DayLog(bins);
  std::vector<double> seconds;
  for (auto _ : state) {
    TrendWindow window;
    if (bins) window.SetComparator(DayComparator());
    window.show();
    QApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    window.OpenLog(file);
    WaitLoaded(window);
    window.repaint();
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (window.ShownReadings().Size() != kDay) state.SkipWithError("readings lost");
    if (bins && window.Tally().Total() != kDay) state.SkipWithError("bins lost");
  }
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[seconds.size() / 2];
  state.counters["median_s"] = median;
  bench::PrintRow(bins ? "trend: load a day's log (172,800 readings) and its bins and draw"
                       : "trend: load a day's log (172,800 readings) and draw",
                  bench::Format("median %.3f s (%zu)", median, seconds.size()), "< 0.5 s",
                  median < 0.5);
}

void BM_NewReadingWithADayInStore(benchmark::State& state) {
  const bool all = state.range(0) == 1;
  const bool bins = state.range(1) == 1;
  TrendWindow window;
  window.resize(1100, 700);
  if (bins) window.SetComparator(DayComparator());
  window.show();
  window.LoadHistory(DayLog(bins), std::numeric_limits<TimeMs>::max());
  WaitLoaded(window);
  window.View().SetSpan(all ? TrendSpan::kAll : TrendSpan::kTenMinutes);
  std::mt19937 random(2);
  TimeMs time = ToTimeMs(kMorning) + 500LL * kDay;
  std::vector<double> wall, cpu;
  int i = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuMs();
    window.AddReading(bench::NoisyReading(random), time += 500);
    if (bins) window.AddBin(std::string("BIN:") + bench::DayBin(++i));
    window.RedrawNow();
    // Paints what changed, as the event loop does after a redraw.
    QApplication::processEvents();
    cpu.push_back(ProcessCpuMs() - cpuStart);
    wall.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  const double median = wall[wall.size() / 2], p95 = wall[wall.size() * 95 / 100];
  const double cpuMedian = cpu[cpu.size() / 2];
  state.counters["median_ms"] = median;
  state.counters["cpu_median_ms"] = cpuMedian;
  state.counters["p95_ms"] = p95;
  bench::PrintRow(std::string(all ? "trend: new reading, a day in store, span All"
                                  : "trend: new reading, a day in store, span 10 min") +
                      (bins ? ", comparator on" : "") + ": store, reduce, redraw, paint",
                  bench::Format("median %.2f ms (CPU %.2f ms), p95 %.2f ms (%zu)", median,
                                cpuMedian, p95, wall.size()),
                  "median < 5 ms", median < 5);
}

void BM_MillionReadingsMemory(benchmark::State& state) {
  for (auto _ : state) {
    TrendWindow window;
    window.show();
    window.RedrawNow();
    QApplication::processEvents();
    const double before = ResidentMb();
    std::mt19937 random(3);
    std::vector<Reading> kinds;
    for (int i = 0; i < 64; ++i) kinds.push_back(bench::NoisyReading(random));
    TimeMs time = ToTimeMs(kMorning);
    for (int i = 0; i < 1'000'000; ++i) window.AddReading(kinds[i % 64], time += 500);
    window.View().SetSpan(TrendSpan::kAll);
    window.RedrawNow();
    QApplication::processEvents();
    const double above = ResidentMb() - before;
    state.counters["MB_above"] = above;
    bench::PrintRow("trend: memory of 1,000,000 readings above the empty window",
                    bench::Format("%.1f MB", above), "< 64 MB", above < 64);
  }
}

BENCHMARK(BM_LoadDayAndDraw)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewReadingWithADayInStore)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MillionReadingsMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace benchbridge

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
