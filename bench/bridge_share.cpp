// The network bridge with the panel connected to the simulated meter paced at 9600 baud:
//  1. bridge off, then bridge on with no client: the panel's CPU, and the wake-ups of the
//     bridge's own threads (none expected: they sleep until a client comes);
//  2. one client querying: its round trip minus the meter's own exchange time;
//  3. four clients querying back to back while the panel polls: how busy the line is, each
//     client's share, the poll period, the panel's CPU;
//  4. one client that sets the speed and goes on querying back to back: how long from the
//     setting's reply on the wire to the end of the panel's re-read (its last query);
//  5. the close with four clients attached.
//
//   build/release/bench/bridge_share [--seconds 30]
//
// The meter and the clients run in child processes forked before any thread exists, so their
// CPU is not the panel's; all clocks are the same system clock, so the clients' times and the
// meter's transcript compare directly. The pty hands a command over at once (only replies are
// paced), so the line is busy from a command's arrival to its reply's last byte.

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench_bridge_clients.h"
#include "bench_meter_child.h"
#include "bench_row.h"
#include "fit_label.h"
#include "port_combo_box.h"
#include "process_setup.h"
#include "temp_home.h"
#include "uFrmMain.h"

namespace {

using namespace benchbridge;
using namespace benchbridge::bench;
using SystemClock = std::chrono::system_clock;
using SteadyClock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kMeterCom = 9;

void RunEvents(std::chrono::milliseconds span) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(span.count()), Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Connect(TFrmMain& panel) {
  const int index = panel.c1->findText(QStringLiteral("COM%1").arg(kMeterCom));
  panel.c1->setCurrentIndex(index);
  emit panel.c1->activated(index);
  panel.rbtn1->click();
  return panel.bb5->text() == QLatin1String("REMOTE") && panel.rbtn2->isEnabled();
}

// Threads of the panel whose name starts with prefix ("" for all of them), and their context
// switches (voluntary + involuntary) so far.
struct TaskCount {
  int threads = 0;
  long switches = 0;
};

TaskCount Tasks(const std::string& prefix) {
  TaskCount count;
  for (const auto& task : fs::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    std::getline(comm, name);
    if (name.rfind(prefix, 0) != 0) continue;
    ++count.threads;
    std::ifstream status(task.path() / "status");
    for (std::string line; std::getline(status, line);) {
      if (line.find("ctxt_switches:") != std::string::npos) {
        count.switches += std::stol(line.substr(line.find(':') + 1));
      }
    }
  }
  return count;
}

// CPU seconds so far of the panel's threads, by thread name.
std::map<std::string, double> ThreadCpu() {
  std::map<std::string, double> cpu;
  for (const auto& task : fs::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    std::getline(comm, name);
    std::ifstream schedstat(task.path() / "schedstat");
    double nanoseconds = 0;
    schedstat >> nanoseconds;
    cpu[name] += nanoseconds / 1e9;
  }
  return cpu;
}

struct Idle {
  double cpuShare = 0;  // % of one core
  long switches = 0;    // of every thread of the panel
  long bridgeSwitches = 0;
  double bridgeCpuSeconds = 0;  // of the bridge's own threads
  int bridgeThreads = 0;
};

Idle MeasureIdle(int seconds) {
  Idle idle;
  const long all = Tasks("").switches, bridge = Tasks("bridge-").switches;
  const double cpu = CpuSeconds();
  const std::map<std::string, double> threadsBefore = ThreadCpu();
  const auto begin = SteadyClock::now();
  RunEvents(std::chrono::seconds(seconds));
  const double wall = std::chrono::duration<double>(SteadyClock::now() - begin).count();
  idle.cpuShare = 100.0 * (CpuSeconds() - cpu) / wall;
  idle.switches = Tasks("").switches - all;
  const TaskCount bridgeNow = Tasks("bridge-");
  idle.bridgeSwitches = bridgeNow.switches - bridge;
  idle.bridgeThreads = bridgeNow.threads;
  for (const auto& [name, used] : ThreadCpu()) {
    if (name.rfind("bridge-", 0) == 0) {
      idle.bridgeCpuSeconds += used - (threadsBefore.count(name) ? threadsBefore.at(name) : 0.0);
    }
  }
  return idle;
}

struct Exchange {
  std::int64_t command = 0, reply = 0;
  std::string bytes;
};

std::vector<Exchange> Pair(const std::vector<WireEvent>& wire) {
  std::vector<Exchange> exchanges;
  for (std::size_t i = 0; i + 1 < wire.size(); ++i) {
    if (wire[i].command && !wire[i + 1].command) {
      exchanges.push_back({wire[i].nanoseconds, wire[i + 1].nanoseconds, wire[i].bytes});
    }
  }
  return exchanges;
}

bool IsPoll(const Exchange& e) {
  return e.bytes == "FETCH:INT?" || e.bytes == "COMParator:TOLerance:BIN?" ||
         e.bytes == "FUNCtion:COMV?";
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 30;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::max(5, std::atoi(argv[i + 1]));
  }
  const int idleSeconds = std::max(5, seconds / 3);
  testing::TempHome home;
  MeterChild meter;
  ClientsChild clients;
  if (!meter.Start(home.Path(), kMeterCom) || !clients.Start()) {
    (void)std::fprintf(stderr, "the simulated meter or the clients did not start\n");
    return 1;
  }

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  FixRegionalFormats();
  auto panel = std::make_unique<TFrmMain>(home.Path());
  panel->show();
  if (!QTest::qWaitForWindowExposed(panel.get()) || !Connect(*panel)) {
    (void)std::fprintf(stderr, "the panel did not connect to COM%d\n", kMeterCom);
    return 1;
  }
  RunEvents(std::chrono::milliseconds(1000));
  const Idle off = MeasureIdle(idleSeconds);

