// CPU used by ReadReply while it waits: 3 s on a silent port, and 3 s of calls on a hung-up
// port at the poller's pace (one cycle every 500 ms) and back to back. Target: under 1% of the
// wait in the first two.
//
//   build/bench/link_wait_cost

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "bench_row.h"
#include "link_bench_line.h"

namespace {

using Clock = std::chrono::steady_clock;

double ThreadCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Seconds(Clock::duration span) { return std::chrono::duration<double>(span).count(); }

struct Cost {
  double cpu = 0;
  double wall = 0;
  long calls = 0;
};

void Report(const char* what, const Cost& cost, bool target) {
  const double share = 100.0 * cost.cpu / cost.wall;
  std::string row = std::string("link: ") + what;
  if (row.back() == ':') row.pop_back();
  benchbridge::bench::PrintRow(row, benchbridge::bench::Format("%.3f %% of one core", share),
                               target ? "< 1 %" : "-", target ? share < 1.0 : -1);
  std::printf("%-44s %8.5f s CPU in %5.2f s (%6.3f%%), %ld calls%s\n", what, cost.cpu, cost.wall,
              share, cost.calls, target ? (share < 1.0 ? "  target met" : "  TARGET MISSED") : "");
}

}  // namespace

int main() {
  using namespace benchbridge;
  bench::BenchLine line;
  sim::PtyEndpoint& meter = line.meter;
  const PortHandle port = line.port;
  int failures = 0;

  {  // silent instrument: one read that runs into its 3 s limit
    Cost cost;
    const double cpu = ThreadCpuSeconds();
    const auto start = Clock::now();
    if (!ReadReply(port, 3).empty()) ++failures;
    cost.wall = Seconds(Clock::now() - start);
    cost.cpu = ThreadCpuSeconds() - cpu;
    cost.calls = 1;
    Report("silent port, one 3 s read:", cost, true);
    failures += cost.cpu >= 0.01 * cost.wall;
  }

  meter.HangUp();
  const auto measure = [&](Clock::duration pause) {
    Cost cost;
    const double cpu = ThreadCpuSeconds();
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::seconds(3)) {
      if (!ReadReply(port, 3).empty()) ++failures;
      ++cost.calls;
      if (pause.count() > 0) std::this_thread::sleep_for(pause);
    }
    cost.wall = Seconds(Clock::now() - start);
    cost.cpu = ThreadCpuSeconds() - cpu;
    return cost;
  };
  const Cost paced = measure(std::chrono::milliseconds(500));
  Report("hung-up port, a call every 500 ms for 3 s:", paced, true);
  failures += paced.cpu >= 0.01 * paced.wall;
  const Cost tight = measure(Clock::duration(0));
  Report("hung-up port, calls back to back for 3 s:", tight, false);
  std::printf("  each call on a hung-up port returns after %.2f us\n",
              1e6 * tight.wall / static_cast<double>(tight.calls));
  return failures == 0 ? 0 : 1;
}
