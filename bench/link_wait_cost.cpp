// CPU used by ReadReply while it waits: 3 s on a silent port, and 3 s of calls on a hung-up
// port at the poller's pace (one call every 500 ms) and back to back. Target: under 1% of the
// wait in the first two.
// Google Benchmark: its CPU time is the calling thread's and its wall time includes the pauses
// between calls, so the share of one core is CPU over wall.
//
//   build/bench/link_wait_cost [--benchmark_... options]

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

#include "bench_row.h"
#include "link_bench_line.h"

namespace {

using namespace benchbridge;

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double MonotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Cost {
  double cpu = 0;
  double wall = 0;
  long calls = 0;
  bool replied = false;  // a silent or hung-up port answered: the measurement is void
  bool target = false;   // the share must stay under 1 %

  double Share() const { return wall > 0 ? 100.0 * cpu / wall : 0.0; }
  bool Missed() const { return replied || (target && Share() >= 1.0); }
};

// One iteration calls ReadReply until the span has passed (at least once), pausing after each
// call; the case's figures are kept for the table.
void BM_WaitCost(benchmark::State& state, bench::BenchLine& line, std::chrono::milliseconds pause,
                 std::chrono::seconds span, Cost& cost) {
  const bool target = cost.target;
  cost = Cost{};
  cost.target = target;
  for (auto _ : state) {
    const double cpu = ThreadCpuSeconds();
    const double start = MonotonicSeconds();
    do {
      if (!ReadReply(line.port, 3).empty()) cost.replied = true;
      ++cost.calls;
      if (pause.count() > 0) std::this_thread::sleep_for(pause);
    } while (MonotonicSeconds() - start < static_cast<double>(span.count()));
    cost.wall += MonotonicSeconds() - start;
    cost.cpu += ThreadCpuSeconds() - cpu;
  }
  state.counters["cpu_share_pct"] = cost.Share();
  state.counters["calls"] = static_cast<double>(cost.calls);
  if (cost.replied) state.SkipWithError("the port answered");
}

void Report(const std::string& what, const Cost& cost) {
  bench::PrintRow("link: " + what, bench::Format("%.3f %% of one core", cost.Share()),
                  cost.target ? "< 1 %" : "-", cost.target ? !cost.Missed() : -1);
  std::printf("%-44s %8.5f s CPU in %5.2f s (%6.3f%%), %ld calls%s\n", (what + ":").c_str(),
              cost.cpu, cost.wall, cost.Share(), cost.calls,
              cost.target ? (cost.Missed() ? "  TARGET MISSED" : "  target met") : "");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::BenchLine silentLine;
  bench::BenchLine hungUpLine;
  hungUpLine.meter.HangUp();

  using std::chrono::milliseconds;
  using std::chrono::seconds;
  Cost silent, paced, tight;
  silent.target = paced.target = true;
  const auto add = [](const char* name, bench::BenchLine& line, milliseconds pause, seconds span,
                      Cost& cost) {
    benchmark::RegisterBenchmark(name,
                                 [&line, pause, span, &cost](benchmark::State& state) {
                                   BM_WaitCost(state, line, pause, span, cost);
                                 })
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
  };
  // One read that runs into its 3 s limit; the poller's pace on a dead line (six calls in 3 s);
  // no pause at all, what a caller that looped without one would burn.
  add("BM_SilentPort", silentLine, milliseconds(0), seconds(0), silent);
  add("BM_HungUpPortPaced", hungUpLine, milliseconds(500), seconds(3), paced);
  add("BM_HungUpPortBackToBack", hungUpLine, milliseconds(0), seconds(3), tight);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  Report("silent port, one 3 s read", silent);
  Report("hung-up port, a call every 500 ms for 3 s", paced);
  Report("hung-up port, calls back to back for 3 s", tight);
  if (tight.calls > 0) {
    std::printf("  each call on a hung-up port returns after %.2f us\n",
                1e6 * tight.wall / static_cast<double>(tight.calls));
  }
  const bool ran = silent.calls > 0 && paced.calls > 0;
  return ran && !silent.Missed() && !paced.Missed() && !tight.replied ? 0 : 1;
}
