#include "sim_options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

namespace benchbridge::sim {
namespace {

std::optional<long long> WholeNumber(const std::string& text, long long low, long long high) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

// Settings that tune faults given elsewhere on the line, applied once everything is read.
struct FaultTuning {
  std::optional<std::chrono::milliseconds> splitGap, lateTime;
  std::optional<std::size_t> longLineBytes;
};

class Parser {
 public:
  explicit Parser(ParsedOptions& result) : result_(result), options_(result.options) {}

  void Parse(const std::vector<std::string>& arguments) {
    for (std::size_t at = 0; at < arguments.size() && result_.error.empty(); ++at) {
      std::string name = arguments[at];
      std::optional<std::string> value;
      if (const std::size_t equals = name.find('='); equals != std::string::npos) {
        value = name.substr(equals + 1);
        name.resize(equals);
      }
      if (Flag(name, value)) continue;
      if (!value) {
        if (at + 1 >= arguments.size()) {
          Fail(name + " needs a value");
          break;
        }
        value = arguments[++at];
      }
      WithValue(name, *value);
    }
    ApplyTuning();
  }

 private:
  void Fail(const std::string& message) {
    if (result_.error.empty()) result_.error = message;
  }

  // Options without a value; true when name was one.
  bool Flag(const std::string& name, const std::optional<std::string>& value) {
    static const std::map<std::string, std::function<void(Parser&)>> kFlags{
        {"--help", [](Parser& p) { p.options_.help = true; }},
        {"-h", [](Parser& p) { p.options_.help = true; }},
        {"--pace", [](Parser& p) { p.options_.pacingBaud = 9600; }},
        {"--comparator-numeric", [](Parser& p) { p.options_.instrument.comparatorNumeric = true; }},
        {"--silent", [](Parser& p) { p.AddFault(FaultKind::Silence, {}); }},
    };
    const auto found = kFlags.find(name);
    if (found == kFlags.end()) return false;
    if (value) Fail(name + " takes no value");
    found->second(*this);
    return true;
  }

  void AddFault(FaultKind kind, CommandMatch when, std::size_t bytes = 0,
                std::chrono::milliseconds time = {}) {
    options_.faults.push_back({kind, std::move(when), time, bytes});
  }

  std::optional<long long> Number(const std::string& name, const std::string& value, long long low,
                                  long long high) {
    const std::optional<long long> number = WholeNumber(value, low, high);
    if (!number) {
      Fail(name + " wants a whole number from " + std::to_string(low) + " to " +
           std::to_string(high) + ", not \"" + value + "\"");
    }
    return number;
  }

  // Seconds, with a fraction if wanted ("2", "0.5"), to the millisecond.
  std::optional<std::chrono::milliseconds> Seconds(const std::string& name,
                                                   const std::string& value) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc() || end != value.data() + value.size() || !(seconds > 0) ||
        seconds > 24.0 * 3600) {
      Fail(name + " wants seconds above 0 and up to a day, not \"" + value + "\"");
      return std::nullopt;
    }
    return std::chrono::milliseconds(std::llround(seconds * 1000));
  }

