#include "fault_harness.h"

#include <time.h>

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <fstream>

#include "fit_label.h"
#include "log_writer.h"

namespace benchbridge::testing {

namespace {

double ClockSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// ", " + "yyyy-mm-dd hh:mm:ss:zzz"
constexpr std::size_t kStampLength = 2 + 23;

}  // namespace

ProcessCpu::ProcessCpu()
    : cpuStart_(ClockSeconds(CLOCK_PROCESS_CPUTIME_ID)),
      wallStart_(ClockSeconds(CLOCK_MONOTONIC)) {}

double ProcessCpu::WallSeconds() const { return ClockSeconds(CLOCK_MONOTONIC) - wallStart_; }

double ProcessCpu::ShareOfOneCore() const {
  const double wall = WallSeconds();
  return wall > 0 ? (ClockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart_) / wall : 0.0;
}

EventPulse::EventPulse() : last_(std::chrono::steady_clock::now()) {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    const auto now = std::chrono::steady_clock::now();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
    ++beats_;
  });
  timer_.start(20);
}

double EventPulse::LongestGapMs() const {
  return std::chrono::duration<double, std::milli>(longest_).count();
}

std::vector<std::string> LogTexts(const std::filesystem::path& home, const std::string& suffix,
                                  std::chrono::system_clock::time_point day) {
  std::ifstream in(home / "log" / (FormatLogDate(day) + suffix + ".log"), std::ios::binary);
  std::vector<std::string> texts;
  for (std::string line; std::getline(in, line);) {
    texts.push_back(line.size() >= kStampLength ? line.substr(0, line.size() - kStampLength)
                                                : line);
  }
  return texts;
}

void FaultHarness::SetUp() {
  watcher_ = std::make_unique<ModalWatcher>([this](QWidget* modal) {
    modals_.push_back(watcher_->Last());
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      QAbstractButton* ok = box->button(QMessageBox::Ok);
      ok != nullptr ? ok->click() : box->reject();
      return;
    }
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr) return;
    // Looked at again until the test lets it go, so a dialog's read-back can run its course.
    auto* look = new QTimer(dialog);
    QObject::connect(look, &QTimer::timeout, dialog, [this, dialog] {
      if (!dialogsMayClose_ || dialogsMayClose_()) dialog->reject();
    });
    look->start(5);
  });
}

void FaultHarness::TearDown() {
  PanelHarness::TearDown();
  watcher_.reset();
}

void FaultHarness::MakeMeter() {
  FakeOptions options;
  options.comNumber = kMeterCom;
  options.pacingBaud = pacingBaud_;
  meter_ = std::make_unique<FakeInstrument>(home_.Path(), options);
  for (const auto& [command, reply] : StandardMeterScript()) meter_->Reply(command, reply);
  meter_->SetDefault(ReplyLine("OK"));
  meter_->SetScript([this](const std::string& command) -> std::optional<Response> {
    std::lock_guard guard(faultMutex_);
    return fault_ ? fault_(command) : std::nullopt;
  });
}

void FaultHarness::StartMeterAndPanel(int pacingBaud) {
  pacingBaud_ = pacingBaud;
  MakeMeter();
  StartCountingPanel();
}

TFrmMain& FaultHarness::StartCountingPanel() {
  StartPanel();
  QObject::connect(panel_.get(), &TFrmMain::ReadingDisplayed, [this] { ++readings_; });
  return *panel_;
}

void FaultHarness::ReplaceMeter() {
  meter_.reset();
  EndFault();
  MakeMeter();
}

void FaultHarness::SetFault(Fault fault) {
  std::lock_guard guard(faultMutex_);
  fault_ = std::move(fault);
}

void FaultHarness::FailCommand(const std::string& text, Response response) {
  SetFault([text, response](const std::string& command) -> std::optional<Response> {
    if (command == text) return response;
    return std::nullopt;
  });
}

bool FaultHarness::Connected() const {
  return panel_->Poller() != nullptr && panel_->rbtn2->isEnabled() && panel_->cb8->isEnabled();
}

bool FaultHarness::WaitForReadings(int count, std::chrono::milliseconds limit) {
  const int target = readings_ + count;
  return WaitUntil([&] { return readings_ >= target; }, limit);
}

void FaultHarness::Reconnect() {
  if (panel_->Poller() != nullptr) PressConnectKey();
  ConnectPanel();
}

void FaultHarness::ExpectCleanDisconnect() {
  PressConnectKey();
  EXPECT_EQ(panel_->Poller(), nullptr);
  EXPECT_FALSE(panel_->Context().Connected());
  EXPECT_EQ(panel_->rbtn1->text(), "Connecting device");
  EXPECT_EQ(panel_->bb5->text(), "LOCAL");
  EXPECT_TRUE(panel_->c1->isEnabled());
}

void FaultHarness::ExpectNoErrorBox() const {
  for (const ModalSeen& seen : modals_) {
    EXPECT_NE(seen.title, "Error") << "generic error box: " << seen.text.toStdString();
  }
}

std::size_t FaultHarness::CountOf(const std::vector<std::string>& lines, const std::string& text) {
  return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), text));
}

}  // namespace benchbridge::testing
