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

  TFrmMain& ConnectWithBridge() {
    TFrmMain& panel = StartPanel();
    EXPECT_EQ(panel.SetBridgeListen("127.0.0.1:0"), "");
    ConnectToSim(panel);
    EXPECT_EQ(panel.bb5->text(), "REMOTE");
    EXPECT_NE(panel.BridgeListeningOn(), "");
    return panel;
  }
};

TEST_F(BridgeEndToEndTest, APyVisaScriptQueriesAndSetsTheSpeedWhileThePanelPolls) {
  const QString python = PythonWithPyVisa();
  if (python.isEmpty()) GTEST_SKIP() << "no python3 with pyvisa and pyvisa-py";
  TFrmMain& panel = ConnectWithBridge();
  ASSERT_EQ(panel.cb8->currentText(), "MED");
  QSignalSpy readings(&panel, &TFrmMain::ReadingDisplayed);
  QSignalSpy readBack(&panel, &TFrmMain::BridgeReadBackDone);

  QProcess script;
  script.start(python, {QStringLiteral(BENCHBRIDGE_PYVISA_CLIENT),
                        QString::fromStdString(panel.BridgeListeningOn().substr(
                            panel.BridgeListeningOn().rfind(':') + 1))});
  // The panel's event loop runs meanwhile, as it would beside a real script.
  ASSERT_TRUE(WaitUntil([&] { return script.state() == QProcess::NotRunning; }, 60s));
  const std::string out = script.readAllStandardOutput().toStdString();
  ASSERT_EQ(script.exitCode(), 0) << out << script.readAllStandardError().toStdString();
  EXPECT_THAT(out, HasSubstr("idn: Benchbridge Sim,LX2110,"));
  EXPECT_THAT(out, HasSubstr("set function: OK\nreading: Rs,"));
  EXPECT_THAT(out, HasSubstr("Ω,X,"));  // the meter's GBK reaches the client as UTF-8
  EXPECT_THAT(out, HasSubstr("set nominal: OK\n"));
  EXPECT_THAT(out, HasSubstr("set speed: OK\nspeed: SLOW\n"));

  // The panel follows what the script changed, and polled all along.
  ASSERT_TRUE(WaitUntil([&] { return panel.cb8->currentText() == "SLOW"; }));
  EXPECT_GE(readBack.count(), 1);
  EXPECT_EQ(panel.CB1->text().left(1), "R");
  ASSERT_TRUE(WaitUntil([&] { return readings.count() >= 2; }));
  EXPECT_EQ(panel.LLs1->text(), "Rs:");
  // The script's lines went on the wire once each, its "μ" as GBK A6 CC; "Ω" came as A6 B8.
  const std::string gbkOhm = "\xA6\xB8,X,";
  std::map<std::string, int> onWire;
  int ohmReplies = 0;
  for (const auto& entry : ReadTranscript(Transcript())) {
    if (entry.kind == Kind::Command) ++onWire[entry.bytes];
    ohmReplies += entry.kind == Kind::Reply && entry.bytes.find(gbkOhm) != std::string::npos;
  }
  EXPECT_EQ(onWire["FUNCtion:IMPedance:A R"], 1);
  EXPECT_EQ(onWire["COMParator:TOLerance:NOMinal 2.2\xA6\xCC"], 1);
  EXPECT_EQ(onWire["APERture SLOW"], 1);
  EXPECT_GE(onWire["APERture?"], 3);  // connect, the script, the panel's readback
  EXPECT_GE(ohmReplies, 1);
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

  std::vector<sim::TranscriptEntry> wire = ReadTranscript(Transcript());
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
  // (the transcript's times are whole milliseconds).
  ASSERT_GE(pollSent.size(), 2u);
  for (std::size_t k = 1; k < pollSent.size(); ++k) {
    EXPECT_GE(pollSent[k] - pollAnswered[k - 1], 499ms);
  }
}

}  // namespace
}  // namespace benchbridge::testing