  void WithValue(const std::string& name, const std::string& value) {
    constexpr long long kLongest = 24LL * 3600 * 1000;  // a day, in ms
    if (name == "--com") {
      if (auto n = Number(name, value, 1, 299)) options_.comNumber = static_cast<int>(*n);
    } else if (name == "--home") {
      options_.home = value;
    } else if (name == "--model") {
      if (auto model = FindModel(value)) {
        options_.instrument.model = *model;
      } else {
        Fail("unknown model \"" + value + "\" (LX3101, LX3102, LX3110, LX2101, LX2102, LX2110)");
      }
    } else if (name == "--dut") {
      std::string why;
      if (auto dut = ParseDut(value, &why)) {
        options_.instrument.dut = *dut;
      } else {
        Fail("--dut: " + why);
      }
    } else if (name == "--seed") {
      if (auto n = Number(name, value, 0, 1LL << 62)) options_.seed = *n;
    } else if (name == "--pace-baud") {
      if (auto n = Number(name, value, 50, 4000000)) options_.pacingBaud = static_cast<int>(*n);
    } else if (name == "--unplug-after") {
      options_.unplugAfter = Seconds(name, value);
    } else if (name == "--replug-after") {
      options_.replugAfter = Seconds(name, value);
    } else if (name == "--transcript") {
      options_.transcript = value;
    } else if (name == "--silent-after") {
      if (auto n = Number(name, value, 0, 1LL << 30)) {
        AddFault(FaultKind::Silence, {"", static_cast<int>(*n) + 1, 0});
      }
    } else if (name == "--hangup-after") {
      if (auto n = Number(name, value, 1, 1LL << 30)) {
        AddFault(FaultKind::HangUpAfterReply, {"", 1, static_cast<int>(*n)});
      }
    } else if (name == "--delay") {
      if (auto n = Number(name, value, 0, kLongest)) {
        AddFault(FaultKind::Delay, {}, 0, std::chrono::milliseconds(*n));
      }
    } else if (name == "--split") {
      if (auto n = Number(name, value, 1, 1 << 20)) {
        AddFault(FaultKind::Split, {}, static_cast<std::size_t>(*n));
      }
    } else if (name == "--split-gap") {
      if (auto n = Number(name, value, 0, kLongest))
        tuning_.splitGap = std::chrono::milliseconds(*n);
    } else if (name == "--late-ms") {
      if (auto n = Number(name, value, 0, kLongest))
        tuning_.lateTime = std::chrono::milliseconds(*n);
    } else if (name == "--long-line-bytes") {
      if (auto n = Number(name, value, 1, 1 << 24)) {
        tuning_.longLineBytes = static_cast<std::size_t>(*n);
      }
    } else if (!CommandFault(name, value)) {
      Fail("unknown option " + name + " (see --help)");
    }
  }

  // The faults aimed at commands by their text.
  bool CommandFault(const std::string& name, const std::string& value) {
    static const std::map<std::string, FaultKind> kOnCommand{
        {"--silent-on", FaultKind::Silence},          {"--late-on", FaultKind::Late},
        {"--garbage-on", FaultKind::Garbage},         {"--cmd-err-on", FaultKind::CommandError},
        {"--exec-err-on", FaultKind::ExecutionError}, {"--hangup-on", FaultKind::HangUp},
        {"--long-line-on", FaultKind::LongLine},
    };
    const auto found = kOnCommand.find(name);
    if (found == kOnCommand.end()) return false;
    if (value.empty()) Fail(name + " needs a command");
    AddFault(found->second, {value, 1, 0});
    return true;
  }

  void ApplyTuning() {
    for (Fault& fault : options_.faults) {
      if (fault.kind == FaultKind::Split) fault.time = tuning_.splitGap.value_or(kDefaultSplitGap);
      if (fault.kind == FaultKind::Late) fault.time = tuning_.lateTime.value_or(kDefaultLate);
      if (fault.kind == FaultKind::LongLine) {
        fault.bytes = tuning_.longLineBytes.value_or(kDefaultLongLine);
      }
    }
  }

  ParsedOptions& result_;
  SimOptions& options_;
  FaultTuning tuning_;
};

}  // namespace

ParsedOptions ParseSimOptions(const std::vector<std::string>& arguments) {
  ParsedOptions result;
  Parser(result).Parse(arguments);
  return result;
}

std::string UsageText() {
  return R"(benchbridge-sim: a simulated bench LCR meter on a virtual serial port.

It opens a pseudo-terminal, links it as ports/com<N> in the panel's home folder (where the
panel looks for COM<N> first) and answers every command line with one reply line, as the
meter does: readings of the chosen component, "cmd err" for a command it does not know,
"exec err" for a bad parameter or one that does not apply in the current mode, "OK" for a
setting carried out. Texts go out in GBK with CR LF.

It serves until it gets SIGINT (Ctrl-C), SIGTERM or SIGHUP, or until its standard input ends
when that is a pipe or a socket (so it goes with the program that started it); a terminal or
/dev/null on standard input is not read. On the way out it removes its link.

