// Why a port does not open, told from the real failure on real pseudo-terminals: another
// program holding it (named from /proc), the device gone. No permission needs another user:
// the program's own test covers it.
#include "port_open_failure.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "pty_endpoint.h"
#include "serial_port.h"
#include "temp_home.h"

extern char** environ;  // NOLINT: posix_spawn's environment

namespace benchbridge {
namespace {

using testing::TempHome;
using Cause = PortOpenFailure::Cause;

// Opens COM<com> of home as the panel does; the errno when it fails.
int OpenError(const TempHome& home, int com) {
  int error = 0;
  const PortHandle port = OpenPort(com, 9600, home.Path(), &error);
  ClosePort(port);
  return port == kInvalidPort ? error : 0;
}

TEST(PortOpenFailureTest, BusyNamesTheProgramHoldingThePort) {
  const TempHome home;
  sim::PtyEndpoint pty(home.Path(), 3);
  // flock(1) takes the port's lock and hands it to sleep, as a terminal program would hold it.
  std::string path = pty.SlavePath();
  char flock[] = "flock", sleep[] = "sleep", seconds[] = "60";
  char* argv[] = {flock, path.data(), sleep, seconds, nullptr};
  pid_t holder = 0;
  posix_spawnattr_t group;  // a process group of their own, so both go at the end
  posix_spawnattr_init(&group);
  posix_spawnattr_setflags(&group, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&group, 0);
  ASSERT_EQ(posix_spawnp(&holder, "flock", nullptr, &group, argv, environ), 0);
  posix_spawnattr_destroy(&group);
  int error = 0;
  for (int i = 0; i < 500 && (error = OpenError(home, 3)) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // until flock has the lock
  }
  const PortOpenFailure busy = DiagnoseOpenFailure(pty.SlavePath(), error);
  kill(-holder, SIGTERM);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(busy.cause, Cause::Busy) << error;
  // flock itself or the sleep it started, both hold the descriptor.
  EXPECT_TRUE(busy.holder.rfind("flock (process ", 0) == 0 ||
              busy.holder.rfind("sleep (process ", 0) == 0)
      << busy.holder;

  // Held by this very process: busy, but nobody to name.
  PortHandle mine = kInvalidPort;
  for (int i = 0; i < 500 && (mine = OpenPort(3, 9600, home.Path())) == kInvalidPort; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // until sleep is gone too
  }
  ASSERT_NE(mine, kInvalidPort);
  const PortOpenFailure self = DiagnoseOpenFailure(pty.SlavePath(), OpenError(home, 3));
  ClosePort(mine);
  EXPECT_EQ(self.cause, Cause::Busy);
  EXPECT_EQ(self.holder, "");
}

TEST(PortOpenFailureTest, AVanishedDeviceIsGone) {
  const TempHome home;
  sim::PtyEndpoint pty(home.Path(), 3);
  const std::string slave = pty.SlavePath();
  pty.HangUp();  // the pty and its node go, as an adapter pulled out
  std::filesystem::create_symlink(slave, home.Path() / "ports" / "com3");
  const int error = OpenError(home, 3);
  ASSERT_NE(error, 0);
  const PortOpenFailure gone = DiagnoseOpenFailure(slave, error);
  EXPECT_EQ(gone.cause, Cause::Gone) << error;
  EXPECT_EQ(gone.path, slave);
}

}  // namespace
}  // namespace benchbridge
