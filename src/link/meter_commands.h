#pragma once
// The meter's command words, as this program sends them (without the line feed that ends a
// command line), and the two error replies the meter gives. Everything that talks to the meter,
// the simulated meter where it states the same thing, and the tests name them from here.

#include <string>
#include <string_view>

namespace benchbridge::command {

// Connection and identification.
inline constexpr const char* kRemote = "SYSTem:REMote";
inline constexpr const char* kLocal = "SYSTem:LOCal";
inline constexpr const char* kMeasurementPage = "DISPlay:PAGE MEASurement";
inline constexpr const char* kAskIdentity = "*IDN?";
inline constexpr const char* kAskModel = "*LX?";

// The measured function: primary parameter (or mode), secondary parameter, equivalent circuit.
inline constexpr const char* kAskPrimary = "FUNCtion:IMPedance:A?";
inline constexpr const char* kAskSecondary = "FUNCtion:IMPedance:B?";
inline constexpr const char* kAskEquivalent = "FUNCtion:IMPedance:EQUivalent?";

// The meter's own function keys, pressed by "KEYS <code>".
namespace key {
inline constexpr int kFunction = 49;   // AUTO/R/C/L/Z
inline constexpr int kSecondary = 33;  // X/D/Q/θ/ESR
inline constexpr int kCircuit = 18;    // AUTO/SER/PAL
inline constexpr int kCapacitor = 17;  // electrolytic capacitor
inline constexpr int kDcr = 37;        // DC resistance
}  // namespace key
inline std::string PressKey(int code) { return "KEYS " + std::to_string(code); }

// The poller's reading and its two extra queries.
inline constexpr const char* kFetchReading = "FETCH:INT?";
inline constexpr const char* kAskBin = "COMParator:TOLerance:BIN?";
inline constexpr const char* kAskStatisticValue = "FUNCtion:COMV?";

// The settings rows: queries, and the settings (a free value follows the words that end in a
// blank).
inline constexpr const char* kAskLevel = "VOLTage:LEVel?";
inline constexpr const char* kAskBias = "BIAS:VOLTage:LEVel?";
inline constexpr const char* kAskFrequency = "FREQuency:CW?";
inline constexpr const char* kAskAutoRange = "FUNCtion:IMPedance:RANGe:AUTO?";
inline constexpr const char* kAskOutputResistance = "OUTput:RESistance?";
inline constexpr const char* kAskSpeed = "APERture?";
inline constexpr const char* kSetLevel = "VOLTage:LEVel ";
inline constexpr const char* kSetBias = "BIAS:VOLTage:LEVel ";
inline constexpr const char* kSetFrequency = "FREQuency:CW ";
inline constexpr const char* kAutoRangeOn = "FUNCtion:IMPedance:RANGe:AUTO ON";
inline constexpr const char* kAutoRangeOff = "FUNCtion:IMPedance:RANGe:AUTO OFF";
inline constexpr const char* kOutputResistance100 = "OUTput:RESistance 0";
inline constexpr const char* kOutputResistance30 = "OUTput:RESistance 1";
inline constexpr const char* kSpeedSlow = "APERture SLOW";
inline constexpr const char* kSpeedMedium = "APERture MEDium";
inline constexpr const char* kSpeedFast = "APERture FAST";

// Statistics (followed by "MAX", "MIN" or "AVG") and deviation.
inline constexpr const char* kStatistic = "FUNCtion:COM ";
inline constexpr const char* kStatisticOff = "FUNCtion:COM OFF";
inline constexpr const char* kDeviationOn = "FUNCtion:DEV:MODE ON";
inline constexpr const char* kDeviationOff = "FUNCtion:DEV:MODE OFF";

// The comparator: its switch, the nominal value, and the limits ("<prefix><ending> <value>",
// "<prefix><ending>?").
inline constexpr const char* kAskComparator = "COMParator:STATe?";
inline constexpr const char* kComparatorOn = "COMParator:STATe ON";
inline constexpr const char* kComparatorOff = "COMParator:STATe OFF";
inline constexpr const char* kSetNominal = "COMParator:TOLerance:NOMinal ";
inline constexpr const char* kAskNominal = "COMParator:TOLerance:NOMinal?";
inline constexpr std::string_view kLimitPrefix = "COMParator:TOLerance:RANGe:";

// The list sweep: its switch, its mode, its points ("<prefix>k?", "<prefix>k,..."), its trigger.
inline constexpr const char* kListOn = "LIST:STATe ON";
inline constexpr const char* kListOff = "LIST:STATe OFF";
inline constexpr const char* kAskListMode = "LIST:MODE?";
inline constexpr const char* kListModeSequence = "LIST:MODE SEQUENCE";
inline constexpr const char* kListModeStep = "LIST:MODE STEP";
inline constexpr std::string_view kListPointPrefix = "LIST:PARAmeter ";
inline constexpr const char* kTrigger = "*TRG";

// The system options.
inline constexpr const char* kAskBeeper = "SYSTem:BEEPer:STATe?";
inline constexpr const char* kBeeperOff = "SYSTem:BEEPer:STATe 0";
inline constexpr const char* kBeeperOn = "SYSTem:BEEPer:STATe 1";
inline constexpr const char* kAskTriggerSource = "SYSTem:SOUR?";
inline constexpr const char* kTriggerInternal = "SYSTem:SOUR INT";
inline constexpr const char* kTriggerExternal = "SYSTem:SOUR EXT";
inline constexpr const char* kTriggerManual = "SYSTem:SOUR MAN";
inline constexpr const char* kAskPassTone = "SYSTem:BEEPer:PASS?";
inline constexpr const char* kPassToneOff = "SYSTem:BEEPer:PASS OFF";
inline constexpr const char* kPassToneShort = "SYSTem:BEEPer:PASS SHO";
inline constexpr const char* kPassToneLong = "SYSTem:BEEPer:PASS LON";
inline constexpr const char* kAskFailTone = "SYSTem:BEEPer:FAIL?";
inline constexpr const char* kFailToneOff = "SYSTem:BEEPer:FAIL OFF";
inline constexpr const char* kFailToneShort = "SYSTem:BEEPer:FAIL SHO";
inline constexpr const char* kFailToneLong = "SYSTem:BEEPer:FAIL LON";
inline constexpr const char* kAskPowerOn = "SYSTem:STARt?";
inline constexpr const char* kPowerOnDefault = "SYSTem:STARt 0";
inline constexpr const char* kPowerOnLast = "SYSTem:STARt 1";

// What the meter answers to a command it does not know, and to one it cannot carry out.
inline constexpr std::string_view kCommandError = "cmd err";
inline constexpr std::string_view kExecutionError = "exec err";

// The command as a line for the transaction.
inline std::string Line(std::string_view command) { return std::string(command) + "\n"; }

}  // namespace benchbridge::command