  panel->rbtn1->click();  // disconnect, and back with the bridge on
  panel->SetBridgeListen("127.0.0.1:0");
  if (!Connect(*panel) || panel->BridgeListeningOn().empty()) {
    (void)std::fprintf(stderr, "the bridge did not start\n");
    return 1;
  }
  const int port =
      std::stoi(panel->BridgeListeningOn().substr(panel->BridgeListeningOn().rfind(':') + 1));
  RunEvents(std::chrono::milliseconds(1000));
  const Idle on = MeasureIdle(idleSeconds);

  // One client, queries one after the other; the panel keeps polling meanwhile.
  clients.Order(port, 1, 0, 400);
  std::vector<ClientExchangeTimes> single;
  while (!clients.Collect(single, std::chrono::milliseconds(50)))
    RunEvents(std::chrono::milliseconds(0));

  // Four clients back to back.
  const double cpuBegin = CpuSeconds();
  const std::map<std::string, double> threadsBegin = ThreadCpu();
  const auto busyBegin = SteadyClock::now();
  const std::int64_t fourBegin = Nanos(SystemClock::now());
  clients.Order(port, 4, seconds * 1000, 0);
  std::vector<ClientExchangeTimes> four;
  while (!clients.Collect(four, std::chrono::milliseconds(50)))
    RunEvents(std::chrono::milliseconds(0));
  const std::int64_t fourEnd = Nanos(SystemClock::now());
  const double fourWall = std::chrono::duration<double>(SteadyClock::now() - busyBegin).count();
  const double fourCpu = CpuSeconds() - cpuBegin;
  std::map<std::string, double> byThread = ThreadCpu();
  for (auto& [name, used] : byThread)
    used -= threadsBegin.count(name) ? threadsBegin.at(name) : 0.0;

  // One client setting the speed every 60 lines and querying in between, no pause anywhere.
  const std::int64_t settingBegin = Nanos(SystemClock::now());
  clients.Order(port, 1, std::max(10, seconds / 2) * 1000, 0, 60);
  std::vector<ClientExchangeTimes> setting;
  while (!clients.Collect(setting, std::chrono::milliseconds(50)))
    RunEvents(std::chrono::milliseconds(0));

