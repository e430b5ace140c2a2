// benchbridge as users start it: the program in a process of its own, with benchbridge-sim as
// COM9 of a temporary home and the simulator's transcript of every command it received. Its
// options with no display, the signals of a logout or a kill, a second panel on a home in use,
// and (as root, through a user the test makes) a port without permission and logs that cannot
// be written.

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "log_writer.h"
#include "panel_harness.h"
#include "temp_home.h"

namespace benchbridge::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kTestUser = "benchbridge-test";  // in no group but its own

QProcessEnvironment Environment(bool display) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    environment.remove(QString::fromLatin1(name));
  }
  if (display) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  return environment;
}

std::vector<std::string> Lines(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The test user, made when missing; empty when that cannot be done here (not root).
std::string TestUser() {
  if (geteuid() != 0) return {};
  if (getpwnam(kTestUser) == nullptr) {
    QProcess::execute(QStringLiteral("useradd"), {"--system", "--no-create-home", "--user-group",
                                                  "--shell", "/usr/sbin/nologin", kTestUser});
  }
  return getpwnam(kTestUser) != nullptr ? kTestUser : "";
}

class ProgramTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (auto& panel : panels_) {
      if (panel->state() != QProcess::NotRunning) {
        panel->kill();
        panel->waitForFinished(10000);
      }
    }
    if (sim_.state() != QProcess::NotRunning) {
      sim_.closeWriteChannel();  // the simulator goes with its standard input
      if (!sim_.waitForFinished(10000)) sim_.kill();
    }
  }

  void StartSim() {
    sim_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim_.start(QStringLiteral(BENCHBRIDGE_SIM_PATH),
               {"--home", Home(), "--com", "9", "--model", "LX2110", "--dut", "resistor:R=1k",
                "--transcript", QString::fromStdString(Transcript().string())});
    ASSERT_TRUE(sim_.waitForStarted(10000));
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(home_.Path() / "ports" / "com9"); }));
  }

  // benchbridge with args, offscreen, as user when one is named.
  QProcess& StartPanel(QStringList args, const std::string& user = {}) {
    auto& panel = *panels_.emplace_back(std::make_unique<QProcess>());
    QProcessEnvironment environment = Environment(true);
    environment.insert(QStringLiteral("HOME"), Home());
    panel.setProcessEnvironment(environment);
    QString program = QStringLiteral(BENCHBRIDGE_PATH);
    if (!user.empty()) {
      args.prepend(program);
      args = QStringList{"--reuid",        QString::fromStdString(user),
                         "--regid",        QString::fromStdString(user),
                         "--clear-groups", "--"} +
             args;
      program = QStringLiteral("setpriv");
    }
    panel.start(program, args);
    EXPECT_TRUE(panel.waitForStarted(10000));
    return panel;
  }

  // Until the panel has said text on standard error; all it said so far.
  std::string WaitForError(QProcess& panel, const std::string& text) {
    std::string said;
    WaitUntil(
        [&] {
          said += panel.readAllStandardError().toStdString();
          return said.find(text) != std::string::npos || panel.state() == QProcess::NotRunning;
        },
        60s);
    return said;
  }

  // The commands the simulated meter received, in order.
  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    for (const std::string& line : Lines(Transcript())) {
      if (const auto at = line.find(" cmd "); at != std::string::npos) {
        commands.push_back(line.substr(at + 5));
      }
    }
    return commands;
  }
  std::size_t Polls() const {
    std::size_t polls = 0;
    for (const std::string& command : Commands()) polls += command.rfind("FETCH", 0) == 0;
    return polls;
  }
  bool WaitForPolls(std::size_t count) {
    return WaitUntil([&] { return Polls() >= count; }, 60s);
  }

  QString Home() const { return QString::fromStdString(home_.Path().string()); }
  fs::path Transcript() const { return home_.Path() / "transcript.txt"; }
  fs::path TodaysLog(const std::string& suffix) const {
    return home_.Path() / "log" /
           (FormatLogDate(std::chrono::system_clock::now()) + suffix + ".log");
  }

  TempHome home_;
  QProcess sim_;
  std::vector<std::unique_ptr<QProcess>> panels_;
};

TEST_F(ProgramTest, OptionsAreAnsweredWithoutADisplay) {
  const auto run = [](const QStringList& args) {
    QProcess program;
    program.setProcessEnvironment(Environment(false));
    program.start(QStringLiteral(BENCHBRIDGE_PATH), args);
    EXPECT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << args.join(' ').toStdString();
    return std::pair{program.exitCode(), program.readAllStandardOutput().toStdString() +
                                             program.readAllStandardError().toStdString()};
  };
  for (const QStringList& wrong :
       {QStringList{"--bogus"}, QStringList{"--home"}, QStringList{"--connect", "ttyUSB0"},
        QStringList{"stray"}, QStringList{"--listen", "99999"}, QStringList{"--replies", "some"}}) {
    const auto [code, said] = run(wrong);
    EXPECT_EQ(code, 2) << said;
    EXPECT_NE(said.find("benchbridge --help"), std::string::npos) << said;
  }
  EXPECT_EQ(run({"--version"}), std::pair(0, std::string("benchbridge " BENCHBRIDGE_VERSION "\n")));
  const auto [code, help] = run({"--help"});
  EXPECT_EQ(code, 0);
  for (const char* told : {"BENCHBRIDGE_SCALE", "--home DIR", "~/.config/benchbridge",
                           "~/.local/share/benchbridge", "This run: Set.ini in "}) {
    EXPECT_NE(help.find(told), std::string::npos) << told;
  }
}

