#include "error_queue.h"

#include "client_lines.h"

namespace benchbridge {
namespace {

constexpr std::size_t kDetailLimit = 60;

std::string Entry(int code, std::string_view detail) {
  std::string text(ScpiErrorText(code));
  if (!detail.empty()) {
    text += ';';
    text += CutAtCharacter(detail, kDetailLimit);
  }
  std::string entry = std::to_string(code) + ",\"";
  for (const char c : text) {
    entry += c;
    if (c == '"') entry += '"';  // a quote inside a SCPI string is doubled
  }
  return entry + '"';
}

}  // namespace

std::string_view ScpiErrorText(int code) {
  switch (code) {
    case 0:
      return "No error";
    case scpi_error::kCommand:
      return "Command error";
    case scpi_error::kInvalidCharacter:
      return "Invalid character";
    case scpi_error::kExecution:
      return "Execution error";
    case scpi_error::kSettingsConflict:
      return "Settings conflict";
    case scpi_error::kHardware:
      return "Hardware error";
    case scpi_error::kQueueOverflow:
      return "Queue overflow";
    default:
      return "Error";
  }
}

void ErrorQueue::Push(int code, std::string_view detail) {
  if (entries_.size() < kCapacity) {
    entries_.push_back(Entry(code, detail));
  } else {
    entries_.back() = Entry(scpi_error::kQueueOverflow, {});
  }
}

std::string ErrorQueue::Next() {
  if (entries_.empty()) return Entry(0, {});
  std::string next = std::move(entries_.front());
  entries_.pop_front();
  return next;
}

}  // namespace benchbridge
