// The bridge as the panel runs it, on the scripted meter with real loopback clients: listening
// only while connected, a client's setting read back by the panel (never while an operator
// dialog is open), a taken port told once, clients closed by disconnect and close.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <QDialog>
#include <QSignalSpy>
#include <filesystem>
#include <fstream>

#include "bridge_client.h"
#include "key_harness.h"
#include "meter_commands.h"
#include "modal_watcher.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

constexpr auto kLimit = 20s;  // only stops a hung test

class PanelBridgeTest : public KeyHarness {
 protected:
  void ConnectWithBridge(const std::string& listen = "127.0.0.1:0") {
    WriteSetIni("[Bridge]\nListen=" + listen + "\n");
    ConnectWith();
  }
  std::uint16_t Port() const { return PortOf(panel_->BridgeListeningOn()); }
  std::string Tip() const { return panel_->bb5->toolTip().toStdString(); }

  static int BridgeThreads() {
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
      std::string name;
      std::getline(std::ifstream(task.path() / "comm"), name);
      count += name.rfind("bridge-", 0) == 0;
    }
    return count;
  }
};

TEST_F(PanelBridgeTest, ListensOnlyWhileConnectedAndReadsBackWhatAClientSet) {
  ConnectWithBridge();
  const std::string where = panel_->BridgeListeningOn();
  ASSERT_THAT(where, HasSubstr("127.0.0.1:"));
  BridgeClient asking(Port()), setting(Port());
  ASSERT_TRUE(WaitUntil([&] { return panel_->BridgeClients() == 2; }));
  ASSERT_TRUE(WaitUntil([&] { return Tip().find(", 2 client") != std::string::npos; }));
  EXPECT_EQ(Tip(), "Scripting bridge: listening on " + where + ", 2 client(s)");

  ASSERT_TRUE(asking.Send("*IDN?\n"));
  EXPECT_EQ(asking.ReadLine(kLimit), "LX,LX2110,V1.02,2026,SN0042");
  meter_->Reply("APERture?", "SLOW");
  QSignalSpy readBack(panel_.get(), &TFrmMain::BridgeReadBackDone);
  ASSERT_TRUE(setting.Send("APERture SLOW\r\n*OPC?\n"));
  EXPECT_EQ(setting.ReadLine(kLimit), "1");  // the meter's "OK" is not the client's
  ASSERT_TRUE(WaitUntil([&] { return readBack.count() == 1; }));
  EXPECT_EQ(panel_->cb8->currentText(), "SLOW");
  // The queries changed nothing, so only the setting is followed by the connect sequence's reads.
  using namespace command;
  const std::vector<std::string> expected{
      kAskIdentity, kSpeedSlow,    kAskPrimary,   kAskSecondary, kAskEquivalent,
      kAskLevel,    kAskBias,      kAskFrequency, kAskAutoRange, kAskOutputResistance,
      kAskSpeed,    kAskComparator};
  EXPECT_EQ(PanelCommands(), expected);
  for (QPushButton* button : panel_->Buttons()) EXPECT_TRUE(button->isEnabled());
  for (QComboBox* selector : panel_->Selectors()) EXPECT_TRUE(selector->isEnabled());

  PressConnectKey();  // disconnect
  EXPECT_TRUE(asking.WaitClosed(kLimit));
  EXPECT_TRUE(setting.WaitClosed(kLimit));
  EXPECT_EQ(panel_->BridgeListeningOn(), "");
  EXPECT_THROW(BridgeClient{PortOf(where)}, std::runtime_error);
  EXPECT_TRUE(WaitUntil([] { return BridgeThreads() == 0; }, 2s));  // joined, then gone
  EXPECT_EQ(PanelCommands().back(), "SYSTem:LOCal");
  EXPECT_EQ(Tip(), "Scripting bridge: listens on 127.0.0.1:0 while connected");

  PressConnectKey();  // and back: listening again
  ASSERT_NE(panel_->BridgeListeningOn(), "");
  BridgeClient again(Port());
  ASSERT_TRUE(again.Send("*IDN?\n"));
  EXPECT_EQ(again.ReadLine(kLimit), "LX,LX2110,V1.02,2026,SN0042");
}

TEST_F(PanelBridgeTest, AComparatorAClientSwitchesOffTakesTheBinDisplayWithIt) {
  WriteSetIni("[Bridge]\nListen=127.0.0.1:0\n");
  ConnectWith({{"COMParator:STATe?", "ON"}, {"COMParator:TOLerance:BIN?", "2"}});
  ASSERT_FALSE(panel_->Poller()->BinQuery().empty());
  ASSERT_TRUE(WaitUntil([&] { return panel_->lls7->text() == "BIN:2"; }));
  BridgeClient client(Port());
  QSignalSpy readBack(panel_.get(), &TFrmMain::BridgeReadBackDone);

  // Still on after a setting: the bin display stays as it was.
  ASSERT_TRUE(client.Send("APERture SLOW\n"));
  ASSERT_TRUE(WaitUntil([&] { return readBack.count() == 1; }));
  EXPECT_EQ(panel_->lls7->text(), "BIN:2");
  EXPECT_FALSE(panel_->Poller()->BinQuery().empty());

  meter_->Reply("COMParator:STATe?", "OFF");
  ASSERT_TRUE(client.Send("COMParator:STATe OFF\n"));
  ASSERT_TRUE(WaitUntil([&] { return readBack.count() == 2; }));
  EXPECT_EQ(panel_->cb6->currentIndex(), 0);
  EXPECT_EQ(panel_->Poller()->BinQuery(), "");
  EXPECT_FALSE(panel_->lls7->isVisible());
  EXPECT_EQ(panel_->LLs1->geometry(),
            QRect(panel_->ReadingLayout()[0].left, panel_->ReadingLayout()[0].top,
                  panel_->ReadingLayout()[0].width, panel_->ReadingLayout()[0].height));
}

