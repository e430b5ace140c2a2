#include "port_list.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>
#include <system_error>

namespace benchbridge {

namespace {

namespace fs = std::filesystem;

struct DeviceKind {
  std::string_view prefix;
  int firstCom;
  int count;
};

constexpr int kHighestLinkNumber = 999;

constexpr DeviceKind kKinds[] = {{"ttyUSB", 100, 100}, {"ttyACM", 200, 100}, {"ttyS", 1, 99}};

std::optional<int> Decimal(std::string_view digits) {
  if (digits.empty() ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  int value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return value;
}

std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
    line.pop_back();
  }
  return line;
}

// ttyS entries exist for every UART slot the kernel reserved; only those with a UART behind them
// have a port type other than 0 (PORT_UNKNOWN).
bool HasUart(const fs::path& sysEntry) {
  std::error_code error;
  if (fs::exists(sysEntry / "type", error)) {
    const auto type = Decimal(FirstLine(sysEntry / "type"));
    return type.has_value() && *type != 0;
  }
  // Without the type attribute: the 8250 platform driver owns the placeholders.
  const fs::path driver = fs::read_symlink(sysEntry / "device" / "driver", error);
  return !error && driver.filename() != "serial8250";
}

// A USB adapter's product name sits in the USB device a level or two above the tty's device.
std::string UsbProduct(const fs::path& sysEntry) {
  std::error_code error;
  fs::path dir = fs::canonical(sysEntry / "device", error);
  if (error) {
    return {};
  }
  for (int level = 0; level < 3 && !dir.empty(); ++level, dir = dir.parent_path()) {
    if (fs::exists(dir / "product", error)) {
      return FirstLine(dir / "product");
    }
  }
  return {};
}

void AddLinks(const fs::path& portsDir, std::map<int, PortEntry>& ports) {
  std::error_code error;
  for (fs::directory_iterator it(portsDir, error), end; !error && it != end; it.increment(error)) {
    const std::string file = it->path().filename().string();
    if (file.size() < 4 || file.compare(0, 3, "com") != 0) {
      continue;
    }
    const auto number = Decimal(std::string_view(file).substr(3));
    std::error_code targetError;
    // A pick takes at most three digits for the number, so COM1000 and above could never be
    // chosen as themselves; a dangling link is a simulator that has gone.
    if (!number || *number <= 0 || *number > kHighestLinkNumber ||
        !fs::exists(it->path(), targetError)) {
      continue;
    }
    const fs::path target = fs::read_symlink(it->path(), targetError);
    ports[*number] = {*number,
                      "COM" + std::to_string(*number),
                      targetError ? it->path().string() : target.string(),
                      {}};
  }
}

void AddDevices(const PortScanRoots& roots, std::map<int, PortEntry>& ports) {
  std::error_code error;
  for (fs::directory_iterator it(roots.dev, error), end; !error && it != end; it.increment(error)) {
    const std::string file = it->path().filename().string();
    const auto number = ComNumberOfDevice(file);
    if (!number || ports.count(*number) != 0) {
      continue;
    }
    const fs::path sysEntry = roots.sysTty / file;
    if (file.rfind("ttyS", 0) == 0 && !HasUart(sysEntry)) {
      continue;
    }
    ports[*number] = {*number, "COM" + std::to_string(*number), it->path().string(),
                      UsbProduct(sysEntry)};
  }
}

}  // namespace

std::optional<int> ComNumberOfDevice(std::string_view deviceName) {
  for (const DeviceKind& kind : kKinds) {
    if (deviceName.substr(0, kind.prefix.size()) != kind.prefix) {
      continue;
    }
    const auto index = Decimal(deviceName.substr(kind.prefix.size()));
    if (!index || *index >= kind.count) {
      return std::nullopt;
    }
    return kind.firstCom + *index;
  }
  return std::nullopt;
}

std::optional<int> PortNumberOfName(std::string_view portName) {
  if (portName.size() <= 3) {
    return std::nullopt;
  }
  return Decimal(portName.substr(3, 3));
}

std::vector<PortEntry> PortListFromRegistry(const fs::path& home, const PortScanRoots& roots) {
  std::map<int, PortEntry> ports;
  AddLinks(home / "ports", ports);
  AddDevices(roots, ports);
  std::vector<PortEntry> list;
  list.reserve(ports.size());
  for (auto& [number, entry] : ports) {
    list.push_back(std::move(entry));
  }
  return list;
}

}  // namespace benchbridge
