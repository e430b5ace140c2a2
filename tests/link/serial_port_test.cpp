// Port names, opening and line settings, on real pseudo-terminals.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "fd_wait.h"
#include "link_fixture.h"

namespace benchbridge::testing {
namespace {

std::size_t OpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

TEST(PortPath, FixedTableWithoutLinks) {
  const std::filesystem::path noHome;
  EXPECT_EQ(PortPath(1, noHome), "/dev/ttyS0");
  EXPECT_EQ(PortPath(15, noHome), "/dev/ttyS14");
  EXPECT_EQ(PortPath(99, noHome), "/dev/ttyS98");
  EXPECT_EQ(PortPath(100, noHome), "/dev/ttyUSB0");
  EXPECT_EQ(PortPath(150, noHome), "/dev/ttyUSB50");
  EXPECT_EQ(PortPath(199, noHome), "/dev/ttyUSB99");
  EXPECT_EQ(PortPath(201, noHome), "/dev/ttyACM1");
  EXPECT_EQ(PortPath(299, noHome), "/dev/ttyACM99");
  EXPECT_EQ(PortPath(0, noHome), "");
  EXPECT_EQ(PortPath(-3, noHome), "");
  EXPECT_EQ(PortPath(300, noHome), "");
  EXPECT_EQ(OpenPort(300, 9600, noHome), kInvalidPort);
}

TEST(PortPath, LinkInTheHomeFolderComesFirst) {
  TempHome home;
  EXPECT_EQ(PortPath(15, home), "/dev/ttyS14");  // no ports/ folder yet
  std::filesystem::create_directories(home.Path() / "ports");
  std::filesystem::create_symlink("/dev/null", home.Path() / "ports" / "com15");
  EXPECT_EQ(PortPath(15, home), (home.Path() / "ports" / "com15").string());
  EXPECT_EQ(PortPath(16, home), "/dev/ttyS15");
  // A dangling link is still this port's link: opening it fails instead of reaching ttyS.
  std::filesystem::create_symlink(home.Path() / "gone", home.Path() / "ports" / "com400");
  EXPECT_EQ(PortPath(400, home), (home.Path() / "ports" / "com400").string());
  EXPECT_EQ(OpenPort(400, 9600, home), kInvalidPort);
}

class OpenPortTest : public LinkTest {
 protected:
  // Gives the port settings of its own (change edits them), then opens it as the program does.
  void ReopenWithSettings(const std::function<void(termios&)>& change) {
    ClosePort(port_);
    const int other = open(fake_->Server().Endpoint().SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    termios settings{};
    ASSERT_EQ(tcgetattr(other, &settings), 0);
    change(settings);
    ASSERT_EQ(tcsetattr(other, TCSANOW, &settings), 0);
    close(other);
    port_ = OpenPort(1, 9600, home_);
    ASSERT_NE(port_, kInvalidPort);
  }
};

TEST_F(OpenPortTest, SetsBaudAnd8N1AndLeavesHardwareFlowControl) {
  // The port's own settings before we open it: flow control on, the line discipline cooking.
  ReopenWithSettings([](termios& before) {
    before.c_cflag |= CRTSCTS | PARENB | CSTOPB;
    before.c_iflag |= IXON | IXOFF | IXANY | ICRNL;
    before.c_lflag |= ICANON | ECHO;
    before.c_oflag |= OPOST;
    cfsetospeed(&before, B1200);
  });
  termios now{};
  ASSERT_EQ(tcgetattr(port_, &now), 0);
  EXPECT_EQ(cfgetospeed(&now), B9600);
  EXPECT_EQ(cfgetispeed(&now), B9600);
  EXPECT_EQ(now.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(now.c_cflag & (PARENB | CSTOPB), 0u);
  EXPECT_NE(now.c_cflag & CRTSCTS, 0u);                 // hardware flow control as the port had it
  EXPECT_EQ(now.c_iflag & (IXON | IXOFF | IXANY), 0u);  // the meter uses no XON/XOFF
  EXPECT_EQ(now.c_lflag & (ICANON | ECHO), 0u);         // raw bytes, no echo to the meter
  EXPECT_EQ(now.c_iflag & ICRNL, 0u);
  EXPECT_EQ(now.c_oflag & OPOST, 0u);
  // And the bytes pass untouched both ways.
  fake_->Respond("X?\r", RawBytes("a\rb\r\n"));
  ASSERT_TRUE(WriteAll(port_, "X?\r\n"));
  ASSERT_TRUE(fake_->WaitForCommandCount(1, 5s));
  EXPECT_EQ(fake_->Commands().back(), "X?\r");
  EXPECT_EQ(ReadReply(port_, 5), "a\rb");
}

// 0x13 and 0x11 are plain bytes of a reply: taken as XOFF they would vanish and stop the
// program's output until an XON came. A Linux tty starts with XON/XOFF on.
TEST_F(OpenPortTest, XoffAndXonInsideRepliesAreDataAndStopNothing) {
  ReopenWithSettings([](termios& settings) { settings.c_iflag |= IXON; });

  const std::string withXoff = std::string("1") + '\x13' + "2";
  const std::string withXon = std::string("3") + '\x11' + "4";
  fake_->Respond("A?", RawBytes(withXoff + "\r\n"));
  fake_->Respond("B?", RawBytes(withXon + "\r\n"));
  fake_->Reply("C?", "OK");
  const std::pair<std::string, std::string> exchanges[] = {
      {"A?", withXoff}, {"C?", "OK"}, {"B?", withXon}, {"C?", "OK"}};
  for (const auto& [command, reply] : exchanges) {
    ASSERT_TRUE(WriteAll(port_, command + "\n")) << command;
    EXPECT_EQ(ReadReply(port_, 60), reply) << command;
  }
  EXPECT_EQ(fake_->Commands(), (std::vector<std::string>{"A?", "C?", "B?", "C?"}));
}

TEST_F(OpenPortTest, SecondOpenFailsWhileTheFirstIsOpen) {
  EXPECT_EQ(OpenPort(1, 9600, home_), kInvalidPort);
  EXPECT_EQ(OpenPortPath(fake_->Server().Endpoint().SlavePath(), 9600), kInvalidPort);
  ClosePort(port_);
  port_ = OpenPort(1, 9600, home_);
  EXPECT_NE(port_, kInvalidPort);
}

TEST_F(OpenPortTest, UnknownBaudFailsAndLeavesThePortFree) {
  ClosePort(port_);
  port_ = kInvalidPort;
  EXPECT_EQ(OpenPort(1, 9601, home_), kInvalidPort);
  EXPECT_EQ(OpenPort(1, 0, home_), kInvalidPort);
  port_ = OpenPort(1, 115200, home_);
  EXPECT_NE(port_, kInvalidPort);
}

TEST(OpenPort, ConfigurationFailureLeavesNothingOpen) {
  TempHome home;
  std::filesystem::create_directories(home.Path() / "ports");
  const auto file = home.Path() / "not-a-tty";
  std::ofstream(file) << "x";
  std::filesystem::create_symlink(file, home.Path() / "ports" / "com7");

  const std::size_t before = OpenDescriptors();
  EXPECT_EQ(OpenPort(7, 9600, home), kInvalidPort);  // opens, then no terminal settings
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(OpenPort(7, 9600, home), kInvalidPort);  // and again: nothing left locked
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(OpenPort(8, 9600, home), kInvalidPort);  // /dev/ttyS7: absent or not openable here
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(OpenPort, InvalidHandleIsHarmlessEverywhere) {
  EXPECT_EQ(PendingBytes(kInvalidPort), 0u);
  EXPECT_EQ(ReadReply(kInvalidPort, 60), "");
  EXPECT_FALSE(WriteAll(kInvalidPort, "x"));
  DiscardPending(kInvalidPort);
  ClosePort(kInvalidPort);
}

TEST_F(OpenPortTest, PendingBytesIsCappedAt256) {
  ASSERT_TRUE(fake_->Inject(std::string(1000, 'p')));
  fake_->Inject("\n");
  EXPECT_EQ(ReadReply(port_, 60).size(), 1001u);  // all of it, in steps
  ASSERT_TRUE(fake_->Inject(std::string(300, 'q')));
  ASSERT_EQ(WaitFd(port_, POLLIN, -1, 10s), FdWait::Ready);
  EXPECT_LE(PendingBytes(port_), 256u);
  EXPECT_GT(PendingBytes(port_), 0u);
}

}  // namespace
}  // namespace benchbridge::testing
