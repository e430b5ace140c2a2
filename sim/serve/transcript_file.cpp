#include "transcript_file.h"

#include <cerrno>
#include <ctime>
#include <stdexcept>
#include <system_error>

#include "gbk.h"

namespace benchbridge::sim {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr char kHex[] = "0123456789ABCDEF";

bool IsGbkPair(unsigned char lead, unsigned char trail) {
  return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string_view KindWord(TranscriptEntry::Kind kind) {
  return kind == TranscriptEntry::Kind::Command ? "cmd" : "reply";
}

std::string TimeText(std::chrono::system_clock::time_point when) {
  const auto sinceEpoch =
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(sinceEpoch / 1000);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char buffer[48];
  const std::size_t length = std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &parts);
  (void)std::snprintf(buffer + length, sizeof buffer - length, ".%03dZ",
                      static_cast<int>(sinceEpoch % 1000));
  return buffer;
}

std::optional<std::chrono::system_clock::time_point> ParseTime(std::string_view text) {
  // 2026-12-07T14:03:07.045Z
  if (text.size() != 24 || text[4] != '-' || text[10] != 'T' || text[19] != '.' ||
      text[23] != 'Z') {
    return std::nullopt;
  }
  std::tm parts{};
  int milliseconds = 0;
  const std::string copy(text);
  if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3dZ", &parts.tm_year, &parts.tm_mon,
                  &parts.tm_mday, &parts.tm_hour, &parts.tm_min, &parts.tm_sec,
                  &milliseconds) != 7) {
    return std::nullopt;
  }
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  const std::time_t seconds = timegm(&parts);
  return std::chrono::system_clock::time_point(std::chrono::seconds(seconds)) +
         std::chrono::milliseconds(milliseconds);
}

}  // namespace

std::string EscapeWireBytes(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    const auto c = static_cast<unsigned char>(bytes[at]);
    switch (c) {
      case '\\':
        text += "\\\\";
        continue;
      case '\r':
        text += "\\r";
        continue;
      case '\n':
        text += "\\n";
        continue;
      case '\t':
        text += "\\t";
        continue;
      default:
        break;
    }
    if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
      continue;
    }
    if (at + 1 < bytes.size() && IsGbkPair(c, static_cast<unsigned char>(bytes[at + 1]))) {
      const std::string decoded = GbkToUtf8(bytes.substr(at, 2));
      if (decoded.find(kReplacement) == std::string::npos) {
        text += decoded;
        ++at;
        continue;
      }
    }
    text += "\\x";
    text += kHex[c >> 4];
    text += kHex[c & 0x0F];
  }
  return text;
}

std::optional<std::string> UnescapeWireText(std::string_view text) {
  std::string bytes;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t escape = text.find('\\', at);
    bytes += Utf8ToGbk(text.substr(at, escape - at));
    if (escape == std::string_view::npos) break;
    if (escape + 1 >= text.size()) return std::nullopt;
    const char what = text[escape + 1];
    at = escape + 2;
    switch (what) {
      case '\\':
        bytes += '\\';
        break;
      case 'r':
        bytes += '\r';
        break;
      case 'n':
        bytes += '\n';
        break;
      case 't':
        bytes += '\t';
        break;
      case 'x': {
        const int high = at < text.size() ? HexValue(text[at]) : -1;
        const int low = at + 1 < text.size() ? HexValue(text[at + 1]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        at += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return bytes;
}

std::string FormatTranscriptLine(const TranscriptEntry& entry) {
  return TimeText(entry.when) + " " + std::string(KindWord(entry.kind)) + " " +
         EscapeWireBytes(entry.bytes);
}

std::optional<TranscriptEntry> ParseTranscriptLine(std::string_view line) {
  const std::size_t first = line.find(' ');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = line.find(' ', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  const auto when = ParseTime(line.substr(0, first));
  const std::string_view kindWord = line.substr(first + 1, second - first - 1);
  auto bytes = UnescapeWireText(line.substr(second + 1));
  if (!when || !bytes || (kindWord != "cmd" && kindWord != "reply")) return std::nullopt;
  const auto kind =
      kindWord == "cmd" ? TranscriptEntry::Kind::Command : TranscriptEntry::Kind::Reply;
  return TranscriptEntry{kind, *when, std::move(*bytes)};
}

TranscriptFile::TranscriptFile(const std::filesystem::path& path)
    : file_(std::fopen(path.c_str(), "w")) {
  if (file_ == nullptr) {
    throw std::runtime_error("cannot write the transcript " + path.string() + ": " +
                             std::generic_category().message(errno));
  }
}

TranscriptFile::~TranscriptFile() { (void)std::fclose(file_); }

void TranscriptFile::Write(const TranscriptEntry& entry) {
  const std::string line = FormatTranscriptLine(entry) + "\n";
  std::lock_guard guard(mutex_);
  (void)std::fwrite(line.data(), 1, line.size(), file_);
  (void)std::fflush(file_);
}

}  // namespace benchbridge::sim
