// Any bytes, in any pieces, through the client-line reader: it never holds more than a line, every
// line it gives is short and clean, and it stops at the first bad one. The same bytes as a reply
// always make one line for the client.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client_command.h"
#include "client_lines.h"

using benchbridge::ClientLineReader;
using benchbridge::ClientLineStatus;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The same bytes as a meter's reply: the client always gets one line, or nothing.
  const std::string reply = benchbridge::ClientReplyLine(input);
  if (!reply.empty() && (reply.find('\n') != reply.size() - 1 || reply.find('\r') != reply.npos)) {
    std::abort();
  }
  ClientLineReader reader;
  std::size_t at = 0;
  bool ended = false;
  while (at < input.size()) {
    // The first byte of each piece says how long it is (1..256), as reads of any size would come.
    const std::size_t piece = static_cast<unsigned char>(input[at]) + 1;
    reader.Append(input.substr(at + 1, piece));
    at += piece + 1;
    for (;;) {
      const auto line = reader.Take();
      if (line.status == ClientLineStatus::kNeedMore) break;
      if (line.status != ClientLineStatus::kLine && line.status != ClientLineStatus::kBareCr) {
        if (!line.text.empty()) std::abort();
        ended = true;
        break;
      }
      if (ended || line.text.size() > benchbridge::kClientLineLimit) std::abort();
      for (const char c : line.text) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) std::abort();
      }
      for (const auto& command : benchbridge::SplitClientLine(line.text)) {
        if (command.text.empty() || command.text.find_first_of(";\t") != std::string::npos) {
          std::abort();
        }
      }
    }
    if (reader.Buffered() > benchbridge::kClientLineLimit + 1) std::abort();
  }
  return 0;
}
