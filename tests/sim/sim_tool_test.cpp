// benchbridge-sim itself: its command line, a session through the link it makes, and its way
// out on SIGTERM or at the end of its input, which must take the link with it.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "channel.h"
#include "reading_format.h"
#include "serial_port.h"
#include "sim_options.h"
#include "temp_home.h"
#include "transcript_file.h"

extern char** environ;

namespace benchbridge::sim {
namespace {

// The tool as a child process with its standard input and output on pipes.
class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> arguments) {
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    arguments.insert(arguments.begin(), BENCHBRIDGE_SIM_EXECUTABLE);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int spawned =
        posix_spawn(&pid_, BENCHBRIDGE_SIM_EXECUTABLE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    input_ = input[1];
    output_ = output[0];
    if (spawned != 0) throw std::runtime_error("posix_spawn");
  }
  ~SimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Wait();
    }
    if (input_ >= 0) close(input_);
    close(output_);
  }

  // The next line of its output; nothing when none comes within the limit or the output ended.
  std::optional<std::string> ReadLine(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
      if (const std::size_t newline = buffered_.find('\n'); newline != std::string::npos) {
        std::string line = buffered_.substr(0, newline);
        buffered_.erase(0, newline + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd watched{output_, POLLIN, 0};
      if (left.count() <= 0 || poll(&watched, 1, static_cast<int>(left.count())) <= 0) {
        return std::nullopt;
      }
      char chunk[512];
      const ssize_t got = read(output_, chunk, sizeof chunk);
      if (got <= 0) return std::nullopt;
      buffered_.append(chunk, static_cast<std::size_t>(got));
    }
  }
  // Reads until a line containing the text; returns that line.
  std::string ReadUntil(const std::string& text) {
    for (auto line = ReadLine(); line; line = ReadLine()) {
      if (line->find(text) != std::string::npos) return *line;
    }
    return {};
  }

  void Signal(int signal) { kill(pid_, signal); }
  void CloseInput() {
    close(input_);
    input_ = -1;
  }
  // Waits for the end and returns the exit status (-1 if it did not exit normally).
  int Wait() {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1, output_ = -1;
  std::string buffered_;
};

bool LinkExists(const std::filesystem::path& link) {
  std::error_code ignored;
  return std::filesystem::is_symlink(std::filesystem::symlink_status(link, ignored));
}

TEST(SimToolTest, ServesASessionAndRemovesItsLinkOnSigterm) {
  benchbridge::testing::TempHome home;
  const auto transcript = home.Path() / "transcript.txt";
  SimProcess sim({"--home", home.Path().string(), "--com", "42", "--model", "LX3101", "--dut",
                  "inductor:L=100u,Q=30", "--transcript", transcript.string(), "--pace"});
  const std::string serving = sim.ReadUntil("serving COM42");
  ASSERT_FALSE(serving.empty());
  const auto link = home.Path() / "ports" / "com42";
  EXPECT_NE(serving.find(link.string()), std::string::npos) << serving;
  ASSERT_TRUE(LinkExists(link));
  {
    LinkShared shared;
    Channel channel(OpenPort(42, 9600, home.Path()), shared, [](const std::string&) {});
    ASSERT_TRUE(channel.IsOpen());
    EXPECT_EQ(channel.Query("*LX?\n"), "3101");
    const Reading reading = SplitReading(channel.Query("FETCH:INT?\n"));
    EXPECT_EQ(reading.primaryName, "Ls");
    EXPECT_EQ(reading.primaryUnit, "μH");
    EXPECT_EQ(reading.secondaryName, "Q");
    EXPECT_EQ(channel.Query("FREQuency:CW 20000\n"), "exec err");
  }
  sim.Signal(SIGTERM);
  EXPECT_NE(sim.ReadUntil("stopped on SIGTERM"), "");
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_FALSE(LinkExists(link));

  std::ifstream in(transcript);
  std::vector<TranscriptEntry> entries;
  for (std::string line; std::getline(in, line);) {
    auto entry = ParseTranscriptLine(line);
    ASSERT_TRUE(entry) << line;
    entries.push_back(*entry);
  }
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0].bytes, "*LX?");
  EXPECT_EQ(entries[1].bytes, "3101\r\n");
  EXPECT_EQ(entries[5].bytes, "exec err\r\n");
}

TEST(SimToolTest, EndOfInputStopsItAndTheDefaultHomeIsBesideThePanel) {
  SimProcess sim({"--com", "251"});
  const std::string serving = sim.ReadUntil("serving COM251");
  ASSERT_FALSE(serving.empty());
  const std::filesystem::path tool(BENCHBRIDGE_SIM_EXECUTABLE);
  auto panelFolder =
      std::filesystem::weakly_canonical(tool.parent_path() / BENCHBRIDGE_SIM_PANEL_HOME);
  // A build without the panel (no Qt) has no panel folder: the link is then beside the tool.
  if (!std::filesystem::is_directory(panelFolder)) {
    panelFolder = std::filesystem::weakly_canonical(tool.parent_path());
  }
  const auto link = panelFolder / "ports" / "com251";
  EXPECT_NE(serving.find(link.string()), std::string::npos) << serving;
  EXPECT_TRUE(LinkExists(link));
  sim.CloseInput();
  EXPECT_NE(sim.ReadUntil("stopped on end of input"), "");
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_FALSE(LinkExists(link));
}

