#pragma once
// The text rules of a bridge client: command lines in (LF or CR LF ended, UTF-8), reply lines out.
// No sockets here, so the reader can be fuzzed on its own.

#include <cstddef>
#include <string>
#include <string_view>

namespace benchbridge {

// Longest command line a client may send, without its line end.
inline constexpr std::size_t kClientLineLimit = 1024;

enum class ClientLineStatus {
  kNeedMore,     // no whole line buffered yet: read more
  kLine,         // text holds one command line, line end removed
  kTooLong,      // more than kClientLineLimit bytes before the line end
  kControlByte,  // NUL, DEL or another control byte inside the line
  kNotUtf8,      // bytes that are not UTF-8
};

struct ClientLine {
  ClientLineStatus status = ClientLineStatus::kNeedMore;
  std::string text;
};

// Cuts a client's bytes into command lines. Holds at most one line limit plus one read of
// bytes; a line that cannot be used ends the reader (the client is let go: after a bad line
// there is no telling where the next command starts), so every later Take() says the same.
class ClientLineReader {
 public:
  void Append(std::string_view bytes);
  ClientLine Take();
  std::size_t Buffered() const { return buffer_.size(); }

 private:
  std::string buffer_;
  std::size_t scanned_ = 0;  // bytes of buffer_ already known to hold no line feed
  ClientLineStatus failed_ = ClientLineStatus::kNeedMore;
};

// The reply as the client gets it: one line ended by LF. A reply that came with a bare line feed
// at its end (or several lines in one read) still makes exactly one line, so a client never reads
// part of one answer as the answer to its next command. Empty for an empty reply: the meter said
// nothing, and neither does the bridge.
std::string ClientReplyLine(std::string_view reply);

// False only when every ';'-separated command of the line asks something ("?"); such a line
// cannot have changed what the panel shows.
bool MayChangeSettings(std::string_view line);

}  // namespace benchbridge
