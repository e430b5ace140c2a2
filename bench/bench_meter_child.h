#pragma once
// The simulated LX2110 (or another model), paced at 9600 baud, in a child process forked before the
// benchmark starts any thread, so its CPU is not counted as the program's; its transcript (system
// clock, full resolution) comes back in a file once the child is told to stop. The programs that
// run it also share its statistics (bench_stats.h) and the process's CPU clock.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "simulated_meter.h"

namespace benchbridge::bench {

struct WireEvent {
  bool command = false;
  std::int64_t nanoseconds = 0;  // system clock
  std::string bytes;
};

inline std::int64_t Nanos(std::chrono::system_clock::time_point when) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
}

inline std::string Hex(const std::string& bytes) {
  std::string hex;
  char pair[3];
  for (unsigned char byte : bytes) {
    (void)std::snprintf(pair, sizeof pair, "%02X", byte);
    hex += pair;
  }
  return hex;
}

inline std::string Unhex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

class MeterChild {
 public:
  // Forks the meter as COM<comNumber> of home; false when it did not start.
  bool Start(const std::filesystem::path& home, int comNumber, const std::string& model = "LX2110",
             const std::string& dut = "capacitor") {
    model_ = model;
    dut_ = dut;
    transcript_ = home / "transcript.txt";
    int ready[2], stop[2];
    if (pipe(ready) != 0 || pipe(stop) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(stop[1]);
      Serve(home, comNumber, ready[1], stop[0]);
    }
    close(ready[1]);
    close(stop[0]);
    stopFd_ = stop[1];
    char byte;
    const bool started = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    return started;
  }

  // Stops the meter and reads its transcript; false when the child failed.
  bool Stop(std::vector<WireEvent>& wire) {
    close(stopFd_);
    int status = 0;
    waitpid(pid_, &status, 0);
    std::ifstream in(transcript_);
    for (std::string line; std::getline(in, line);) {
      std::istringstream fields(line);
      std::string kind, hex;
      WireEvent event;
      fields >> kind >> event.nanoseconds >> hex;
      event.command = kind == "C";
      event.bytes = Unhex(hex);
      wire.push_back(std::move(event));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

 private:
  // Serves until the parent closes the stop pipe, then writes the transcript.
  [[noreturn]] void Serve(const std::filesystem::path& home, int comNumber, int readyFd,
                          int stopFd) {
    int status = 0;
    try {
      sim::SimulatedMeterOptions options;
      options.comNumber = comNumber;
      options.pacingBaud = 9600;
      options.seed = 7;
      options.instrument.model = *sim::FindModel(model_);
      std::string why;
      options.instrument.dut = *sim::ParseDut(dut_, &why);
      std::vector<sim::TranscriptEntry> entries;
      options.onTranscript = [&entries](const sim::TranscriptEntry& entry) {
        entries.push_back(entry);  // the server thread only; read after the meter is gone
      };
      {
        sim::SimulatedMeter meter(home, options);
        (void)!write(readyFd, "r", 1);
        char ignored;
        while (read(stopFd, &ignored, 1) > 0) {
        }
      }
      std::ofstream out(transcript_);
      for (const sim::TranscriptEntry& entry : entries) {
        out << (entry.kind == sim::TranscriptEntry::Kind::Command ? "C " : "R ")
            << Nanos(entry.when) << ' ' << Hex(entry.bytes) << '\n';
      }
    } catch (const std::exception& error) {
      (void)std::fprintf(stderr, "meter: %s\n", error.what());
      status = 1;
    }
    _exit(status);
  }

  std::filesystem::path transcript_;
  std::string model_, dut_;
  pid_t pid_ = -1;
  int stopFd_ = -1;
};

inline double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace benchbridge::bench
