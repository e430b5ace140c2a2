#pragma once
// A client's SCPI error queue, read with SYSTem:ERRor? and emptied by *CLS: oldest first, each
// entry '<code>,"<description>[;<detail>]"'. When it is full, the newest entry becomes -350
// "Queue overflow" and later errors are lost, as an instrument's queue behaves.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace benchbridge {

namespace scpi_error {
inline constexpr int kCommand = -100;           // the meter answered "cmd err"
inline constexpr int kInvalidCharacter = -101;  // a character the meter's GBK cannot hold
inline constexpr int kExecution = -200;         // the meter answered "exec err"
inline constexpr int kSettingsConflict = -221;  // a command that belongs to the panel
inline constexpr int kHardware = -240;          // the meter said nothing in its 3 s
inline constexpr int kQueueOverflow = -350;
}  // namespace scpi_error

class ErrorQueue {
 public:
  static constexpr std::size_t kCapacity = 16;

  // detail: what the entry is about (the command), cut to a readable length.
  void Push(int code, std::string_view detail = {});
  // The oldest entry, taken out; '0,"No error"' when there is none.
  std::string Next();
  void Clear() { entries_.clear(); }
  std::size_t Size() const { return entries_.size(); }

 private:
  std::deque<std::string> entries_;
};

// The standard description of a code: "Command error", "Execution error", ...
std::string_view ScpiErrorText(int code);

}  // namespace benchbridge
