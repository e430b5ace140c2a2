// The sweep window on the meter session, without the panel, against the simulated meter served
// on a pty in-process (paced like the real line): what goes on the wire for each point and at
// the end, the plotted and exported values against the simulated part's physics, a list model's
// items with an error reply at one point.

#include <gmock/gmock.h>

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <fstream>

#include "engineering_axis.h"
#include "meter_session.h"
#include "model_abilities.h"
#include "simulated_meter.h"
#include "sweep_csv.h"
#include "sweep_plot.h"
#include "sweep_window.h"
#include "temp_home.h"

namespace benchbridge {
namespace {

using namespace std::chrono_literals;
constexpr const char* kCapacitor = "capacitor:C=470u,ESR=30m,ESL=15n";

class QtLoop final : public QObject, public OwnerLoop {
 public:
  void Post(std::function<void()> task) override {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
  }
  bool RunUntil(const std::function<bool()>& done) override {
    QDeadlineTimer limit(60s);
    while (!done() && !limit.hasExpired())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
  }
};

// The panel's part, as plainly as it goes: the model table and the settings the meter starts in.
class SessionHost final : public SweepHost {
 public:
  SessionHost(MeterSession& session, std::string model)
      : session_(session), model_(std::move(model)) {}
  SweepMeter Meter() const override {
    const ModelAbilities& model = AbilitiesOf(model_);
    SweepMeter meter;
    meter.connected = session_.State() == SessionState::kConnected;
    meter.model = model_;
    if (model.family == ModelFamily::kListed) {
      meter.frequency.items = model.frequenciesHz;
      meter.level.items = model.levelsMv;
    } else {
      meter.frequency = {model.frequencyRangeHz->lowest, model.frequencyRangeHz->highest, {}};
      meter.level = {kLevelRangeMv.lowest, kLevelRangeMv.highest, {}};
    }
    meter.bias = {kBiasRangeMv.lowest, kBiasRangeMv.highest, {}};
    meter.frequencyHz = 1000;
    meter.levelMv = 1000;
    meter.biasMv = 0;
    return meter;
  }
  std::unique_ptr<SweepLine> TakeLine(std::function<void()> back) override {
    return LeaseSweepLine::Take(session_, std::move(back));
  }
  void SetSweeping(bool sweeping) override { sweepingCalls.push_back(sweeping); }
  void ReadBack() override { ++readBacks; }
  CsvContext ExportContext() const override {
    return {"LX3110, serial 1", "Z-θ", {"Level: 1000mV"}, 0, {}, {}};
  }

  std::vector<bool> sweepingCalls;
  int readBacks = 0;

 private:
  MeterSession& session_;
  std::string model_;
};

class SweepWindowTest : public ::testing::Test {
 protected:
  SweepWindow& Open(const std::string& model, const std::string& dut,
                    std::vector<sim::Fault> faults = {}) {
    sim::SimulatedMeterOptions options;
    options.comNumber = 7;
    options.instrument.model = *sim::FindModel(model);
    std::string why;
    options.instrument.dut = *sim::ParseDut(dut, &why);
    options.faults = std::move(faults);
    options.pacingBaud = 9600;
    options.seed = 7;
    options.onTranscript = [this](const sim::TranscriptEntry& entry) {
      if (entry.kind != sim::TranscriptEntry::Kind::Command) return;
      std::lock_guard lock(mutex_);
      commands_.push_back(entry.bytes);
    };
    meter_ = std::make_unique<sim::SimulatedMeter>(home_.Path(), std::move(options));
    session_ =
        std::make_unique<MeterSession>(SessionPlace{home_.Path(), link_, controls_, log_, loop_});
    EXPECT_EQ(session_->Connect(7), ConnectOutcome::kComplete);
    host_ = std::make_unique<SessionHost>(*session_, model);
    window_ = std::make_unique<SweepWindow>(*host_);
    window_->show();
    return *window_;
  }
  void TearDown() override {
    window_.reset();
    if (session_) session_->Close(true);
    session_.reset();
    meter_.reset();
  }
  // From the first line of the sweep: what went on the wire, polls between sweeps left out.
  std::vector<std::string> SweepLines(const std::string& first) {
    std::lock_guard lock(mutex_);
    const auto at = std::find(commands_.begin(), commands_.end(), first);
    return {at, commands_.end()};
  }
  bool Run(int start, int stop, int points, int averaging) {
    window_->findChild<QSpinBox*>("startBox")->setValue(start);
    window_->findChild<QSpinBox*>("stopBox")->setValue(stop);
    window_->findChild<QSpinBox*>("pointsBox")->setValue(points);
    window_->findChild<QSpinBox*>("averagingBox")->setValue(averaging);
    QSignalSpy ended(window_.get(), &SweepWindow::SweepEnded);
    window_->findChild<QPushButton*>("startButton")->click();
    return loop_.RunUntil([&] { return ended.count() == 1; });
  }
  // Each point: the setting, a reading thrown away, the averaged readings; then the restore.
  void ExpectOnWire(const std::vector<int>& values, int averaging, int refused) {
    const std::vector<std::string> wire = SweepLines("FREQuency:CW " + std::to_string(values[0]));
    std::size_t at = 0;
    for (const int value : values) {
      ASSERT_LT(at + (value == refused ? 0 : averaging + 1), wire.size());
      EXPECT_EQ(wire[at++], "FREQuency:CW " + std::to_string(value));
      if (value == refused) continue;
      for (int k = 0; k <= averaging; ++k) EXPECT_EQ(wire[at++], "FETCH:INT?") << value;
    }
    ASSERT_LT(at, wire.size());
    EXPECT_EQ(wire[at++], "FREQuency:CW 1000");                        // back to where it was
    for (; at < wire.size(); ++at) EXPECT_EQ(wire[at], "FETCH:INT?");  // then polls, nothing else
  }