TEST(SimToolTest, UnplugsAndPlugsInAgainOnSignalsAndByItself) {
  benchbridge::testing::TempHome home;
  SimProcess sim({"--home", home.Path().string(), "--com", "43"});
  ASSERT_FALSE(sim.ReadUntil("serving COM43").empty());
  const auto link = home.Path() / "ports" / "com43";
  LinkShared shared;
  Channel before(OpenPort(43, 9600, home.Path()), shared, [](const std::string&) {});
  ASSERT_EQ(before.Query("*LX?\n"), "3102");

  sim.Signal(SIGUSR1);
  EXPECT_NE(sim.ReadUntil("unplugged COM43 (SIGUSR1)"), "");
  EXPECT_FALSE(LinkExists(link));
  EXPECT_EQ(before.Query("*LX?\n"), "");
  EXPECT_TRUE(before.Lost());
  sim.Signal(SIGUSR2);
  EXPECT_NE(sim.ReadUntil("plugged in again (SIGUSR2): serving COM43"), "");
  Channel after(OpenPort(43, 9600, home.Path()), shared, [](const std::string&) {});
  EXPECT_EQ(after.Query("*LX?\n"), "3102");
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0);

  SimProcess cycling({"--home", home.Path().string(), "--com", "44", "--unplug-after", "0.2",
                      "--replug-after=0.3"});
  for (int round = 0; round < 2; ++round) {
    EXPECT_NE(cycling.ReadUntil("unplugged COM44 (time)"), "");
    EXPECT_NE(cycling.ReadUntil("plugged in again (time)"), "");
  }
  for (const char* bad : {"0", "-1", "x", "2s"}) {
    EXPECT_NE(ParseSimOptions({"--unplug-after", bad}).error, "") << bad;
  }
  EXPECT_EQ(ParseSimOptions({"--replug-after", "1.5"}).options.replugAfter,
            std::chrono::milliseconds(1500));
}

TEST(SimToolTest, HelpAndBadOptions) {
  SimProcess help({"--help"});
  EXPECT_NE(help.ReadUntil("Usage: benchbridge-sim"), "");
  EXPECT_EQ(help.Wait(), 0);
  SimProcess bad({"--model", "LX9999"});
  EXPECT_EQ(bad.Wait(), 2);
}

TEST(SimOptionsTest, FaultOptionsBecomeThePlan) {
  const ParsedOptions parsed = ParseSimOptions({"--silent-after",
                                                "3",
                                                "--late-on",
                                                "FETCH:INT?",
                                                "--late-ms=100",
                                                "--split",
                                                "4",
                                                "--hangup-after",
                                                "2",
                                                "--long-line-on",
                                                "*IDN?",
                                                "--long-line-bytes",
                                                "10",
                                                "--cmd-err-on",
                                                "KEYS*",
                                                "--pace-baud",
                                                "1200",
                                                "--comparator-numeric",
                                                "--seed",
                                                "7"});
  ASSERT_EQ(parsed.error, "");
  const SimOptions& options = parsed.options;
  EXPECT_EQ(options.pacingBaud, 1200);
  EXPECT_TRUE(options.instrument.comparatorNumeric);
  EXPECT_EQ(options.seed, 7u);
  ASSERT_EQ(options.faults.size(), 6u);
  EXPECT_EQ(options.faults[0].kind, FaultKind::Silence);
  EXPECT_FALSE(options.faults[0].when.Matches("*LX?", 3));
  EXPECT_TRUE(options.faults[0].when.Matches("*LX?", 4));
  EXPECT_EQ(options.faults[1].kind, FaultKind::Late);
  EXPECT_EQ(options.faults[1].time, std::chrono::milliseconds(100));
  EXPECT_EQ(options.faults[2].kind, FaultKind::Split);
  EXPECT_EQ(options.faults[2].bytes, 4u);
  EXPECT_EQ(options.faults[2].time, kDefaultSplitGap);
  EXPECT_EQ(options.faults[3].kind, FaultKind::HangUpAfterReply);
  EXPECT_TRUE(options.faults[3].when.Matches("x", 2));
  EXPECT_FALSE(options.faults[3].when.Matches("x", 3));
  EXPECT_EQ(options.faults[4].bytes, 10u);
  EXPECT_TRUE(options.faults[5].when.Matches("keys 49", 1));
}

TEST(SimOptionsTest, BadCommandLinesAreRefusedWithAReason) {
  const std::vector<std::vector<std::string>> bad = {{"--com", "0"},
                                                     {"--com", "x"},
                                                     {"--model", "LX9999"},
                                                     {"--dut", "diode"},
                                                     {"--dut", "capacitor:Q=3"},
                                                     {"--pace=1"},
                                                     {"--delay"},
                                                     {"--frobnicate"},
                                                     {"--split", "0"},
                                                     {"--silent-on", ""}};
  for (const std::vector<std::string>& arguments : bad) {
    EXPECT_NE(ParseSimOptions(arguments).error, "") << ::testing::PrintToString(arguments);
  }
  EXPECT_TRUE(ParseSimOptions({"-h"}).options.help);
}

}  // namespace
}  // namespace benchbridge::sim
