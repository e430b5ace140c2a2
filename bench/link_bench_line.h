#pragma once
// The line the link benchmarks measure on: a pty endpoint as COM1 of a temporary home, and the
// panel's end opened as the program opens it.

#include <stdexcept>

#include "pty_endpoint.h"
#include "serial_port.h"
#include "temp_home.h"

namespace benchbridge::bench {

struct BenchLine {
  testing::TempHome home;
  sim::PtyEndpoint meter{home, 1};
  PortHandle port = OpenPort(1, 9600, home);

  BenchLine() {
    if (port == kInvalidPort) throw std::runtime_error("cannot open the pty");
  }
  ~BenchLine() { ClosePort(port); }
  BenchLine(const BenchLine&) = delete;
  BenchLine& operator=(const BenchLine&) = delete;
};

}  // namespace benchbridge::bench