  testing::TempHome home_;
  LinkShared link_;
  PollerControls controls_;
  LogWriter log_{home_.Path() / "log"};
  QtLoop loop_;
  std::unique_ptr<sim::SimulatedMeter> meter_;
  std::unique_ptr<MeterSession> session_;
  std::unique_ptr<SessionHost> host_;
  std::unique_ptr<SweepWindow> window_;
  std::mutex mutex_;
  std::vector<std::string> commands_;
};

TEST_F(SweepWindowTest, ACapacitorsResonanceOnTheWirePlottedExportedAndLoadedBack) {
  SweepWindow& window = Open("LX3110", kCapacitor);
  window.ChoosePlots(1, 2);  // |Z| and θ
  ASSERT_TRUE(Run(1000, 100000, 11, 2));
  const std::vector<int> values{1000,  1585,  2512,  3981,  6310,  10000,
                                15849, 25119, 39811, 63096, 100000};
  ExpectOnWire(values, 2, -1);
  EXPECT_EQ(host_->sweepingCalls, (std::vector<bool>{true, false}));
  EXPECT_EQ(host_->readBacks, 1);
  EXPECT_THAT(window.findChild<QLabel*>("sweepStatus")->text().toStdString(),
              ::testing::HasSubstr("Frequency back to 1 kHz"));

  // |Z| against the part to the meter's resolution and noise; the lowest |Z| where 470 uF and
  // 15 nH resonate (59.9 kHz: the nearest point is 63.1 kHz), capacitive below, inductive above.
  std::string why;
  const sim::Dut part = *sim::ParseDut(kCapacitor, &why);
  const SweepRecord& record = window.Current();
  ASSERT_EQ(record.points.size(), values.size());
  std::vector<double> magnitude;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto z = ImpedanceOf(record.points[i].Pair(), values[i]);
    ASSERT_TRUE(z) << values[i];
    magnitude.push_back(std::abs(*z));
    EXPECT_NEAR(magnitude.back() / std::abs(part.Impedance(values[i], 0)), 1.0, 2e-3) << values[i];
    EXPECT_EQ(std::arg(*z) > 0, values[i] > 59941) << values[i];
  }
  EXPECT_EQ(std::min_element(magnitude.begin(), magnitude.end()) - magnitude.begin(), 9);
  const auto* upper = window.findChild<SweepPlot*>("upperPlot");
  EXPECT_EQ(upper->YAxis().titleText(), "|Z| (mΩ)");
  EXPECT_EQ(upper->XAxis().titleText(), "f (kHz)");
  EXPECT_EQ(window.findChild<SweepPlot*>("lowerPlot")->YAxis().titleText(), "θ (°)");

  // The export opens in Python's csv module with no options, and reads back as a reference.
  const auto file = home_.Path() / "part.csv";
  ASSERT_TRUE(window.ExportCsv(file));
  QProcess python;
  python.start("python3",
               {"-c",
                "import csv,sys\n"
                "rows = list(csv.DictReader(open(sys.argv[1], encoding='utf-8')))\n"
                "print(len(rows), rows[9]['f (Hz)'], rows[9]['status'], rows[9]['meter'])",
                QString::fromStdString(file.string())});
  ASSERT_TRUE(python.waitForFinished(30000));
  EXPECT_EQ(python.readAllStandardOutput().toStdString(), "11 63096 ok LX3110, serial 1\n");
  ASSERT_TRUE(window.LoadReference(file));
  ASSERT_EQ(window.References().size(), 1u);
  EXPECT_EQ(window.References()[0].name, "part");
  EXPECT_EQ(window.References()[0].points[9].primary, record.points[9].primary);
  EXPECT_TRUE(window.ExportPng(home_.Path() / "sweep.png"));
}

TEST_F(SweepWindowTest, AListModelTakesItsItemsAndAnErrorReplyLeavesOneGap) {
  SweepWindow& window =
      Open("LX2110", "capacitor", {{sim::FaultKind::ExecutionError, {"FREQuency:CW 2000", 1, 0}}});
  ASSERT_TRUE(Run(1000, 20000, 2, 1));
  const std::vector<int> items{1000, 2000, 4000, 8000, 10000, 15000, 20000};
  ExpectOnWire(items, 1, 2000);
  ASSERT_EQ(window.Current().points.size(), items.size());
  EXPECT_EQ(window.Current().MissingCount(), 1);
  EXPECT_EQ(window.Current().points[1].status, PointStatus::ErrorReply);
  EXPECT_THAT(window.findChild<QLabel*>("sweepStatus")->text().toStdString(),
              ::testing::HasSubstr("1 missing"));
}

}  // namespace
}  // namespace benchbridge
