#pragma once
// How the meter reads a command line: a colon-separated header whose words it takes in their
// short form (the capitals of "FUNCtion") or their long form, in any letter case, with or without
// a leading colon; "?" at the end of the header for a query; a parameter after a blank or a TAB.
// The simulated meter answers by these rules and the network bridge decides by them what a
// client's line does, so both read a line the same way.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace benchbridge {

struct CommandLine {
  std::vector<std::string> words;  // header words as written, without colons and "?"
  bool query = false;
  std::string parameter;  // the rest of the line, trimmed of blanks; may be empty
};

// Nothing for a line that is no command at all (empty, a stray colon, odd characters).
std::optional<CommandLine> ParseCommandLine(std::string_view line);

// pattern "FUNCtion" takes "FUNC" and "FUNCTION" in any case, and nothing in between.
bool WordMatches(std::string_view pattern, std::string_view written);

// pattern "FUNCtion:IMPedance:A" against the header of a command line.
bool HeaderMatches(std::string_view pattern, const CommandLine& command);

// Index of the first pattern that the parameter matches as a word, or nothing.
std::optional<std::size_t> KeywordIndex(std::string_view parameter,
                                        std::initializer_list<std::string_view> patterns);

// "ON", "OFF", "1", "0" (any case).
std::optional<bool> ParseOnOff(std::string_view parameter);

// Without leading and trailing blanks, TABs, CRs and LFs.
std::string_view TrimCommandBlanks(std::string_view text);

}  // namespace benchbridge
