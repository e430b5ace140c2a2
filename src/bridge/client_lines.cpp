#include "client_lines.h"

#include "gbk.h"

namespace benchbridge {
namespace {

bool IsControlByte(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

ClientLineStatus Check(std::string_view line) {
  if (line.size() > kClientLineLimit) return ClientLineStatus::kTooLong;
  for (const char c : line) {
    if (IsControlByte(static_cast<unsigned char>(c))) return ClientLineStatus::kControlByte;
  }
  if (!IsValidUtf8(line)) return ClientLineStatus::kNotUtf8;
  return ClientLineStatus::kLine;
}

}  // namespace

void ClientLineReader::Append(std::string_view bytes) {
  if (failed_ == ClientLineStatus::kNeedMore) buffer_.append(bytes);
}

ClientLine ClientLineReader::Take() {
  if (failed_ != ClientLineStatus::kNeedMore) return {failed_, {}};
  const auto end = buffer_.find('\n', scanned_);
  if (end == std::string::npos) {
    scanned_ = buffer_.size();
    // A CR may still be followed by the LF that makes it a line end.
    const std::size_t cr = !buffer_.empty() && buffer_.back() == '\r' ? 1 : 0;
    if (buffer_.size() - cr > kClientLineLimit) {
      failed_ = ClientLineStatus::kTooLong;
      buffer_.clear();
      return {failed_, {}};
    }
    return {};
  }
  std::size_t length = end;
  if (length > 0 && buffer_[length - 1] == '\r') --length;
  ClientLine line{Check(std::string_view(buffer_).substr(0, length)), buffer_.substr(0, length)};
  buffer_.erase(0, end + 1);
  scanned_ = 0;
  if (line.status != ClientLineStatus::kLine) {
    failed_ = line.status;
    buffer_.clear();
    line.text.clear();
  }
  return line;
}

std::string ClientReplyLine(std::string_view reply) {
  while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) reply.remove_suffix(1);
  if (reply.empty()) return {};
  std::string line(reply);
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  line += '\n';
  return line;
}

bool MayChangeSettings(std::string_view line) {
  for (;;) {
    const auto semicolon = line.find(';');
    const std::string_view command = line.substr(0, semicolon);
    const bool blank = command.find_first_not_of(' ') == std::string_view::npos;
    if (!blank && command.find('?') == std::string_view::npos) return true;
    if (semicolon == std::string_view::npos) return false;
    line.remove_prefix(semicolon + 1);
  }
}

}  // namespace benchbridge
