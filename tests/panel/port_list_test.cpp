// The port list on Linux: links in <home>/ports and real serial devices, as COM<n>, in a
// temporary tree standing in for /dev and /sys/class/tty.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "port_list.h"
#include "temp_home.h"

namespace benchbridge {
namespace {

namespace fs = std::filesystem;
using testing::TempHome;

class PortListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    roots_.dev = home_.Path() / "dev";
    roots_.sysTty = home_.Path() / "sys";
    fs::create_directories(roots_.dev);
    fs::create_directories(roots_.sysTty);
    fs::create_directories(home_.Path() / "ports");
  }
  void Touch(const fs::path& file, const std::string& text = "") {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }
  // A device node and its sysfs entry; type is the UART type ("" for no type attribute).
  void Device(const std::string& name, const std::string& type = "") {
    Touch(roots_.dev / name);
    fs::create_directories(roots_.sysTty / name);
    if (!type.empty()) Touch(roots_.sysTty / name / "type", type + "\n");
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const PortEntry& port : PortListFromRegistry(home_.Path(), roots_)) {
      names.push_back(port.name);
    }
    return names;
  }

  TempHome home_;
  PortScanRoots roots_;
};

TEST_F(PortListTest, DevicesAreNumberedByTheFixedTableAndSortedByNumber) {
  Device("ttyACM1");
  Device("ttyUSB0");
  Device("ttyS2", "4");
  Device("ttyS0", "4");
  Touch(roots_.dev / "tty0");    // not a serial port
  Touch(roots_.dev / "ttyS99");  // beyond COM99: no number of its own
  EXPECT_EQ(Names(), (std::vector<std::string>{"COM1", "COM3", "COM100", "COM201"}));
}

TEST_F(PortListTest, PlaceholderUartsAreLeftOut) {
  Device("ttyS0", "4");
  Device("ttyS1", "0");  // registered by the kernel, no UART behind it
  Device("ttyS2");       // no type attribute and no driver: nothing known to be there
  EXPECT_EQ(Names(), (std::vector<std::string>{"COM1"}));
}

TEST_F(PortListTest, LiveLinksCountAndWinOverADeviceOfTheSameNumber) {
  Device("ttyS2", "4");
  const fs::path target = home_.Path() / "pty";
  Touch(target);
  fs::create_symlink(target, home_.Path() / "ports" / "com3");
  fs::create_symlink(target, home_.Path() / "ports" / "com12");
  fs::create_symlink(home_.Path() / "gone", home_.Path() / "ports" / "com4");  // dangling
  fs::create_symlink(target, home_.Path() / "ports" / "comX");
  fs::create_symlink(target, home_.Path() / "ports" / "com1000");  // would not survive the pick

  const auto ports = PortListFromRegistry(home_.Path(), roots_);
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0], (PortEntry{3, "COM3", target.string(), ""}));
  EXPECT_EQ(ports[1].name, "COM12");
}

TEST_F(PortListTest, UsbAdaptersCarryTheirProductName) {
  Device("ttyUSB0");
  const fs::path usbDevice = home_.Path() / "bus" / "1-1";
  fs::create_directories(usbDevice / "1-1:1.0" / "ttyUSB0");
  Touch(usbDevice / "product", "FT232R USB UART\n");
  fs::create_directory_symlink(usbDevice / "1-1:1.0" / "ttyUSB0",
                               roots_.sysTty / "ttyUSB0" / "device");
  const auto ports = PortListFromRegistry(home_.Path(), roots_);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].product, "FT232R USB UART");
  EXPECT_EQ(ports[0].device, (roots_.dev / "ttyUSB0").string());
}

TEST_F(PortListTest, AMissingPortsFolderOrDeviceTreeGivesWhatIsThere) {
  fs::remove_all(home_.Path() / "ports");
  fs::remove_all(roots_.dev);
  EXPECT_TRUE(Names().empty());
}

TEST(PortNumbers, DeviceNamesMapToComNumbers) {
  EXPECT_EQ(ComNumberOfDevice("ttyS0"), 1);
  EXPECT_EQ(ComNumberOfDevice("ttyS98"), 99);
  EXPECT_EQ(ComNumberOfDevice("ttyUSB3"), 103);
  EXPECT_EQ(ComNumberOfDevice("ttyACM99"), 299);
  EXPECT_EQ(ComNumberOfDevice("ttyUSB100"), std::nullopt);
  EXPECT_EQ(ComNumberOfDevice("ttyS"), std::nullopt);
  EXPECT_EQ(ComNumberOfDevice("ttyS-1"), std::nullopt);
  EXPECT_EQ(ComNumberOfDevice("ttyAMA0"), std::nullopt);
}

TEST(PortNumbers, APickNamesItsNumberFromTheFourthCharacterOn) {
  EXPECT_EQ(PortNumberOfName("COM3"), 3);
  EXPECT_EQ(PortNumberOfName("COM12"), 12);
  EXPECT_EQ(PortNumberOfName("COM1234"), 123);  // at most three characters
  EXPECT_EQ(PortNumberOfName("COM"), std::nullopt);
  EXPECT_EQ(PortNumberOfName("COMX"), std::nullopt);
  EXPECT_EQ(PortNumberOfName("COM1a"), std::nullopt);
  EXPECT_EQ(PortNumberOfName("COM 1"), std::nullopt);
}

}  // namespace
}  // namespace benchbridge
