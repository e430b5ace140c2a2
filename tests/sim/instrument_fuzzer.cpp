// Any bytes the panel (or a terminal) may send: the simulated meter neither crashes nor breaks
// its rule of exactly one reply line, without stray line ends, for every command line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "clock_noise.h"
#include "instrument.h"
#include "instrument_responder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace benchbridge::sim;
  ManualClock clock;
  SeededNoise noise(1);
  Instrument instrument(InstrumentOptions{}, clock, noise);
  InstrumentResponder responder(instrument);
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    const std::string line(bytes.substr(0, newline));
    bytes = newline == std::string_view::npos ? "" : bytes.substr(newline + 1);
    const Response response = responder.Respond(line);
    if (response.pieces.size() != 1 || response.hangUpAfter) __builtin_trap();
    const std::string& reply = response.pieces[0].bytes;
    if (reply.size() < 3 || !reply.ends_with("\r\n")) __builtin_trap();
    if (reply.find_first_of("\r\n") != reply.size() - 2) __builtin_trap();
    clock.Advance(std::chrono::milliseconds(40));
  }
  return 0;
}
