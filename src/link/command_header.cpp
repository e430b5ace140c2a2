#include "command_header.h"

#include <algorithm>
#include <cctype>

namespace benchbridge {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Upper(x) == Upper(y); });
}

bool IsWordCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::string_view TrimCommandBlanks(std::string_view text) {
  const auto blank = [](char c) { return IsBlank(c) || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<CommandLine> ParseCommandLine(std::string_view line) {
  line = TrimCommandBlanks(line);
  const auto blank = std::find_if(line.begin(), line.end(), IsBlank);
  std::string_view header = line.substr(0, static_cast<std::size_t>(blank - line.begin()));
  CommandLine command;
  command.parameter = std::string(TrimCommandBlanks(line.substr(header.size())));
  if (header.ends_with('?')) {
    command.query = true;
    header.remove_suffix(1);
  }
  // Common commands ("*IDN", "*TRG") are one word with a leading star.
  const bool common = header.starts_with('*');
  if (!common && header.starts_with(':')) header.remove_prefix(1);
  while (true) {
    const std::size_t colon = header.find(':');
    const std::string_view word = header.substr(0, colon);
    const std::string_view letters = common ? word.substr(1) : word;
    if (letters.empty() || !std::all_of(letters.begin(), letters.end(), IsWordCharacter)) {
      return std::nullopt;
    }
    command.words.emplace_back(word);
    if (colon == std::string_view::npos) break;
    if (common) return std::nullopt;
    header.remove_prefix(colon + 1);
  }
  return command;
}

bool WordMatches(std::string_view pattern, std::string_view written) {
  if (EqualIgnoringCase(pattern, written)) return true;
  const auto lower = std::find_if(pattern.begin(), pattern.end(), [](char c) {
    return std::islower(static_cast<unsigned char>(c)) != 0;
  });
  const std::size_t shortLength = static_cast<std::size_t>(lower - pattern.begin());
  return shortLength > 0 && EqualIgnoringCase(pattern.substr(0, shortLength), written);
}

bool HeaderMatches(std::string_view pattern, const CommandLine& command) {
  std::size_t index = 0;
  while (true) {
    const std::size_t colon = pattern.find(':');
    if (index >= command.words.size()) return false;
    if (!WordMatches(pattern.substr(0, colon), command.words[index])) return false;
    ++index;
    if (colon == std::string_view::npos) break;
    pattern.remove_prefix(colon + 1);
  }
  return index == command.words.size();
}

std::optional<std::size_t> KeywordIndex(std::string_view parameter,
                                        std::initializer_list<std::string_view> patterns) {
  std::size_t index = 0;
  for (const std::string_view pattern : patterns) {
    if (WordMatches(pattern, parameter)) return index;
    ++index;
  }
  return std::nullopt;
}

std::optional<bool> ParseOnOff(std::string_view parameter) {
  const std::optional<std::size_t> index = KeywordIndex(parameter, {"ON", "OFF", "1", "0"});
  if (!index) return std::nullopt;
  return *index == 0 || *index == 2;
}

}  // namespace benchbridge
