#include "client_command.h"

#include "command_header.h"

namespace benchbridge {
namespace {

using Kind = ClientCommand::Kind;

std::string Normalised(std::string_view command) {
  std::string text(TrimCommandBlanks(command));
  for (char& c : text) {
    if (c == '\t') c = ' ';
  }
  return text;
}

// A header that ends in '?' or, as in "LIST:PARAmeter 3?", a command that does.
bool IsQuery(const std::string& text, const std::optional<CommandLine>& parsed) {
  return (parsed && parsed->query) || (!text.empty() && text.back() == '?');
}

std::optional<MeterChange> ChangeOf(const CommandLine& command) {
  using Change = MeterChange::Kind;
  if (HeaderMatches("FUNCtion:COM", command)) {
    static constexpr const char* kWords[] = {"MAX", "MIN", "AVG", "OFF"};
    if (const auto index = KeywordIndex(command.parameter, {"MAX", "MIN", "AVG", "OFF"})) {
      return MeterChange{Change::kStatistics, kWords[*index]};
    }
    return std::nullopt;  // the meter refuses it
  }
  for (const auto& [header, kind] : {std::pair{"FUNCtion:DEV:MODE", Change::kDeviation},
                                     std::pair{"LIST:STATe", Change::kListState}}) {
    if (HeaderMatches(header, command)) {
      const std::optional<bool> on = ParseOnOff(command.parameter);
      if (!on) return std::nullopt;
      return MeterChange{kind, *on ? "ON" : "OFF"};
    }
  }
  if (HeaderMatches("*RST", command)) return MeterChange{Change::kReset, {}};
  return MeterChange{};
}

bool PanelOwned(const std::optional<CommandLine>& parsed) {
  return parsed && !parsed->query &&
         (HeaderMatches("SYSTem:LOCal", *parsed) || HeaderMatches("SYSTem:REMote", *parsed));
}

ClientCommand Classify(std::string text, bool bridgeAnswers) {
  const std::optional<CommandLine> parsed = ParseCommandLine(text);
  ClientCommand command;
  command.query = IsQuery(text, parsed);
  command.text = std::move(text);
  if (PanelOwned(parsed)) {
    command.kind = Kind::kPanelOwned;
    return command;
  }
  if (bridgeAnswers && parsed) {
    const bool bare = parsed->parameter.empty();
    if (parsed->query && bare &&
        (HeaderMatches("SYSTem:ERRor", *parsed) || HeaderMatches("SYSTem:ERRor:NEXT", *parsed))) {
      command.kind = Kind::kNextError;
    } else if (parsed->query && bare && HeaderMatches("*OPC", *parsed)) {
      command.kind = Kind::kOperationComplete;
    } else if (!parsed->query && bare && HeaderMatches("*CLS", *parsed)) {
      command.kind = Kind::kClearStatus;
    } else if (!parsed->query && bare && HeaderMatches("*WAI", *parsed)) {
      command.kind = Kind::kWait;
    }
    if (command.kind != Kind::kMeter) return command;
  }
  if (!command.query) command.change = parsed ? ChangeOf(*parsed) : MeterChange{};
  return command;
}

}  // namespace

std::optional<ReplyMode> ParseReplyMode(std::string_view text) {
  if (const auto index = KeywordIndex(TrimCommandBlanks(text), {"INSTRUMENT", "ALL"})) {
    return *index == 0 ? ReplyMode::kInstrument : ReplyMode::kAll;
  }
  return std::nullopt;
}

std::string ReplyModeProblem(std::string_view text) {
  if (ParseReplyMode(text)) return {};
  return "\"" + std::string(text) + "\" is neither \"instrument\" nor \"all\"";
}

std::vector<ClientCommand> SplitClientLine(std::string_view line) {
  std::vector<ClientCommand> commands;
  for (;;) {
    const auto semicolon = line.find(';');
    std::string text = Normalised(line.substr(0, semicolon));
    if (!text.empty()) commands.push_back(Classify(std::move(text), true));
    if (semicolon == std::string_view::npos) return commands;
    line.remove_prefix(semicolon + 1);
  }
}

ClientCommand WholeLineCommand(std::string_view line) {
  ClientCommand whole = Classify(Normalised(line), false);
  const std::vector<ClientCommand> parts = SplitClientLine(line);
  if (parts.size() > 1) {
    // Sent whole, a compound line is refused for any refused part; it is followed by a re-read
    // when any part is no query.
    whole.change.reset();
    for (const ClientCommand& part : parts) {
      if (part.kind == Kind::kPanelOwned) whole.kind = Kind::kPanelOwned;
      if (!part.query) whole.change = MeterChange{};
    }
  }
  return whole;
}

}  // namespace benchbridge
