#include "client_lines.h"

#include "gbk.h"

namespace benchbridge {
namespace {

bool IsControlByte(unsigned char byte) { return (byte < 0x20 && byte != '\t') || byte == 0x7F; }

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
  const auto end = buffer_.find_first_of("\r\n", scanned_);
  const bool crLast = end != std::string::npos && buffer_[end] == '\r' && end + 1 == buffer_.size();
  if (end == std::string::npos || crLast) {
    // A CR at the end may still be followed by the LF that makes it a line end.
    scanned_ = end == std::string::npos ? buffer_.size() : end;
    if (scanned_ > kClientLineLimit) {
      failed_ = ClientLineStatus::kTooLong;
      buffer_.clear();
      return {failed_, {}};
    }
    return {};
  }
  if (buffer_[end] == '\n') return Cut(end, end + 1, ClientLineStatus::kLine);
  if (buffer_[end + 1] == '\n') return Cut(end, end + 2, ClientLineStatus::kLine);
  return Cut(end, end + 1, ClientLineStatus::kBareCr);
}

ClientLine ClientLineReader::TakeTrailingCr() {
  if (failed_ != ClientLineStatus::kNeedMore || !EndsInCr()) return {};
  return Cut(buffer_.size() - 1, buffer_.size(), ClientLineStatus::kBareCr);
}

ClientLine ClientLineReader::Cut(std::size_t length, std::size_t end, ClientLineStatus status) {
  const std::string_view text = std::string_view(buffer_).substr(0, length);
  const ClientLineStatus checked = Check(text);
  ClientLine line{checked == ClientLineStatus::kLine ? status : checked, std::string(text)};
  buffer_.erase(0, end);
  scanned_ = 0;
  if (checked != ClientLineStatus::kLine) {
    failed_ = checked;
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

std::string_view CutAtCharacter(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
  return text.substr(0, bytes);
}

}  // namespace benchbridge
