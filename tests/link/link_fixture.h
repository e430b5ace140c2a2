#pragma once
// A fake instrument on COM1 of a temporary home, with the panel's end of the line opened the
// way the program opens it.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "fake_instrument.h"
#include "serial_port.h"
#include "temp_home.h"

namespace benchbridge::testing {

using namespace std::chrono_literals;

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override { Open({}); }
  void TearDown() override { ClosePort(port_); }

  // Replaces the fake (and reopens the port), for tests that need other fake options.
  void Open(FakeOptions options) {
    ClosePort(port_);
    port_ = kInvalidPort;
    fake_.reset();
    fake_ = std::make_unique<FakeInstrument>(home_.Path(), options);
    port_ = OpenPort(options.comNumber, 9600, home_.Path());
    ASSERT_NE(port_, kInvalidPort);
  }

  // Milliseconds the call took; only ever compared with the time limit it was given.
  template <typename F>
  static long MillisecondsOf(F&& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count());
  }

  TempHome home_;
  std::unique_ptr<FakeInstrument> fake_;
  PortHandle port_ = kInvalidPort;
};

}  // namespace benchbridge::testing
