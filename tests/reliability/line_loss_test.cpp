// The line going away: the cable pulled (the pty closed) while the panel is idle, in a poll, in a
// setting command and in a dialog's read-back; a port another process holds; a port path that
// no one can open as a serial port, root included. The panel shows and logs a pulled cable once
// (OFFLINE, "link lost."), writes nothing more to the dead port, does not spin, disconnects
// cleanly, and connects again once the line is back; a port that does not open is told with its
// cause and leaves the panel unconnected.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QComboBox>
#include <QPushButton>

#include "fault_harness.h"
#include "fit_label.h"
#include "meter_commands.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

enum class When { Idle, DuringPoll, DuringSetting, DuringDialogReadBack };

class HangUpTest : public StartedPanelTest, public ::testing::WithParamInterface<When> {};

TEST_P(HangUpTest, LossIsLoggedOnceWithoutSpinningAndReconnectingWorks) {
  ConnectPanel();
  ASSERT_TRUE(WaitForReadings(1));
  switch (GetParam()) {
    case When::Idle:
      meter_->HangUp();
      break;
    case When::DuringPoll:
      FailCommand("FETCH:INT?", HangUpInstead());
      break;
    case When::DuringSetting:
      FailCommand("APERture SLOW", HangUpInstead());
      PickItem(panel_->cb8, "SLOW");
      EXPECT_TRUE(meter_->HungUp());
      break;
    case When::DuringDialogReadBack:
      FailCommand(command::kAskNominal, HangUpInstead());
      HoldDialogsUntil([this] { return meter_->HungUp(); });
      panel_->rbtn9->click();  // the comparator dialog reads the meter's settings back
      ASSERT_EQ(Modals().size(), 1u);
      EXPECT_EQ(Modals()[0].objectName, "FrmComp");
      EXPECT_EQ(meter_->CountOf(command::kAskNominal), 1u);
      // The chain stopped at the empty reply: no limit was asked after it.
      EXPECT_EQ(meter_->CountOf("COMParator:TOLerance:RANGe:1L?"), 0u);
      break;
  }
  ASSERT_TRUE(WaitUntil([&] { return meter_->HungUp(); }, 5s));

  // The loss is shown and logged once; from then on nothing goes to the dead port (no "send
  // bad." and no empty reading a poll period), and nothing spins while the port is looked for.
  const ProcessCpu cpu;
  const EventPulse pulse;
  ASSERT_TRUE(WaitUntil([&] { return panel_->bb5->text() == "OFFLINE"; }, 5s));
  const auto log = MainLog();
  EXPECT_FALSE(WaitUntil([&] { return MainLog().size() > log.size(); }, 1500ms));
  EXPECT_LT(cpu.ShareOfOneCore(), 0.20);
  EXPECT_LT(pulse.LongestGapMs(), 1000.0);
  EXPECT_EQ(CountOf(log, "link lost."), 1u);
  EXPECT_LE(CountOf(log, "send bad."), 1u) << "only the write that met the hang-up";
  EXPECT_EQ(panel_->LLs2->text(), "1.2345") << "the last reading stays on the display";

  ExpectCleanDisconnect();
  EXPECT_EQ(MainLog(), log) << "no LOCal to the dead port";
  ExpectNoErrorBox();

  ReplaceMeter();  // the adapter is plugged in again
  ConnectPanel();
  ASSERT_TRUE(Connected());
  ASSERT_TRUE(WaitForReadings(1));
  EXPECT_EQ(panel_->LLs2->text(), "1.2345");
}

INSTANTIATE_TEST_SUITE_P(Moments, HangUpTest,
                         ::testing::Values(When::Idle, When::DuringPoll, When::DuringSetting,
                                           When::DuringDialogReadBack),
                         [](const auto& tested) {
                           switch (tested.param) {
                             case When::Idle:
                               return "Idle";
                             case When::DuringPoll:
                               return "DuringPoll";
                             case When::DuringSetting:
                               return "DuringSetting";
                             case When::DuringDialogReadBack:
                               return "DuringDialogReadBack";
                           }
                           return "";
                         });

// A port that does not open: told at once, nothing started; afterwards the same port connects
// normally.
class PortOpenTest : public StartedPanelTest {
 protected:
  // One message with the cause; the panel stays unconnected, nothing is sent or logged.
  void ExpectOpenFailureAndRecovery(const std::function<void()>& endFault,
                                    const std::string& cause) {
    ConnectPanel();
    ASSERT_EQ(Modals().size(), 1u);
    EXPECT_NE(Modals()[0].text.toStdString().find(cause), std::string::npos)
        << Modals()[0].text.toStdString();
    EXPECT_EQ(panel_->rbtn1->text(), "Connecting device");
    EXPECT_EQ(panel_->Poller(), nullptr);
    EXPECT_FALSE(panel_->Context().Connected());
    EXPECT_TRUE(MainLog().empty());
    EXPECT_EQ(meter_->CommandCount(), 0u);

    endFault();
    ConnectPanel();
    ASSERT_TRUE(Connected());
    ASSERT_TRUE(WaitForReadings(1));
  }
};

TEST_F(PortOpenTest, APortHeldByAnotherProcessIsBusy) {
  int release[2];
  ASSERT_EQ(pipe(release), 0);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const std::string device = fs::canonical(meter_->LinkPath()).string();
  const pid_t holder = fork();
  if (holder == 0) {
    // The other program: opens the port as a serial program does and keeps it.
    close(release[1]);
    close(ready[0]);
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool locked = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
    (void)!write(ready[1], locked ? "y" : "n", 1);
    char ignored;
    (void)!read(release[0], &ignored, 1);
    _exit(0);
  }
  ASSERT_GT(holder, 0);
  close(ready[1]);
  close(release[0]);
  char locked = 0;
  ASSERT_EQ(read(ready[0], &locked, 1), 1);
  close(ready[0]);
  ASSERT_EQ(locked, 'y');
  ExpectOpenFailureAndRecovery(
      [&] {
        close(release[1]);
        int status = 0;
        waitpid(holder, &status, 0);
      },
      "it is in use by another program: ");
}

// Root opens anything chmod protects, so the refusals here are ones root meets too: a folder
// where the device should be, and a device that is no terminal.
class RefusedPortTest : public PortOpenTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RefusedPortTest, APortThatCannotBeOpenedAsASerialPort) {
  const fs::path link = meter_->LinkPath();
  const fs::path device = fs::read_symlink(link);
  fs::remove(link);
  const std::string target = GetParam();
  fs::create_symlink(target == "folder" ? home_.Path() : fs::path(target), link);
  ExpectOpenFailureAndRecovery(
      [&] {
        fs::remove(link);
        fs::create_symlink(device, link);
      },
      target == "folder" ? "Is a directory" : "Inappropriate ioctl for device");
}

INSTANTIATE_TEST_SUITE_P(Targets, RefusedPortTest, ::testing::Values("folder", "/dev/full"),
                         [](const auto& tested) {
                           return std::string(tested.param) == "folder" ? "Folder" : "DevFull";
                         });

}  // namespace
}  // namespace benchbridge::testing
