// The bridge in the whole program: the real panel connected to benchbridge-sim, a PyVISA script
// (pyvisa-py, as test engineers use it) and plain socket clients on the bridge, checked against
// the simulator's transcript of the wire.

#include <gmock/gmock.h>

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <map>
#include <thread>

#include "bridge_client.h"
#include "sim_panel_harness.h"
#include "transcript_file.h"

namespace benchbridge::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using Kind = sim::TranscriptEntry::Kind;

constexpr auto kLimit = 20s;  // only stops a hung test

// The Python that has PyVISA with its pure-Python backend (Debian's python3-pyvisa-py installs
// it for the system's interpreter, which may not be the first python3 on the path).
QString PythonWithPyVisa() {
  QStringList candidates{QStringLiteral("/usr/bin/python3")};
  if (const QString onPath = QStandardPaths::findExecutable(QStringLiteral("python3"));
      !onPath.isEmpty()) {
    candidates << onPath;
  }
  for (const QString& python : candidates) {
    QProcess probe;
    probe.start(python, {"-c", "import pyvisa, pyvisa_py"});
    if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
        probe.exitCode() == 0) {
      return python;
    }
  }
  return {};
}

std::vector<sim::TranscriptEntry> ReadTranscript(const std::filesystem::path& file) {
  std::vector<sim::TranscriptEntry> entries;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (auto entry = sim::ParseTranscriptLine(line)) entries.push_back(std::move(*entry));
  }
  return entries;
}

class BridgeEndToEndTest : public SimPanelHarness {
 protected:
  // Readings in Ω once a client has switched the function to R.
  std::string Dut() const override { return "resistor:R=1k"; }

  // Runs bridge_pyvisa_client.py in the given mode against the panel's bridge while the panel's
  // event loop runs, as it would beside a real script.
  bool RunScript(const QString& python, TFrmMain& panel, const char* mode, std::string& out) {
    QProcess script;
    script.start(python,
                 {QStringLiteral(BENCHBRIDGE_PYVISA_CLIENT),
                  QString::number(PortOf(panel.BridgeListeningOn())), QString::fromLatin1(mode)});
    if (!WaitUntil([&] { return script.state() == QProcess::NotRunning; }, 120s)) return false;
    out = script.readAllStandardOutput().toStdString();
    out += script.readAllStandardError().toStdString();
    return script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
  }

  TFrmMain& ConnectWithBridge() {
    TFrmMain& panel = StartPanel();
    EXPECT_EQ(panel.SetBridgeListen("127.0.0.1:0"), "");
    ConnectToSim(panel);
    EXPECT_EQ(panel.bb5->text(), "REMOTE");
    EXPECT_NE(panel.BridgeListeningOn(), "");
    return panel;
  }
};

std::map<std::string, int> CommandsOnWire(const std::vector<sim::TranscriptEntry>& wire) {
  std::map<std::string, int> onWire;
  for (const auto& entry : wire) onWire[entry.bytes] += entry.kind == Kind::Command;
  return onWire;
}