  // The close with four clients in the middle of their queries.
  clients.Order(port, 4, 3000, 0);
  RunEvents(std::chrono::milliseconds(1000));
  const int clientsAtClose = panel->BridgeClients();
  const auto closeBegin = SteadyClock::now();
  panel->close();
  const double closeMs =
      std::chrono::duration<double, std::milli>(SteadyClock::now() - closeBegin).count();
  panel.reset();
  std::vector<ClientExchangeTimes> atClose;
  clients.Collect(atClose, std::chrono::milliseconds(10000));
  clients.Stop();
  std::vector<WireEvent> wire;
  const bool meterFine = meter.Stop(wire);
  const std::vector<Exchange> exchanges = Pair(wire);

  // 2. Round trip minus the meter's own time, for the exchanges no poll stood in front of.
  std::vector<double> overheads;
  for (const ClientExchangeTimes& times : single) {
    const auto own = std::find_if(exchanges.begin(), exchanges.end(), [&](const Exchange& e) {
      return !IsPoll(e) && e.command >= times.sent;
    });
    if (own == exchanges.end() || times.answered == 0) continue;
    const bool waited = std::any_of(exchanges.begin(), exchanges.end(), [&](const Exchange& e) {
      return IsPoll(e) && e.reply >= times.sent && e.command <= own->command;
    });
    if (!waited)
      overheads.push_back(((times.answered - times.sent) - (own->reply - own->command)) / 1e6);
  }

  // 3. The line, the shares, the polls while four clients query.
  double busy = 0;
  std::vector<double> periods;
  std::int64_t lastPollReply = 0;
  for (const Exchange& e : exchanges) {
    if (e.command < fourBegin || e.reply > fourEnd) continue;
    busy += (e.reply - e.command) / 1e9;
    if (e.bytes == "FETCH:INT?") {
      if (lastPollReply != 0) periods.push_back((e.command - lastPollReply) / 1e6);
      lastPollReply = e.reply;
    }
  }
  const auto firstCommand = std::find_if(exchanges.begin(), exchanges.end(),
                                         [&](const Exchange& e) { return e.command >= fourBegin; });
  const auto lastReply = std::find_if(exchanges.rbegin(), exchanges.rend(),
                                      [&](const Exchange& e) { return e.reply <= fourEnd; });
  const double span = firstCommand == exchanges.end() || lastReply == exchanges.rend()
                          ? 0.0
                          : (lastReply->reply - firstCommand->command) / 1e9;
  const double busyShare = span > 0 ? 100.0 * busy / span : 0.0;
  std::map<int, int> perClient;
  for (const ClientExchangeTimes& times : four) perClient[times.client] += times.answered != 0;
  double most = 0, least = 1e18, sum = 0;
  for (const auto& [client, count] : perClient) {
    most = std::max<double>(most, count);
    least = std::min<double>(least, count);
    sum += count;
  }
  const double mean = perClient.empty() ? 0.0 : sum / perClient.size();
  const double spread = mean > 0 ? 100.0 * (most - least) / mean : 100.0;
  const double fourShare = 100.0 * fourCpu / fourWall;

  // 4. From each setting's reply to the reply of the panel's last re-read query after it.
  std::vector<double> reReads;
  for (auto e = exchanges.begin(); e != exchanges.end(); ++e) {
    if (e->command < settingBegin || e->bytes.rfind("APERture ", 0) != 0) continue;
    const auto done = std::find_if(
        e, exchanges.end(), [](const Exchange& x) { return x.bytes == "COMParator:STATe?"; });
    if (done != exchanges.end()) reReads.push_back((done->reply - e->reply) / 1e6);
  }

