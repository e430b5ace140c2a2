#pragma once
// The ways the simulated meter can misbehave on the line, so that tests and demos can watch the
// panel cope: silence, slow, split or late replies, garbage, error replies, a pulled cable, and
// a line that never ends.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace benchbridge::sim {

enum class FaultKind {
  Silence,           // no reply (the command is not carried out either)
  Delay,             // the reply waits `time` before its first byte
  Split,             // the reply goes out in pieces of `bytes` with `time` between them
  Late,              // the reply waits `time` (past the panel's 3 s limit unless set lower)
  Garbage,           // the command is carried out, but the reply is bytes that are not valid GBK
  CommandError,      // "cmd err" instead of carrying the command out
  ExecutionError,    // "exec err" instead of carrying the command out
  HangUp,            // the line closes when the command arrives, without a reply
  HangUpAfterReply,  // the line closes right after the reply
  LongLine,          // the reply is `bytes` bytes without any line feed
};

// Which command lines a fault applies to: all, those from a given count on, one by its count,
// or those whose text matches.
struct CommandMatch {
  // Empty: any text. Otherwise compared with the command line (trimmed of blanks and CR) without
  // regard to letter case; a "*" at its end matches any line that starts with what precedes it.
  std::string text;
  int fromCount = 1;  // applies to the fromCount-th command line and later ones (counted from 1)
  int onlyCount = 0;  // when positive: applies to that command line only

  bool Matches(std::string_view commandLine, int count) const;
};

struct Fault {
  FaultKind kind = FaultKind::Silence;
  CommandMatch when;
  std::chrono::milliseconds time{0};
  std::size_t bytes = 0;
};

inline constexpr std::chrono::milliseconds kDefaultLate{3500};
inline constexpr std::chrono::milliseconds kDefaultSplitGap{50};
inline constexpr std::chrono::milliseconds kHangUpGrace{200};
inline constexpr std::size_t kDefaultLongLine = 70000;  // more than the panel keeps of one reply

// The bytes of a garbage reply: lone and broken GBK lead bytes and a NUL among readable ones,
// ended by CR LF so that the panel takes it as one reply.
inline constexpr char kGarbageBytes[] =
    "\xFF\xFE"
    "Cs,1\x81\x7F"
    "0\x00"
    "nF\x80,D\xA6\r\n";
inline constexpr std::string_view kGarbageReply{kGarbageBytes, sizeof kGarbageBytes - 1};

}  // namespace benchbridge::sim