TEST_F(BridgeEndToEndTest, APyVisaScriptWritesSettingsAndQueriesItsOwnRepliesWhileThePanelFollows) {
  const QString python = PythonWithPyVisa();
  if (python.isEmpty()) GTEST_SKIP() << "no python3 with pyvisa and pyvisa-py";
  TFrmMain& panel = ConnectWithBridge();
  QSignalSpy readings(&panel, &TFrmMain::ReadingDisplayed);
  QSignalSpy readBack(&panel, &TFrmMain::BridgeReadBackDone);
  std::string out;
  ASSERT_TRUE(RunScript(python, panel, "instrument", out)) << out;
  // Every query got its own reply: no "OK" one line behind, numbers where numbers are asked.
  EXPECT_EQ(out.find("OK"), std::string::npos) << out;
  EXPECT_THAT(out, HasSubstr("idn: Benchbridge Sim,LX2110,"));
  EXPECT_THAT(out, HasSubstr("reading: Rs,"));
  EXPECT_THAT(out, HasSubstr("Ω,X,"));  // the meter's GBK reaches the client as UTF-8
  EXPECT_THAT(out, HasSubstr("error: 0,\"No error\"\nfrequency: [1000.0]\nlevel: [1000.0]\n"
                             "speed: SLOW\n"));
  EXPECT_THAT(out, HasSubstr("error: 0,\"No error\"\nfrequency: [10000.0]\nlevel: [300.0]\n"
                             "speed: FAST\n"));
  EXPECT_THAT(out, HasSubstr("bad setting: -200,\"Execution error;FREQuency:CW 123456\" "
                             "0,\"No error\"\nopc: 1\nspeed: MED"));

  // The panel follows the script's last settings, and polled all along.
  ASSERT_TRUE(WaitUntil([&] { return panel.cb8->currentText() == "MED"; }));
  EXPECT_GE(readBack.count(), 1);
  EXPECT_EQ(panel.CB1->text().left(1), "R");
  ASSERT_TRUE(WaitUntil([&] { return readings.count() >= 2; }));
  EXPECT_EQ(panel.LLs1->text(), "Rs:");
  // The script's lines went on the wire once each, its "μ" as GBK A6 CC; the bridge's own
  // commands never went.
  std::map<std::string, int> onWire = CommandsOnWire(ReadTranscript(Transcript()));
  EXPECT_EQ(onWire["FUNCtion:IMPedance:A R"], 1);
  EXPECT_EQ(onWire["COMParator:TOLerance:NOMinal 2.2\xA6\xCC"], 1);
  EXPECT_EQ(onWire["APERture SLOW"], 1);
  EXPECT_EQ(onWire["FREQuency:CW 123456"], 1);
  EXPECT_EQ(onWire["SYSTem:ERRor?"] + onWire["SYST:ERR?"] + onWire["*OPC?"], 0);
}

TEST_F(BridgeEndToEndTest, WithRepliesAllTheSameMeterPassesEveryLineBack) {
  const QString python = PythonWithPyVisa();
  if (python.isEmpty()) GTEST_SKIP() << "no python3 with pyvisa and pyvisa-py";
  WriteSetIni("[Bridge]\nReplies=all\n");
  TFrmMain& panel = ConnectWithBridge();
  std::string out;
  ASSERT_TRUE(RunScript(python, panel, "all", out)) << out;
  EXPECT_THAT(out, HasSubstr("set function: OK\nreading: Rs,"));
  EXPECT_THAT(out, HasSubstr("set nominal: OK\n"));
  EXPECT_THAT(out, HasSubstr("set speed: OK\nspeed: SLOW\nerror: cmd err\n"));
  ASSERT_TRUE(WaitUntil([&] { return panel.cb8->currentText() == "SLOW"; }));
}

// Each client command whose effect the panel mirrors, checked on the panel and on the wire.
TEST_F(BridgeEndToEndTest, ThePanelMirrorsStatisticsDeviationListStateAndResetFromAClient) {
  TFrmMain& panel = ConnectWithBridge();
  BridgeClient client(PortOf(panel.BridgeListeningOn()));
  QSignalSpy readBack(&panel, &TFrmMain::BridgeReadBackDone);
  const auto send = [&](const std::string& line, bool followed = true) {
    const int before = static_cast<int>(readBack.count());
    ASSERT_TRUE(client.Send(line + "\n"));
    ASSERT_TRUE(client.Send("*OPC?\n"));
    std::optional<std::string> done;
    ASSERT_TRUE(WaitUntil([&] { return (done = client.ReadLine(0ms)).has_value(); }));
    ASSERT_EQ(done, "1");
    if (followed) {
      ASSERT_TRUE(WaitUntil([&] { return readBack.count() > before; }));
    }
  };
  const auto pollsAsk = [&](const std::string& query) {
    // A poll cycle after the re-read: the poller's own questions show what it asks now.
    const std::size_t from = ReadTranscript(Transcript()).size();
    EXPECT_TRUE(WaitUntil([&] { return ReadTranscript(Transcript()).size() > from + 6; }));
    const auto wire = ReadTranscript(Transcript());
    return std::any_of(wire.begin() + static_cast<std::ptrdiff_t>(from), wire.end(),
                       [&](const auto& e) { return e.kind == Kind::Command && e.bytes == query; });
  };

  send("func:com max");
  EXPECT_EQ(panel.bb3->text(), "MAX");
  EXPECT_TRUE(pollsAsk("FUNCtion:COMV?"));
  send("FUNCtion:DEV:MODE ON");
  EXPECT_TRUE(panel.Context().State().deviationOn);
  send("LIST:STATe ON");
  EXPECT_EQ(panel.cb9->currentText(), "ON");
  send("SYSTem:LOCal", false);  // refused: the panel stays in charge of remote
  EXPECT_EQ(panel.bb5->text(), "REMOTE");
  send("*RST");
  EXPECT_EQ(panel.bb3->text(), "");
  EXPECT_FALSE(panel.Context().State().deviationOn);
  EXPECT_EQ(panel.cb9->currentText(), "OFF");
  EXPECT_FALSE(pollsAsk("FUNCtion:COMV?"));  // no statistic asked of a reset meter
  EXPECT_EQ(CommandsOnWire(ReadTranscript(Transcript()))["SYSTem:LOCal"], 0);
}