TEST_F(PanelBridgeTest, AClientsSettingIsNotReadBackWhileAnOperatorDialogIsOpen) {
  ConnectWithBridge();
  BridgeClient client(Port());
  QSignalSpy readBack(panel_.get(), &TFrmMain::BridgeReadBackDone);
  std::size_t readWhileOpen = 99;
  ModalWatcher watcher([&](QWidget* modal) {
    meter_->Reply("APERture?", "SLOW");
    meter_->ClearCommands();
    ASSERT_TRUE(client.Send("APERture SLOW\n*OPC?\n"));
    ASSERT_EQ(client.ReadLine(kLimit), "1");
    // Three polls are more than a second: the bridge's notice (200 ms after the setting) is due.
    QSignalSpy readings(panel_.get(), &TFrmMain::ReadingDisplayed);
    ASSERT_TRUE(WaitUntil([&] { return readings.count() >= 3; }));
    readWhileOpen = meter_->CountOf("FUNCtion:IMPedance:A?") + readBack.count();
    static_cast<QDialog*>(modal)->reject();
  });
  // The list sweep dialog: opened from a list, so without the panel lock the keys' dialogs hold.
  PickItem(panel_->cb9, "ON");
  ASSERT_EQ(watcher.Count(), 1);
  EXPECT_EQ(readWhileOpen, 0u);
  ASSERT_TRUE(WaitUntil([&] { return readBack.count() == 1; }));
  EXPECT_EQ(panel_->cb8->currentText(), "SLOW");
  EXPECT_EQ(meter_->CountOf("FUNCtion:IMPedance:A?"), 1u);
}

TEST_F(PanelBridgeTest, APortThatCannotBeBoundIsToldOnceAndThePanelWorksOn) {
  const int taken = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(taken, 1), 0);
  ASSERT_EQ(::getsockname(taken, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string port = std::to_string(ntohs(address.sin_port));

  ModalWatcher watcher;
  ConnectWithBridge(port);
  EXPECT_EQ(watcher.Count(), 1);
  EXPECT_THAT(watcher.Last().text.toStdString(),
              HasSubstr("cannot listen on 127.0.0.1:" + port + ": Address already in use"));
  EXPECT_THAT(Tip(), HasSubstr("Scripting bridge off: cannot listen on 127.0.0.1:" + port));
  EXPECT_EQ(panel_->BridgeListeningOn(), "");
  for (QPushButton* button : panel_->Buttons()) EXPECT_TRUE(button->isEnabled());
  PickItem(panel_->cb8, "SLOW");
  EXPECT_EQ(PanelCommands(), std::vector<std::string>{"APERture SLOW"});
  PressConnectKey();
  PressConnectKey();
  EXPECT_EQ(watcher.Count(), 1) << "the same cause is told once";
  EXPECT_TRUE(panel_->rbtn2->isEnabled());
  ::close(taken);

  // A Set.ini text that is no address: the panel starts, the next connection says why.
  panel_.reset();
  WriteSetIni("[Bridge]\nListen=localhost:5025\n");
  StartPanel();
  ConnectPanel();
  EXPECT_EQ(watcher.Count(), 2);
  EXPECT_THAT(watcher.Last().text.toStdString(),
              HasSubstr("Set.ini [Bridge] Listen: \"localhost:5025\": \"localhost\" is not a "
                        "numeric IPv4 or IPv6 address"));
  EXPECT_TRUE(panel_->rbtn2->isEnabled());
}

TEST_F(PanelBridgeTest, ClosingThePanelClosesItsClientsAndLeavesNoBridgeThread) {
  ConnectWithBridge();
  const std::uint16_t port = Port();
  BridgeClient idle(port), busy(port);
  meter_->Respond("*IDN?", Delayed(ReplyLine("LX,LX2110,V1.02,2026,SN0042"), 300ms));
  ASSERT_TRUE(busy.Send("*IDN?\n"));
  ASSERT_TRUE(meter_->WaitForCommand("*IDN?", kLimit));
  panel_->close();  // with an exchange on the wire
  EXPECT_TRUE(idle.WaitClosed(kLimit));
  EXPECT_TRUE(busy.WaitClosed(kLimit));
  EXPECT_TRUE(WaitUntil([] { return BridgeThreads() == 0; }, 2s));  // joined, then gone
  EXPECT_THROW(BridgeClient{port}, std::runtime_error);
  EXPECT_EQ(PanelCommands(), (std::vector<std::string>{"*IDN?", "SYSTem:LOCal"}));
}

}  // namespace
}  // namespace benchbridge::testing
