#include "sweep_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

#include "quantity_text.h"
#include "sweep_plot.h"

namespace benchbridge {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString Duration(std::chrono::nanoseconds time) {
  const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(time).count();
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString Value(double value, const char* unit) { return Text(FormatQuantity(value, unit)); }

QString EndText(const SweepRecord& record, const SweepOutcome& outcome) {
  const int taken = static_cast<int>(record.points.size());
  const QString points = QStringLiteral("%1 of %2 points").arg(taken).arg(record.planned);
  QString text;
  switch (outcome.end) {
    case SweepEnd::Finished:
      text = QStringLiteral("Sweep complete: %1").arg(points);
      break;
    case SweepEnd::Stopped:
      text = QStringLiteral("Stopped after %1").arg(points);
      break;
    case SweepEnd::LineLost:
      text = QStringLiteral("The line was lost after %1; the sweep is incomplete").arg(points);
      break;
    case SweepEnd::Withdrawn:
      text = QStringLiteral("The sweep ended with the connection after %1").arg(points);
      break;
    case SweepEnd::MeterSilent:
      text = QStringLiteral("The meter stopped answering after %1").arg(points);
      break;
    case SweepEnd::BeforeUnknown:
      return QStringLiteral("The meter did not tell its setting, so nothing was swept");
  }
  if (const int missing = record.MissingCount(); missing > 0) {
    text += QStringLiteral(", %1 missing").arg(missing);
  }
  const QString setting = record.setting == SweptSetting::Frequency ? QStringLiteral("Frequency")
                          : record.setting == SweptSetting::Level   ? QStringLiteral("Level")
                                                                    : QStringLiteral("Bias");
  const QString before =
      outcome.before ? Value(*outcome.before, SettingUnit(record.setting)) : QString("?");
  if (outcome.restored) {
    text += QStringLiteral(". %1 back to %2.").arg(setting, before);
  } else {
    // Never silent about a meter left at the last point's setting.
    text += QStringLiteral(
                ". %1 could not be set back to %2: the meter may still be at the last "
                "point's setting.")
                .arg(setting, before);
  }
  return text;
}

}  // namespace

SweepWindow::SweepWindow(SweepHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), host_(host) {
  setObjectName("SweepWindow");
  setWindowTitle("Sweep");
  setAccessibleName("Sweep");
  setAccessibleDescription("Drives the meter over frequency, level or bias and plots the part");
  resize(1100, 720);
  setMinimumSize(760, 520);
  BuildControls();
  current_.planned = 0;
  MeterChanged();
  Redraw();
}

SweepWindow::~SweepWindow() {
  // Going with the panel: the panel is no longer there to be told, and the session takes the
  // line back itself at its close.
  if (!runner_) return;
  runner_->RequestStop();
  if (thread_.joinable()) thread_.join();
  if (line_) line_->GiveBack();
}

void SweepWindow::MeterChanged() {
  const std::string model = meter_.model;
  meter_ = host_.Meter();
  // Another meter takes other values; the same one keeps what the operator set up.
  if (!Sweeping()) ShowLimits(model != meter_.model || !shownOnce_);
  shownOnce_ = true;
  EnableControls();
}

SweptSetting SweepWindow::Setting() const {
  return static_cast<SweptSetting>(std::max(0, settingBox_->currentIndex()));
}

const SweepLimits& SweepWindow::Limits() const {
  switch (Setting()) {
    case SweptSetting::Level:
      return meter_.level;
    case SweptSetting::Bias:
      return meter_.bias;
    case SweptSetting::Frequency:
      break;
  }
  return meter_.frequency;
}

void SweepWindow::SettingChosen() {
  ShowLimits(true);
  EnableControls();
  Redraw();
}

void SweepWindow::ShowLimits(bool defaults) {
  const SweptSetting setting = Setting();
  const SweepLimits& limits = Limits();
  const bool listed = !limits.items.empty();
  const int low = listed ? limits.items.front() : limits.low;
  const int high = listed ? limits.items.back() : std::max(limits.low, limits.high);
  const QString suffix = QStringLiteral(" %1").arg(SettingUnit(setting));
  for (QSpinBox* box : {startBox_, stopBox_}) {
    box->setRange(low, high);
    box->setSuffix(suffix);
  }
  pointsBox_->setVisible(!listed);
  spacingBox_->setVisible(!listed);
  everyBox_->setVisible(listed);
  everyBox_->setMaximum(std::max<int>(1, static_cast<int>(limits.items.size()) - 1));
  if (!defaults) return;
  const bool frequency = setting == SweptSetting::Frequency;
  // A frequency sweep starts from the decade that characterises parts, where the meter has it.
  startBox_->setValue(frequency ? std::clamp(100, low, high) : low);
  stopBox_->setValue(high);
  spacingBox_->setCurrentIndex(frequency ? 0 : 1);
  pointsBox_->setValue(frequency ? 51 : 16);
  logX_->setChecked(frequency);
  // Impedance over frequency reads as decades on both axes.
  logUpper_->setChecked(frequency);
}

void SweepWindow::EnableControls() {
  const bool running = Sweeping();
  for (QWidget* control : std::initializer_list<QWidget*>{
           settingBox_, startBox_, stopBox_, pointsBox_, spacingBox_, everyBox_, averagingBox_}) {
    control->setEnabled(!running && meter_.connected);
  }
  startButton_->setEnabled(!running && meter_.connected);
  stopButton_->setEnabled(running);
  keepButton_->setEnabled(!running && !current_.points.empty());
  csvButton_->setEnabled(!running && !current_.points.empty());
  removeButton_->setEnabled(referenceList_->count() > 0);
  // What the last sweep ended with stays readable; the hint only fills an empty line.
  if (!meter_.connected && !running && statusLabel_->text().isEmpty()) {
    ShowStatus("Connect to the meter to sweep.");
  }
}

void SweepWindow::StartSweep() {
  if (Sweeping()) return;
  meter_ = host_.Meter();
  if (!meter_.connected) {
    EnableControls();
    return;
  }
  SweepRequest request;
  request.setting = Setting();
  request.start = startBox_->value();
  request.stop = stopBox_->value();
  request.points = pointsBox_->value();
  request.spacing =
      spacingBox_->currentIndex() == 0 ? SweepSpacing::Logarithmic : SweepSpacing::Linear;
  request.everyNth = everyBox_->value();
  const SweepPlan plan = PlanSweep(request, Limits());
  if (!plan.error.empty()) {
    ShowStatus(Text(plan.error) + ".");
    return;
  }
  line_ = host_.TakeLine([this] { LineTakenBack(); });
  if (!line_) {
    ShowStatus("The meter's line is not free for a sweep now.");
    return;
  }
  SweepSetup setup;
  setup.setting = request.setting;
  setup.values = plan.values;
  setup.averaging = averagingBox_->value();
  setup.before = request.setting == SweptSetting::Frequency ? meter_.frequencyHz
                 : request.setting == SweptSetting::Level   ? meter_.levelMv
                                                            : meter_.biasMv;
  current_ = SweepRecord{};
  current_.name = QStringLiteral("Sweep %1").arg(++sweepsRun_).toStdString();
  current_.setting = request.setting;
  current_.spacing = request.spacing;
  current_.averaging = setup.averaging;
  current_.fixedFrequencyHz = meter_.frequencyHz.value_or(0);
  current_.planned = static_cast<int>(plan.values.size());
  current_.started = ToTimeMs(std::chrono::system_clock::now());
  shownTimes_.clear();
  {
    std::lock_guard lock(pendingMutex_);
    pending_.clear();
    pointTimes_.clear();
    outcome_.reset();
  }
  SweepLine* line = line_.get();
  SweepObserver& observer = *this;
  runner_ = std::make_unique<SweepRunner>(
      std::move(setup), [line](const std::string& command) { return line->Ask(command); },
      observer);
  host_.SetSweeping(true);
  EnableControls();
  ShowStatus(QStringLiteral("Sweeping %1 points…").arg(current_.planned));
  ShowProgress();
  Redraw();
  thread_ = std::thread([this] {
    const SweepOutcome outcome = runner_->Run();
    {
      std::lock_guard lock(pendingMutex_);
      outcome_ = outcome;
    }
    QMetaObject::invokeMethod(
        this, [this] { Conclude(true); }, Qt::QueuedConnection);
  });
}

void SweepWindow::StopSweep() {
  if (runner_) runner_->RequestStop();
  stopButton_->setEnabled(false);
  ShowStatus("Stopping after the exchange under way…");
}

void SweepWindow::PointTaken(int index, const SweepPoint& point, std::chrono::nanoseconds took) {
  {
    std::lock_guard lock(pendingMutex_);
    pending_.emplace_back(index, point);
    pointTimes_.push_back(took);
  }
  QMetaObject::invokeMethod(
      this, [this] { DrainPoints(); }, Qt::QueuedConnection);
}

void SweepWindow::DrainPoints() {
  std::vector<std::pair<int, SweepPoint>> points;
  {
    std::lock_guard lock(pendingMutex_);
    points.swap(pending_);
    shownTimes_.insert(shownTimes_.end(), pointTimes_.begin(), pointTimes_.end());
    pointTimes_.clear();
  }
  if (points.empty()) return;
  for (auto& [index, point] : points) current_.points.push_back(std::move(point));
  ShowProgress();
  Redraw();
  for (const auto& [index, point] : points) emit PointShown(index);
}

void SweepWindow::Conclude(bool readBack) {
  if (!thread_.joinable()) return;
  thread_.join();
  DrainPoints();
  std::optional<SweepOutcome> outcome;
  {
    std::lock_guard lock(pendingMutex_);
    outcome.swap(outcome_);
  }
  runner_.reset();
  if (line_) line_->GiveBack();
  line_.reset();
  concluding_ = true;
  const bool lineThere =
      outcome && outcome->end != SweepEnd::LineLost && outcome->end != SweepEnd::Withdrawn;
  // The panel shows the truth again: what the meter holds now, not what it held before.
  if (readBack && lineThere) host_.ReadBack();
  host_.SetSweeping(false);
  concluding_ = false;
  current_.end = outcome ? EndText(current_, *outcome).toStdString() : std::string();
  progress_->setFormat(
      QStringLiteral("%1 of %2").arg(current_.points.size()).arg(current_.planned));
  ShowStatus(Text(current_.end));
  EnableControls();
  emit SweepEnded();
}

void SweepWindow::EndSweepNow() {
  if (!runner_) return;
  runner_->RequestStop();
  Conclude(false);
}

void SweepWindow::LineTakenBack() {
  // The session took the line (lost, disconnect, close): the sweep's exchanges already fail, so
  // its thread ends at once; what it took so far stays.
  if (runner_) runner_->RequestStop();
}

void SweepWindow::closeEvent(QCloseEvent* event) {
  // The sweep's controls go with the window, so a sweep under way ends with it (and is set back).
  if (runner_) {
    runner_->RequestStop();
    Conclude(true);
  }
  event->accept();
}

void SweepWindow::ShowProgress() {
  const int done = static_cast<int>(current_.points.size());
  const int total = std::max(1, current_.planned);
  progress_->setRange(0, total);
  progress_->setValue(done);
  QString text = QStringLiteral("Point %1 of %2").arg(std::min(done + 1, total)).arg(total);
  if (!shownTimes_.empty()) {
    std::vector<std::chrono::nanoseconds> times = shownTimes_;
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    text += QStringLiteral(", %1 left").arg(Duration(times[times.size() / 2] * (total - done)));
  }
  progress_->setFormat(text);
}

void SweepWindow::ShowStatus(const QString& text) { statusLabel_->setText(text); }

}  // namespace benchbridge
