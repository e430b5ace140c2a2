#pragma once
// The meter's command language: a colon-separated header whose words the meter takes in their
// short form (the capitals of "FUNCtion") or their long form, in any letter case; "?" at the end
// of the header for a query; a parameter after a blank.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace benchbridge::sim {

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

}  // namespace benchbridge::sim