Usage: benchbridge-sim [options]
  --com N              serve COM<N>, 1 to 299 (default 9)
  --home DIR           the panel's home folder; ports/com<N> is made there
                       (default: where the panel of this build or installation keeps
                       ports/ when started without --home: its own folder in a build
                       tree, ~/.config/benchbridge when installed)
  --model NAME         LX3101, LX3102 (default), LX3110, LX2101, LX2102 or LX2110
  --dut COMPONENT      the component under test (default capacitor):
                         capacitor[:C=10n,D=0.002,ESR=0,ESL=0,LEAK=100G,LOSS=0]
                         ceramic[:C=1u,D=0.01,ESR=5m,ESL=1n,LEAK=100G,LOSS=0.4]
                         inductor[:L=1m,Q=10,CW=0]   (or RW=2 instead of Q)
                         resistor[:R=1k,ESL=20n]
                         electrolytic[:C=100u,ESR=0.5,ESL=5n,LEAK=5M]
                       values take the prefixes p n u m k M G. ESR and ESL are in
                       series with the part: a capacitor resonates by itself at
                       1/(2 pi sqrt(C ESL)) (capacitor:C=470u,ESR=30m,ESL=15n does at
                       60 kHz) and reads inductive above. LOSS: the share of C a class-II
                       ceramic has lost at the top bias of 1500 mV, C0/(1+kV^2); without
                       it C drops by 1 % per V^2. Inductor: Q at 1 kHz or the winding
                       resistance RW; CW, the winding's capacitance, sets its
                       self-resonance (inductor:L=1m,RW=2,CW=100p at 503 kHz;
                       inductor:L=10m,RW=5,CW=1n at 50 kHz). A new frequency, level or
                       bias holds from the next reading on.
  --seed N             seed of the measurement noise (default: a new one each run)
  --pace               send replies at the pace of a 9600 baud line (default: at once)
  --pace-baud N        send replies at the pace of N baud
  --comparator-numeric "COMParator:STATe?" answers 1/0 instead of ON/OFF
  --transcript FILE    write every command and reply to FILE, one line each:
                         <UTC time> cmd|reply <text, control bytes escaped>
  --help               this text

Pulling the cable (like a USB adapter taken out and put back):
  SIGUSR1              unplug: the pty closes and ports/com<N> is removed, so the panel's
                       port hangs up and its device is gone (the line goes down between two
                       exchanges, once the panel has had the reply on the wire)
  SIGUSR2              plug in again: a new pty behind a new ports/com<N> link; the meter
                       itself (its settings) is the same
  --unplug-after S     unplug S seconds after each plug-in (fractions allowed: 0.5) ...
  --replug-after S     ... and plug in again S seconds after each unplug; both given, it
                       goes on and off for as long as it runs

Faults (CMD is a command line compared without regard to case; a trailing * takes every line
that starts so; fault options may be given more than once):
  --silent             answer nothing
  --silent-after N     answer the first N commands, then nothing
  --silent-on CMD      answer nothing to CMD (and do not carry it out)
  --delay MS           every reply waits MS milliseconds
  --split BYTES        replies go out in pieces of BYTES bytes ...
  --split-gap MS       ... MS milliseconds apart (default 50)
  --late-on CMD        the reply to CMD comes late ...
  --late-ms MS         ... by MS milliseconds (default 3500, past the panel's 3 s limit)
  --garbage-on CMD     carry CMD out but reply with bytes that are not valid GBK
  --cmd-err-on CMD     reply "cmd err" to CMD instead of carrying it out
  --exec-err-on CMD    reply "exec err" to CMD instead of carrying it out
  --hangup-after N     close the line right after the N-th reply
  --hangup-on CMD      close the line when CMD arrives, without a reply
  --long-line-on CMD   reply to CMD with a line that has no line feed ...
  --long-line-bytes N  ... N bytes long (default 70000)
)";
}

}  // namespace benchbridge::sim
