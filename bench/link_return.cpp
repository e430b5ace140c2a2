// A pulled cable as the operator lives it: the real TFrmMain offscreen, connected to the
// benchbridge-sim tool (a process of its own, paced at 9600 baud) whose cable is pulled with
// SIGUSR1 and put back with SIGUSR2, again and again.
//   - loss shown: the simulator's line closing (its last reply, from its transcript) to bb5
//     reading OFFLINE;
//   - return: the simulator's new ports/com<n> link in place (the link's own time) to the first
//     new reading in LLs2, beside the connect sequence's wire time at 9600 baud, which no panel
//     can go below (10 bits a byte, every command and reply of the sequence);
//   - CPU of the panel process while OFFLINE (a minute unless told otherwise);
//   - Disconnect and Close pressed while OFFLINE.
//
//   build/release/bench/link_return [--cycles 10] [--offline-seconds 60]

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench_meter_child.h"
#include "bench_row.h"
#include "fit_label.h"
#include "meter_commands.h"
#include "port_combo_box.h"
#include "process_setup.h"
#include "temp_home.h"
#include "transcript_file.h"
#include "uFrmMain.h"

extern char** environ;

namespace {

using namespace benchbridge;
using namespace benchbridge::bench;
using SystemClock = std::chrono::system_clock;
using SteadyClock = std::chrono::steady_clock;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kMeterCom = 9;

// benchbridge-sim in a process of its own; it ends with its standard input (our pipe).
class SimTool {
 public:
  SimTool(const fs::path& home, const fs::path& transcript) {
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (home / "sim.out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> arguments = {BENCHBRIDGE_SIM_EXECUTABLE,
                                          "--home",
                                          home.string(),
                                          "--com",
                                          std::to_string(kMeterCom),
                                          "--model",
                                          "LX2110",
                                          "--seed",
                                          "7",
                                          "--pace",
                                          "--transcript",
                                          transcript.string()};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    input_ = input[1];
  }
  ~SimTool() {
    if (input_ >= 0) close(input_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  bool Running() const { return pid_ > 0; }
  void Signal(int signal) const { kill(pid_, signal); }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
};

void RunEvents(std::chrono::milliseconds span) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(span.count()), Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

// Processes events until done() or the limit; true when done.
bool Await(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  return QTest::qWaitFor(done, static_cast<int>(limit.count()));
}

double Ms(SteadyClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::int64_t LinkMadeNanos(const fs::path& link) {
  struct stat info {};
  if (lstat(link.c_str(), &info) != 0) return 0;
  return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

std::vector<sim::TranscriptEntry> ReadTranscript(const fs::path& file) {
  std::vector<sim::TranscriptEntry> entries;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (auto entry = sim::ParseTranscriptLine(line)) entries.push_back(std::move(*entry));
  }
  return entries;
}

// The connect sequence on the wire from the first "SYSTem:REMote" at or after `from`: when it
// began and ended (its last reply), and its own wire time (its commands with their line feeds
// and its replies; the polls that slip in between are not its own).
struct Sequence {
  std::int64_t begin = 0, end = 0;
  double wireMs = 0;
};
Sequence SequenceFrom(const std::vector<sim::TranscriptEntry>& wire, std::int64_t from) {
  Sequence sequence;
  bool inside = false;
  for (std::size_t i = 0; i + 1 < wire.size(); ++i) {
    const sim::TranscriptEntry& command = wire[i];
    const sim::TranscriptEntry& reply = wire[i + 1];
    if (command.kind != sim::TranscriptEntry::Kind::Command ||
        reply.kind != sim::TranscriptEntry::Kind::Reply || Nanos(command.when) < from) {
      continue;
    }
    if (command.bytes == command::kRemote) {
      inside = true;
      sequence.begin = Nanos(command.when);
    }
    if (!inside || command.bytes == command::kFetchReading || command.bytes == command::kAskBin) {
      continue;
    }
    sequence.wireMs += (command.bytes.size() + 1 + reply.bytes.size()) * 10.0 / 9600.0 * 1e3;
    if (command.bytes == command::kAskComparator) {
      sequence.end = Nanos(reply.when);
      break;
    }
  }
  return sequence;
}

// The end of the last reply before `before`: where the simulator closed the line.
std::int64_t LastReplyBefore(const std::vector<sim::TranscriptEntry>& wire, std::int64_t before) {
  std::int64_t last = 0;
  for (const sim::TranscriptEntry& entry : wire) {
    if (entry.kind == sim::TranscriptEntry::Kind::Reply && Nanos(entry.when) <= before) {
      last = Nanos(entry.when);
    }
  }
  return last;
}

}  // namespace

int main(int argc, char** argv) {
  int cycles = 10;
  int offlineSeconds = 60;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--cycles") == 0) cycles = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--offline-seconds") == 0) offlineSeconds = std::atoi(argv[i + 1]);
  }
  testing::TempHome home;
  const fs::path transcript = home.Path() / "transcript.txt";
  const fs::path link = home.Path() / "ports" / ("com" + std::to_string(kMeterCom));
  SimTool sim(home.Path(), transcript);
  for (int wait = 0; wait < 500 && LinkMadeNanos(link) == 0; ++wait) {
    usleep(10'000);
  }
  if (!sim.Running() || LinkMadeNanos(link) == 0) {
    (void)std::fprintf(stderr, "benchbridge-sim did not start\n");
    return 1;
  }

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  FixRegionalFormats();
  auto panel = std::make_unique<TFrmMain>(home.Path());
  panel->show();
  std::int64_t lastShown = 0, offlineShown = 0;
  QObject::connect(panel.get(), &TFrmMain::ReadingDisplayed,
                   [&] { lastShown = Nanos(SystemClock::now()); });
  QObject::connect(panel.get(), &TFrmMain::LinkLostShown,
                   [&] { offlineShown = Nanos(SystemClock::now()); });
  const auto connectPanel = [&] {
    const int index = panel->c1->findText(QStringLiteral("COM%1").arg(kMeterCom));
    panel->c1->setCurrentIndex(index);
    emit panel->c1->activated(index);
    panel->rbtn1->click();
    return panel->rbtn2->isEnabled() && Await([&] { return lastShown != 0; }, 5000ms);
  };
  const auto offline = [&] { return panel->bb5->text() == QLatin1String("OFFLINE"); };
  const auto pull = [&] {
    sim.Signal(SIGUSR1);
    return Await(offline, 10'000ms);
  };
  if (!connectPanel()) {
    (void)std::fprintf(stderr, "the panel did not connect to COM%d\n", kMeterCom);
    return 1;
  }
  RunEvents(1000ms);

  std::vector<double> lossMs, returnMs, sequenceMs, sequenceWireMs, lookMs, targetMs;
  double cpuShare = -1;
  int failures = 0;
  for (int cycle = 0; cycle < cycles; ++cycle) {
    if (!pull()) {
      ++failures;
      break;
    }
    const std::int64_t shownAt = offlineShown;
    lossMs.push_back((shownAt - LastReplyBefore(ReadTranscript(transcript), shownAt)) / 1e6);
    if (cycle == 0 && offlineSeconds > 0) {
      RunEvents(1000ms);  // the lost poller is gone, the looking has begun
      const double cpu = CpuSeconds();
      const auto begin = SteadyClock::now();
      RunEvents(std::chrono::seconds(offlineSeconds));
      cpuShare = 100.0 * (CpuSeconds() - cpu) /
                 std::chrono::duration<double>(SteadyClock::now() - begin).count();
    }
    lastShown = 0;
    sim.Signal(SIGUSR2);
    if (!Await([&] { return offline() == false && panel->rbtn2->isEnabled() && lastShown != 0; },
               10'000ms)) {
      ++failures;
      break;
    }
    RunEvents(300ms);  // the transcript has the first poll's reply
    const std::int64_t linkMade = LinkMadeNanos(link);
    const Sequence sequence = SequenceFrom(ReadTranscript(transcript), linkMade);
    returnMs.push_back((lastShown - linkMade) / 1e6);
    lookMs.push_back((sequence.begin - linkMade) / 1e6);
    sequenceMs.push_back((sequence.end - sequence.begin) / 1e6);
    sequenceWireMs.push_back(sequence.wireMs);
    targetMs.push_back(1000.0 + sequence.wireMs);
    RunEvents(700ms);
  }

  // Disconnect, then (connected again) Close, each pressed while OFFLINE.
  double disconnectMs = -1, closeMs = -1;
  if (pull()) {
    const auto begin = SteadyClock::now();
    panel->rbtn1->click();
    disconnectMs = Ms(SteadyClock::now() - begin);
    if (panel->Context().Connected()) ++failures;
  }
  sim.Signal(SIGUSR2);
  Await([&] { return LinkMadeNanos(link) != 0; }, 5000ms);
  lastShown = 0;
  if (connectPanel() && pull()) {
    const auto begin = SteadyClock::now();
    panel->close();
    closeMs = Ms(SteadyClock::now() - begin);
  } else {
    ++failures;
  }
  panel.reset();

  const bool returnMet = !returnMs.empty() && Max(returnMs) < Min(targetMs);
  std::printf("%d pulls at 9600 baud\n", static_cast<int>(returnMs.size()));
  PrintRow("pulled cable: line closed -> OFFLINE shown",
           Format("median %.0f ms, max %.0f ms (%zu)", Median(lossMs), Max(lossMs), lossMs.size()),
           "< 1000 ms", !lossMs.empty() && Max(lossMs) < 1000.0);
  PrintRow("port back: new link -> first new reading shown",
           Format("median %.0f ms, max %.0f ms", Median(returnMs), Max(returnMs)),
           Format("< 1000 ms + sequence wire time = %.0f ms", Min(targetMs)), returnMet);
  PrintRow("  of which: new link -> REMote on the wire (the look)",
           Format("median %.0f ms, max %.0f ms", Median(lookMs), Max(lookMs)));
  PrintRow("  of which: the connect sequence, REMote -> comparator reply",
           Format("median %.0f ms, max %.0f ms", Median(sequenceMs), Max(sequenceMs)));
  PrintRow("  connect sequence's own wire time at 9600 baud",
           Format("%.0f ms", Median(sequenceWireMs)));
  if (cpuShare >= 0) {
    PrintRow(Format("panel CPU while OFFLINE (%d s)", offlineSeconds),
             Format("%.4f %% of one core", cpuShare), "< 0.5 % of one core", cpuShare < 0.5);
  }
  PrintRow("Disconnect pressed while OFFLINE", Format("%.1f ms", disconnectMs),
           "at once (no LOCal)");
  PrintRow("Close pressed while OFFLINE", Format("%.1f ms", closeMs), "at once (no LOCal)");
  return failures == 0 && returnMet ? 0 : 1;
}
