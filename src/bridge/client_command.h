#pragma once
// What one command of a client's line is to the bridge, decided from its header words the way
// the meter reads them (short or long form, any letter case, optional leading colon): a command
// for the meter, one the bridge answers itself as a LAN instrument's socket does, or one that
// belongs to the panel. And what a meter command changes that the panel has to follow.
//
// A line holds one or more commands separated by ';'. Each is taken as a whole header from the
// root ("FREQ 1000;APER SLOW"), never relative to the one before it: the meter itself takes one
// command per line, so the bridge gives it them one by one.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace benchbridge {

// How a client is answered (Set.ini [Bridge] Replies, the option --replies).
enum class ReplyMode {
  kInstrument,  // a LAN instrument's socket: queries answered, commands silent, errors queued
  kAll,         // every line to the meter whole and every reply line back, "OK" and errors too
};

// "instrument" or "all" in any letter case; nothing for any other text.
std::optional<ReplyMode> ParseReplyMode(std::string_view text);
// Why text is no reply mode ("\"some\" is neither ..."); empty when it is one.
std::string ReplyModeProblem(std::string_view text);

// What a client changed on the meter, for whoever mirrors the meter's state. value: "MAX", "MIN",
// "AVG" or "OFF" for statistics, "ON" or "OFF" for deviation and the list sweep, empty otherwise.
struct MeterChange {
  enum class Kind {
    kSetting,     // anything else that is no query: read the settings back
    kStatistics,  // FUNCtion:COM
    kDeviation,   // FUNCtion:DEV:MODE
    kListState,   // LIST:STATe
    kReset,       // *RST
  };
  Kind kind = Kind::kSetting;
  std::string value;
  bool operator==(const MeterChange&) const = default;
};

struct ClientCommand {
  enum class Kind {
    kMeter,              // sent to the meter as one exchange
    kNextError,          // SYSTem:ERRor[:NEXT]?: the client's error queue
    kClearStatus,        // *CLS
    kOperationComplete,  // *OPC?
    kWait,               // *WAI: each command is whole before the next starts
    kPanelOwned,         // SYSTem:LOCal / SYSTem:REMote: the panel's, refused
  };
  Kind kind = Kind::kMeter;
  std::string text;  // the command, trimmed, TABs made blanks: what the meter gets
  bool query = false;
  std::optional<MeterChange> change;  // for meter commands that are no query
};

// The commands of one line, empty ones (";;", a trailing ';') left out.
std::vector<ClientCommand> SplitClientLine(std::string_view line);

// The one command of a line sent whole (all replies passed on): only kMeter or kPanelOwned.
ClientCommand WholeLineCommand(std::string_view line);

}  // namespace benchbridge
