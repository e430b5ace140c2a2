#include "bridge_log.h"

#include <cstdio>
#include <filesystem>

#include "bridge_limits.h"
#include "client_lines.h"
#include "gbk.h"

namespace benchbridge {
namespace {

std::string Hex(unsigned char byte) {
  char text[8];
  (void)std::snprintf(text, sizeof text, "\\x%02X", byte);
  return text;
}

}  // namespace

std::string EscapeForLog(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text[0]);
    std::size_t length = 1;
    if (byte >= 0x80) {
      // The shortest prefix that is one whole character (2 to 4 bytes), or none.
      length = 0;
      for (std::size_t n = 2; n <= 4 && n <= text.size() && length == 0; ++n) {
        if (IsValidUtf8(text.substr(0, n))) length = n;
      }
    }
    if (length == 0 || byte < 0x20 || byte == 0x7F) {
      out += Hex(byte);
      length = 1;
    } else {
      out += text.substr(0, length);
    }
    text.remove_prefix(length);
  }
  return out;
}

void BridgeLog::Listening(std::string_view where) { Write("listening on " + std::string(where)); }

void BridgeLog::ListenFailed(std::string_view why) { Write(std::string(why)); }

void BridgeLog::Stopped(std::string_view where) {
  Write("stopped listening on " + std::string(where));
}

void BridgeLog::Connected(std::string_view peer, int clients) {
  Write(std::string(peer) + " connected (" + std::to_string(clients) + " of " +
        std::to_string(kBridgeClientLimit) + ")");
}

void BridgeLog::ClientRefused(std::string_view peer, std::string_view why) {
  Write(std::string(peer) + " refused: " + std::string(why));
}

void BridgeLog::Disconnected(std::uint64_t client, std::string_view peer, std::string_view why,
                             bool exchangeOnWire) {
  std::string line = std::string(peer) + " disconnected: " + std::string(why);
  std::lock_guard guard(mutex_);
  if (exchangeOnWire) {
    waiting_[client] = std::move(line);
  } else {
    WriteLocked(line);
  }
}

void BridgeLog::Exchange(std::uint64_t client, std::string_view peer, std::string_view command,
                         std::string_view reply, std::chrono::milliseconds took) {
  std::string line(peer);
  line += ": ";
  line += EscapeForLog(command);
  line += " -> ";
  std::string replyLine = ClientReplyLine(reply);
  if (!replyLine.empty()) replyLine.pop_back();
  line += replyLine.empty() ? std::string("(no reply)") : EscapeForLog(replyLine);
  line += " (" + std::to_string(took.count()) + " ms)";
  std::lock_guard guard(mutex_);
  WriteLocked(line);
  if (const auto found = waiting_.find(client); found != waiting_.end()) {
    WriteLocked(found->second);
    waiting_.erase(found);
  }
}

void BridgeLog::LineRefused(std::string_view peer, std::string_view line, std::string_view why) {
  const std::string_view quoted = CutAtCharacter(line, kQuoteLimit);
  Write(std::string(peer) + " refused \"" + EscapeForLog(quoted) +
        (quoted.size() < line.size() ? "...\"" : "\"") + ": " + std::string(why));
}

void BridgeLog::FlushWaiting() {
  std::lock_guard guard(mutex_);
  for (const auto& [client, line] : waiting_) WriteLocked(line);
  waiting_.clear();
}

void BridgeLog::Write(const std::string& line) {
  std::lock_guard guard(mutex_);
  WriteLocked(line);
}

void BridgeLog::WriteLocked(const std::string& line) {
  const std::string day = writer_.Today();
  if (day != day_) {
    day_ = day;
    std::error_code error;
    const auto size =
        std::filesystem::file_size(writer_.LogDir() / (day + kSuffix + ".log"), error);
    written_ = error ? 0 : size;
  }
  if (written_ >= kDayLimit) return;
  // The stamp after each line takes about 25 bytes.
  written_ += line.size() + 26;
  if (written_ >= kDayLimit) {
    writer_.WriteLog("the bridge log of this day is full (" + std::to_string(kDayLimit >> 20) +
                         " MB): nothing more is logged until midnight",
                     kSuffix);
    return;
  }
  writer_.WriteLog(line, kSuffix);
}

}  // namespace benchbridge
