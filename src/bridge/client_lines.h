#pragma once
// The text rules of a bridge client: command lines in (LF or CR LF ended, UTF-8), reply lines out.
// A CR alone ends nothing: the text before it is handed back as kBareCr, never sent to the meter,
// and the reader goes on after it. No sockets here, so the reader can be fuzzed on its own.

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
  kControlByte,  // NUL, DEL or another control byte (TAB is white space) inside the line
  kBareCr,       // text holds what came before a CR that no LF followed
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
  // The client has stopped after a CR with no LF so far: that CR ends nothing either, and the
  // text before it is taken as kBareCr. kNeedMore when the buffer does not end in a CR.
  ClientLine TakeTrailingCr();
  bool EndsInCr() const { return !buffer_.empty() && buffer_.back() == '\r'; }
  std::size_t Buffered() const { return buffer_.size(); }

 private:
  std::string buffer_;
  ClientLine Cut(std::size_t length, std::size_t end, ClientLineStatus status);

  std::size_t scanned_ = 0;  // bytes of buffer_ already known to hold no line end
  ClientLineStatus failed_ = ClientLineStatus::kNeedMore;
};

// The reply as the client gets it: one line ended by LF. A reply that came with a bare line feed
// at its end (or several lines in one read) still makes exactly one line, so a client never reads
// part of one answer as the answer to its next command. Empty for an empty reply: the meter said
// nothing, and neither does the bridge.
std::string ClientReplyLine(std::string_view reply);

// The longest start of text of at most bytes bytes that does not cut a UTF-8 character.
std::string_view CutAtCharacter(std::string_view text, std::size_t bytes);

}  // namespace benchbridge
