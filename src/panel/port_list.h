#pragma once
// The serial ports the operator can choose from, named as the meter's Windows software named
// them: "COM<n>". On Linux they come from two places: the links <home>/ports/com<n> (as the
// simulator and Wine's dosdevices make them) and the real serial devices, numbered by the fixed
// table ttyS<k> -> COM<k+1>, ttyUSB<k> -> COM<100+k>, ttyACM<k> -> COM<200+k>.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace benchbridge {

struct PortEntry {
  int number = 0;       // n of COM<n>
  std::string name;     // "COM<n>"
  std::string device;   // what opening COM<n> opens
  std::string product;  // USB product name, if the device has one
  bool operator==(const PortEntry&) const = default;
};

// Where the devices and their sysfs entries are looked for; tests point these at a temporary tree.
struct PortScanRoots {
  std::filesystem::path dev = "/dev";
  std::filesystem::path sysTty = "/sys/class/tty";
};

// Every live link in <home>/ports and every real serial device, sorted by number; a link wins
// over a device of the same number, as it does when the port is opened. The kernel's ttyS
// placeholders (registered without a UART behind them) are left out.
std::vector<PortEntry> PortListFromRegistry(const std::filesystem::path& home,
                                            const PortScanRoots& roots = {});

// COM number of a device name by the fixed table: "ttyS0" -> 1, "ttyUSB3" -> 103, "ttyACM0" -> 200.
std::optional<int> ComNumberOfDevice(std::string_view deviceName);

// The number the operator's pick names: the characters from the fourth on, at most three, as a
// decimal number ("COM12" -> 12). Nothing when they are not one.
std::optional<int> PortNumberOfName(std::string_view portName);

}  // namespace benchbridge
