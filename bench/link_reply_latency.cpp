// Reply latency of ReadReply: from the instrument's write of the final line feed to the
// reader's return, over 1,000 exchanges on a real pseudo-terminal. Target: median < 0.2 ms.
// Google Benchmark with manual timing: each iteration's time is that latency alone, not the
// pauses around it.
//
//   build/bench/link_reply_latency [exchanges] [--benchmark_... options]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench_row.h"
#include "bench_stats.h"
#include "link_bench_line.h"

namespace {

using namespace benchbridge;
using Clock = std::chrono::steady_clock;

constexpr const char* kReading = "Cs,1.2345nF,D,0.01234";

// A reader thread calls ReadReply once a round and notes when it returned; the benchmark's own
// thread plays the meter.
class ReplyReader {
 public:
  ReplyReader(PortHandle port, long rounds)
      : thread_([this, port, rounds] { Run(port, rounds); }) {}
  ~ReplyReader() { thread_.join(); }
  ReplyReader(const ReplyReader&) = delete;
  ReplyReader& operator=(const ReplyReader&) = delete;

  void AwaitReading(long round) {
    std::unique_lock guard(mutex_);
    changed_.wait(guard, [&] { return readerRound_ == round; });
  }

  // Waits for the reply of this round; its return time and text.
  std::pair<Clock::time_point, std::string> AwaitReply(long round) {
    std::unique_lock guard(mutex_);
    changed_.wait(guard, [&] { return doneRound_ == round; });
    return {returned_, reply_};
  }

 private:
  void Run(PortHandle port, long rounds) {
    for (long round = 0; round < rounds; ++round) {
      {
        std::lock_guard guard(mutex_);
        readerRound_ = round;
      }
      changed_.notify_all();
      std::string got = ReadReply(port, 3);
      const auto now = Clock::now();
      {
        std::lock_guard guard(mutex_);
        returned_ = now;
        reply_ = std::move(got);
        doneRound_ = round;
      }
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  long readerRound_ = -1;  // the round the reader is waiting in
  long doneRound_ = -1;
  Clock::time_point returned_;
  std::string reply_;
  std::thread thread_;  // last: starts once the rest is built
};

struct LatencyResult {
  std::vector<double> micros;
  int wrong = 0;
};

void BM_ReplyLatency(benchmark::State& state, LatencyResult& result) {
  bench::BenchLine line;
  result = {};
  ReplyReader reader(line.port, static_cast<long>(state.max_iterations));
  long round = 0;
  for (auto _ : state) {
    reader.AwaitReading(round);
    // Let the reader settle into its wait, then send a reading in two writes, as a meter does
    // when the line feed trails the text.
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    line.meter.Write(std::string(kReading) + "\r");
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    const auto sent = Clock::now();
    line.meter.Write("\n");
    const auto [returned, reply] = reader.AwaitReply(round++);
    const std::chrono::duration<double> latency = returned - sent;
    state.SetIterationTime(latency.count());
    result.micros.push_back(1e6 * latency.count());
    if (reply != kReading) ++result.wrong;
  }
  state.counters["median_us"] = bench::Median(result.micros);
  state.counters["p99_us"] = bench::Percentile(result.micros, 0.99);
  if (result.wrong > 0) state.SkipWithError("wrong replies");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const long exchanges = argc > 1 ? std::max(1L, std::atol(argv[1])) : 1000;
  LatencyResult result;
  benchmark::RegisterBenchmark(
      "BM_ReplyLatency", [&result](benchmark::State& state) { BM_ReplyLatency(state, result); })
      ->Iterations(exchanges)
      ->UseManualTime()
      ->Unit(benchmark::kMicrosecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  const double median = bench::Median(result.micros);
  const double p99 = bench::Percentile(result.micros, 0.99);
  std::printf("reply latency over %zu exchanges: median %.1f us, p99 %.1f us, max %.1f us%s\n",
              result.micros.size(), median, p99, bench::Max(result.micros),
              result.wrong ? " (WRONG REPLIES)" : "");
  std::printf("target: median < 200 us -> %s\n", median < 200.0 ? "met" : "MISSED");
  bench::PrintRow("link: last reply byte -> ReadReply returns",
                  bench::Format("median %.1f us, p99 %.1f us", median, p99), "median < 200 us",
                  median < 200.0);
  return result.wrong == 0 && !result.micros.empty() ? 0 : 1;
}