TEST_F(ProgramTest, EachTerminationSignalSendsTheMeterBackToLocal) {
  StartSim();
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    QProcess& panel = StartPanel({"--home", Home(), "--connect", "COM9"});
    const std::size_t before = Polls();
    ASSERT_TRUE(WaitForPolls(before + 2)) << strsignal(signal);
    kill(static_cast<pid_t>(panel.processId()), signal);
    ASSERT_TRUE(panel.waitForFinished(30000)) << strsignal(signal);
    EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit) << strsignal(signal);
    EXPECT_EQ(panel.exitCode(), 0) << strsignal(signal);
    ASSERT_FALSE(Commands().empty());
    EXPECT_EQ(Commands().back().rfind("SYSTem:LOCal", 0), 0u)
        << strsignal(signal) << ": " << Commands().back();
  }
}

TEST_F(ProgramTest, ASecondPanelOnAHomeInUseSaysSoAndTouchesNothing) {
  StartSim();
  QProcess& first = StartPanel({"--home", Home()});
  const std::string pid = std::to_string(first.processId());
  ASSERT_TRUE(WaitUntil(
      [&] { return Lines(home_.Path() / "benchbridge.lock") == std::vector<std::string>{pid}; },
      60s));

  QProcess& second = StartPanel({"--home", Home(), "--connect", "COM9"});
  const std::string said = WaitForError(second, "--home DIR");
  EXPECT_NE(said.find("(process " + pid + ")"), std::string::npos) << said;
  EXPECT_NE(said.find(home_.Path().string()), std::string::npos) << said;
  kill(static_cast<pid_t>(second.processId()), SIGTERM);  // its message box goes with it
  ASSERT_TRUE(second.waitForFinished(30000));
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_TRUE(Commands().empty());
  EXPECT_FALSE(fs::exists(home_.Path() / "log"));
  EXPECT_EQ(first.state(), QProcess::Running);
}

// --- As another user; needs root to make that user and to give the files away. ---

class ProgramAsUserTest : public ProgramTest {
 protected:
  void SetUp() override {
    user_ = TestUser();
    if (user_.empty()) GTEST_SKIP() << "needs root, to run the panel as a user of its own";
    fs::permissions(home_.Path(), fs::perms::all);  // the user's home for the run
    StartSim();
  }
  fs::path Device() const { return fs::canonical(home_.Path() / "ports" / "com9"); }
  void GiveToUser(const fs::path& path) const {
    const passwd* entry = getpwnam(user_.c_str());
    ASSERT_EQ(chown(path.c_str(), entry->pw_uid, entry->pw_gid), 0);
  }

  std::string user_;
};

TEST_F(ProgramAsUserTest, APortWithoutPermissionNamesItsGroupAndSendsNothing) {
  const group* dialout = getgrnam("dialout");
  ASSERT_NE(dialout, nullptr);
  ASSERT_EQ(chown(Device().c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(chmod(Device().c_str(), 0660), 0);
  QProcess& panel = StartPanel({"--home", Home(), "--connect", "COM9"}, user_);
  const std::string said = WaitForError(panel, "log out and in");
  EXPECT_NE(said.find("COM9 (" + Device().string() + ") cannot be opened: permission denied"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("sudo usermod -aG dialout $USER"), std::string::npos) << said;
  kill(static_cast<pid_t>(panel.processId()), SIGTERM);
  ASSERT_TRUE(panel.waitForFinished(30000));
  EXPECT_EQ(panel.exitCode(), 0);
  EXPECT_TRUE(Commands().empty());
}

TEST_F(ProgramAsUserTest, LogsThatCannotBeWrittenAreToldOnceAndPollingGoesOn) {
  ASSERT_EQ(chmod(Device().c_str(), 0666), 0);
  // Left by a run with sudo: the log folder is root's.
  fs::create_directories(home_.Path() / "log");
  QProcess& panel = StartPanel({"--home", Home(), "--connect", "COM9"}, user_);
  std::string said = WaitForError(panel, "Polling goes on");
  EXPECT_NE(said.find((home_.Path() / "log").string() + " cannot be written: permission denied "
                                                        "(it belongs to root)"),
            std::string::npos)
      << said;
  const std::size_t polls = Polls();
  EXPECT_TRUE(WaitForPolls(polls + 2));
  kill(static_cast<pid_t>(panel.processId()), SIGTERM);
  ASSERT_TRUE(panel.waitForFinished(30000));
  said += panel.readAllStandardError().toStdString();
  EXPECT_EQ(said.find("Polling goes on"), said.rfind("Polling goes on")) << "told once: " << said;

  // The folder is the user's again, but today's main log stays root's: the readings still
  // reach the "_new" log while the main log's lines are told lost.
  GiveToUser(home_.Path() / "log");
  std::ofstream(TodaysLog("")) << "root's line\n";
  QProcess& again = StartPanel({"--home", Home(), "--connect", "COM9"}, user_);
  said = WaitForError(again, "Polling goes on");
  EXPECT_NE(said.find(TodaysLog("").string() + " cannot be written"), std::string::npos) << said;
  EXPECT_TRUE(WaitUntil([&] { return Lines(TodaysLog("_new")).size() >= 2; }, 60s));
  EXPECT_EQ(Lines(TodaysLog("")), std::vector<std::string>{"root's line"});
}

}  // namespace
}  // namespace benchbridge::testing