TEST_F(BridgeEndToEndTest, ClientsAndThePollerTakeTurnsOnTheWire) {
  TFrmMain& panel = ConnectWithBridge();
  const std::uint16_t port = PortOf(panel.BridgeListeningOn());
  const std::size_t before = ReadTranscript(Transcript()).size();
  // Each client asks its own question, whose answer tells it apart from the others'.
  const std::vector<std::pair<std::string, std::string>> questions{
      {"*IDN?", "Benchbridge Sim,LX2110,"},
      {"FREQuency:CW?", "1000"},
      {"APERture?", "MED"},
      {"*LX?", "2110"}};
  constexpr int kEach = 25;
  std::vector<int> wrong(questions.size(), 0);
  std::atomic<std::size_t> finished{0};
  std::vector<std::thread> clients;
  for (std::size_t c = 0; c < questions.size(); ++c) {
    clients.emplace_back([&, c] {
      BridgeClient client(port);
      for (int i = 0; i < kEach; ++i) {
        const auto reply = client.Send(questions[c].first + "\n") ? client.ReadLine(kLimit)
                                                                  : std::optional<std::string>();
        wrong[c] += !reply || reply->rfind(questions[c].second, 0) != 0;
      }
      ++finished;
    });
  }
  // The panel's event loop runs meanwhile, as it does beside real scripts.
  EXPECT_TRUE(WaitUntil([&] { return finished == questions.size(); }, 120s));
  for (auto& client : clients) client.join();
  EXPECT_EQ(wrong, std::vector<int>(questions.size(), 0));

  // The simulator writes a reply down once its last byte is out, so the client may hold its last
  // answer before the transcript does: read it once it ends with a reply.
  std::vector<sim::TranscriptEntry> wire;
  ASSERT_TRUE(WaitUntil([&] {
    wire = ReadTranscript(Transcript());
    return !wire.empty() && wire.back().kind == Kind::Reply;
  }));
  wire.erase(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(before));
  while (!wire.empty() && wire.front().kind != Kind::Command) wire.erase(wire.begin());
  // One exchange at a time: every command answered before the next one went out.
  std::map<std::string, int> onWire;
  std::vector<std::chrono::system_clock::time_point> pollSent, pollAnswered;
  for (std::size_t k = 0; k + 1 < wire.size(); k += 2) {
    ASSERT_EQ(wire[k].kind, Kind::Command) << k;
    ASSERT_EQ(wire[k + 1].kind, Kind::Reply) << k << " " << wire[k].bytes;
    ++onWire[wire[k].bytes];
    if (wire[k].bytes == "FETCH:INT?") {
      pollSent.push_back(wire[k].when);
      pollAnswered.push_back(wire[k + 1].when);
    }
  }
  int clientLines = 0;
  for (const auto& [question, prefix] : questions) {
    EXPECT_EQ(onWire[question], kEach) << question;
    clientLines += onWire[question];
  }
  EXPECT_EQ(clientLines + onWire["FETCH:INT?"], static_cast<int>(wire.size() / 2));
  // The poller kept its pace between the clients: polls went on, each after its 500 ms of quiet
  // (the transcript's times are whole milliseconds, and a reply's is taken a moment after the
  // panel may have had it).
  ASSERT_GE(pollSent.size(), 2u);
  for (std::size_t k = 1; k < pollSent.size(); ++k) {
    EXPECT_GE(pollSent[k] - pollAnswered[k - 1], 450ms);
  }
}

}  // namespace
}  // namespace benchbridge::testing
