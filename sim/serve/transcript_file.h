#pragma once
// The transcript as a text file, one line per command received or reply sent:
//   2026-12-07T14:03:07.045Z cmd FETCH:INT?
//   2026-12-07T14:03:07.061Z reply Cs,10.023nF,D,0.00201\r\n
// The time is UTC with milliseconds, then "cmd" or "reply", then the bytes as UTF-8 (GBK
// characters decoded) with "\\", "\r", "\n", "\t" and "\xHH" (any other control byte or a byte
// that is not valid GBK) escaped, so every line is one line and the bytes can be recovered.

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "pty_server.h"

namespace benchbridge::sim {

std::string EscapeWireBytes(std::string_view bytes);
// The exact bytes back from EscapeWireBytes' text; nothing for a text it cannot have written.
std::optional<std::string> UnescapeWireText(std::string_view text);

std::string FormatTranscriptLine(const TranscriptEntry& entry);
// Kind, time (to the millisecond) and bytes back from one line of the file.
std::optional<TranscriptEntry> ParseTranscriptLine(std::string_view line);

class TranscriptFile {
 public:
  // Creates or empties the file; throws std::runtime_error when it cannot.
  explicit TranscriptFile(const std::filesystem::path& path);
  ~TranscriptFile();
  TranscriptFile(const TranscriptFile&) = delete;
  TranscriptFile& operator=(const TranscriptFile&) = delete;

  // Appends one line and flushes it, so a reader sees every exchange as soon as it happened.
  void Write(const TranscriptEntry& entry);

 private:
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
};

}  // namespace benchbridge::sim