  std::printf("bridge with the panel on benchbridge-sim (LX2110, 9600 baud pacing)\n");
  std::printf("  idle %d s, bridge off: panel %.3f %% of one core, %ld context switches\n",
              idleSeconds, off.cpuShare, off.switches);
  std::printf(
      "  idle %d s, bridge on:  panel %.3f %% of one core, %ld context switches, "
      "bridge threads %d with %ld\n",
      idleSeconds, on.cpuShare, on.switches, on.bridgeThreads, on.bridgeSwitches);
  std::printf(
      "  one client: %zu exchanges, %zu without a poll in front; round trip - meter "
      "median %.3f ms, p95 %.3f ms\n",
      single.size(), overheads.size(), Median(overheads), Percentile(overheads, 0.95));
  std::printf("  four clients %.1f s: line busy %.2f %% of %.1f s, exchanges per client", fourWall,
              busyShare, span);
  for (const auto& [client, count] : perClient) std::printf(" %d", count);
  std::printf(
      " (spread %.1f %%), poll period median %.1f ms p99 %.1f ms max %.1f ms (%zu), "
      "panel %.3f %% of one core\n",
      spread, Median(periods), Percentile(periods, 0.99), Max(periods), periods.size(), fourShare);
  std::printf("  four clients, CPU by thread (%% of one core):");
  for (const auto& [name, used] : byThread) {
    if (used > 0.0005 * fourWall) std::printf(" %s %.3f", name.c_str(), 100.0 * used / fourWall);
  }
  std::printf("\n");
  std::printf(
      "  a client setting the speed while querying: re-read done after median %.0f ms, "
      "max %.0f ms (%zu settings)\n",
      Median(reReads), Max(reReads), reReads.size());
  std::printf("  close with %d clients attached: %.1f ms\n", clientsAtClose, closeMs);

  // The whole panel's CPU in two windows differs by the machine's noise; what the bridge adds is
  // its own threads' time, which schedstat gives to the nanosecond.
  PrintRow("bridge on, no client: CPU of its threads",
           Format("%.6f s in %d s (panel %.3f %% of one core, off: %.3f %%)", on.bridgeCpuSeconds,
                  idleSeconds, on.cpuShare, off.cpuShare),
           "0", on.bridgeCpuSeconds == 0.0);
  PrintRow("bridge on, no client: wake-ups of its threads",
           Format("%ld in %d s (%d threads)", on.bridgeSwitches, idleSeconds, on.bridgeThreads),
           "0", on.bridgeSwitches == 0);
  PrintRow("bridge: client round trip minus the meter's exchange",
           Format("median %.3f ms, p95 %.3f ms (%zu)", Median(overheads),
                  Percentile(overheads, 0.95), overheads.size()),
           "median < 0.5 ms", !overheads.empty() && Median(overheads) < 0.5);
  PrintRow("bridge: four clients back to back, line busy", Format("%.2f %%", busyShare), ">= 95 %",
           busyShare >= 95.0);
  PrintRow("bridge: four clients, spread of their shares",
           Format("%.1f %% (%d to %d exchanges)", spread, static_cast<int>(least),
                  static_cast<int>(most)),
           "within 10 %", perClient.size() == 4 && spread <= 10.0);
  PrintRow("bridge: poll period with four clients",
           Format("median %.1f ms, p99 %.1f ms (%zu)", Median(periods), Percentile(periods, 0.99),
                  periods.size()),
           "p99 < 560 ms", !periods.empty() && Percentile(periods, 0.99) < 560.0);
  PrintRow(
      "bridge: re-read after a client's setting while it keeps querying",
      Format("median %.0f ms, max %.0f ms (%zu)", Median(reReads), Max(reReads), reReads.size()),
      "median < 1200 ms", !reReads.empty() && Median(reReads) < 1200.0);
  PrintRow("bridge: panel CPU with four clients", Format("%.3f %% of one core", fourShare),
           "< 2 % of one core", fourShare < 2.0);
  PrintRow("bridge: close with four clients attached", Format("%.1f ms", closeMs), "< 100 ms",
           closeMs < 100.0);
  return meterFine ? 0 : 1;
}
