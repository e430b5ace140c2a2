// Reply latency of ReadReply: from the instrument's write of the final line feed to the
// reader's return, over 1,000 exchanges on a real pseudo-terminal. Target: median < 0.2 ms.
//
//   build/bench/link_reply_latency [exchanges]

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench_row.h"
#include "link_bench_line.h"

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration span) {
  return std::chrono::duration<double, std::micro>(span).count();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace benchbridge;
  const int exchanges = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
  bench::BenchLine line;
  sim::PtyEndpoint& meter = line.meter;
  const PortHandle port = line.port;

  std::mutex mutex;
  std::condition_variable changed;
  int readerRound = -1;  // the round the reader is waiting in
  int doneRound = -1;
  Clock::time_point returned;
  std::string reply;
  std::thread reader([&] {
    for (int round = 0; round < exchanges; ++round) {
      {
        std::lock_guard guard(mutex);
        readerRound = round;
      }
      changed.notify_all();
      std::string got = ReadReply(port, 3);
      const auto now = Clock::now();
      {
        std::lock_guard guard(mutex);
        returned = now;
        reply = std::move(got);
        doneRound = round;
      }
      changed.notify_all();
    }
  });

  std::vector<double> latencies;
  int wrong = 0;
  for (int round = 0; round < exchanges; ++round) {
    {
      std::unique_lock guard(mutex);
      changed.wait(guard, [&] { return readerRound == round; });
    }
    // Let the reader settle into its wait, then send a reading in two writes, as a meter does
    // when the line feed trails the text.
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    meter.Write("Cs,1.2345nF,D,0.01234\r");
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    const auto sent = Clock::now();
    meter.Write("\n");
    std::unique_lock guard(mutex);
    changed.wait(guard, [&] { return doneRound == round; });
    latencies.push_back(Micros(returned - sent));
    if (reply != "Cs,1.2345nF,D,0.01234") ++wrong;
  }
  reader.join();

  std::sort(latencies.begin(), latencies.end());
  const auto at = [&](double q) {
    return latencies[std::min(latencies.size() - 1,
                              static_cast<std::size_t>(q * latencies.size()))];
  };
  std::printf("reply latency over %d exchanges: median %.1f us, p99 %.1f us, max %.1f us%s\n",
              exchanges, at(0.5), at(0.99), latencies.back(), wrong ? " (WRONG REPLIES)" : "");
  std::printf("target: median < 200 us -> %s\n", at(0.5) < 200.0 ? "met" : "MISSED");
  bench::PrintRow("link: last reply byte -> ReadReply returns",
                  bench::Format("median %.1f us, p99 %.1f us", at(0.5), at(0.99)),
                  "median < 200 us", at(0.5) < 200.0);
  return wrong == 0 ? 0 : 1;
}
