// The trend window's files: logs loaded in the background with progress and cancel, and the
// exports of what is in view.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <chrono>
#include <cmath>
#include <fstream>
#include <system_error>

#include "new_log_reader.h"
#include "quantity_text.h"
#include "trend_window.h"

namespace benchbridge {

namespace {

QString FileName(const std::filesystem::path& file) {
  return QString::fromStdString(file.filename().string());
}

// The system's text for an errno (thread-safe, unlike strerror).
QString ErrorText(int error) {
  return QString::fromLocal8Bit(std::generic_category().message(error));
}

// What the operator reads after a load; problem tells whether it is a fault.
// dropped: the oldest readings the store could not keep.
QString LoadMessage(const std::filesystem::path& file, const LogLoadResult& result,
                    std::uint64_t dropped, bool& problem) {
  const QString name = FileName(file);
  const QLocale locale(QLocale::English);
  const QString skipped = result.skipped == 0
                              ? QString()
                              : QStringLiteral("; %1 lines that are not readings skipped")
                                    .arg(locale.toString(static_cast<qulonglong>(result.skipped)));
  problem = true;
  switch (result.outcome) {
    case LogLoadResult::Outcome::kCannotOpen:
      return QStringLiteral("Cannot open %1: %2").arg(name, ErrorText(result.error));
    case LogLoadResult::Outcome::kFolder:
      return QStringLiteral("%1 is a folder, not a log file").arg(name);
    case LogLoadResult::Outcome::kNotAFile:
      return QStringLiteral("%1 is not a regular file").arg(name);
    case LogLoadResult::Outcome::kReadError:
      return QStringLiteral("Reading %1 failed (%2); the readings before the fault are shown")
          .arg(name, ErrorText(result.error));
    case LogLoadResult::Outcome::kCancelled:
      return QStringLiteral("Loading %1 cancelled; the readings read so far are shown").arg(name);
    case LogLoadResult::Outcome::kLoaded:
      break;
  }
  if (result.readings == 0) {
    return QStringLiteral("No readings in %1%2 (is it a \"_new\" log?)").arg(name, skipped);
  }
  problem = false;
  if (dropped > 0) {
    return QStringLiteral("%1: %2 read, the oldest %3 not kept%4")
        .arg(name, locale.toString(static_cast<qulonglong>(result.readings)),
             locale.toString(static_cast<qulonglong>(dropped)), skipped);
  }
  return QStringLiteral("%1: %2 readings%3")
      .arg(name, locale.toString(static_cast<qulonglong>(result.readings)), skipped);
}

}  // namespace

TrendWindow::~TrendWindow() {
  if (load_) load_->progress.cancel = true;
  if (loadThread_) loadThread_->wait();
}

void TrendWindow::LoadHistory(const std::filesystem::path& newLog, TimeMs until) {
  logFolder_ = newLog.parent_path();
  StartLoad(newLog, until, true);
}

void TrendWindow::OpenLog(const std::filesystem::path& newLog) {
  StartLoad(newLog, std::numeric_limits<TimeMs>::max(), false);
}

void TrendWindow::StartLoad(const std::filesystem::path& file, TimeMs until, bool history) {
  if (Loading()) return;
  load_ = std::make_unique<LoadJob>(capacity_);
  load_->file = file;
  load_->until = until;
  load_->history = history;
  LoadJob* job = load_.get();
  loadThread_ = QThread::create([job] {
    job->result = LoadNewLog(job->file, job->store, job->progress, job->until);
    // The "_new" log has no bins; the main log beside it has the bin replies.
    if (job->result.outcome == LogLoadResult::Outcome::kLoaded && !job->store.Empty()) {
      RecoverBins(MainLogOf(job->file), job->store, job->progress);
    }
  });
  connect(loadThread_, &QThread::finished, this, &TrendWindow::FinishLoad);
  connect(loadThread_, &QThread::finished, loadThread_, &QObject::deleteLater);
  connect(cancelLoad_, &QPushButton::clicked, loadThread_, [job] { job->progress.cancel = true; });
  openLog_->setEnabled(false);
  ShowStatus(QStringLiteral("Reading %1…").arg(FileName(file)), false);
  progress_->setValue(0);
  progressTimer_.start();
  loadThread_->start(QThread::LowPriority);
}

void TrendWindow::ShowLoadProgress() {
  if (!load_) return;
  const std::uint64_t total = load_->progress.bytesTotal.load();
  const std::uint64_t done = load_->progress.bytesDone.load();
  // Small files load before the bar could mean anything; it shows for the big ones.
  progress_->setVisible(true);
  cancelLoad_->setVisible(true);
  progress_->setValue(total == 0 ? 0 : static_cast<int>(1000 * done / total));
}

void TrendWindow::FinishLoad() {
  progressTimer_.stop();
  progress_->hide();
  cancelLoad_->hide();
  openLog_->setEnabled(true);
  std::unique_ptr<LoadJob> job = std::move(load_);
  loadThread_ = nullptr;
  if (!job) return;
  bool problem = false;
  const QString message = LoadMessage(job->file, job->result, job->store.Dropped(), problem);
  ForgetReductions();
  if (job->history) {
    // The live readings that came in meanwhile follow the history.
    job->store.AppendFrom(live_);
    live_ = std::move(job->store);
    // A missing history (no file yet today) is nothing to report.
    if (job->result.outcome == LogLoadResult::Outcome::kCannotOpen) {
      ShowStatus(QString(), false);
    } else {
      ShowStatus(message, problem);
    }
  } else {
    ShowStatus(message, problem);
    if (!job->store.Empty() || !problem) {
      file_ = std::move(job->store);
      showingFile_ = true;
      backToLive_->show();
      sourceLabel_->setText(QStringLiteral("Log %1").arg(FileName(job->file)));
      view_.SetSpan(TrendSpan::kAll);
    }
  }
  RedrawNow();
  emit LogLoaded();
}

void TrendWindow::ChooseLog() {
  const QString file = QFileDialog::getOpenFileName(this, "Open a \"_new\" log",
                                                    QString::fromStdString(logFolder_.string()),
                                                    "Reading logs (*_new.log);;All files (*)");
  if (!file.isEmpty()) OpenLog(file.toStdString());
}

void TrendWindow::ChooseCsv(CsvScope scope) {
  const bool lot = scope == CsvScope::kLot;
  const QString file = QFileDialog::getSaveFileName(
      this, lot ? "Export the lot's readings" : "Export the readings in view",
      lot ? "lot.csv" : "readings.csv", "CSV (*.csv)");
  if (!file.isEmpty()) ExportCsv(file.toStdString(), scope);
}

void TrendWindow::ChoosePng() {
  const QString file =
      QFileDialog::getSaveFileName(this, "Save the chart", "trend.png", "PNG image (*.png)");
  if (!file.isEmpty()) ExportPng(file.toStdString());
}

bool TrendWindow::ExportCsv(const std::filesystem::path& file, CsvScope scope) {
  const ReadingStore& store = ShownReadings();
  auto [begin, end] = IndicesInView();
  if (scope == CsvScope::kLot) {
    if (showingFile_ || !lotStart_) {
      ShowStatus("No lot started: \"New lot\" starts one", true);
      return false;
    }
    begin = store.LowerBound(*lotStart_);
    end = store.End();
  }
  CsvContext context;
  if (!showingFile_) {
    context = contextSource_ ? contextSource_() : context_;
    if (std::isfinite(comparator_.nominal)) {
      const std::string unit =
          store.Empty() ? std::string() : store.Names(store.KindAt(store.End() - 1)).primaryUnit;
      context.nominal = FormatQuantity(comparator_.nominal, unit);
      for (std::size_t bin = 0; bin < comparator_.low.size(); ++bin) {
        if (!std::isfinite(comparator_.low[bin]) || !std::isfinite(comparator_.high[bin])) continue;
        context.binLimits.push_back(QStringLiteral("%1: %2 % to %3 %")
                                        .arg(bin + 1)
                                        .arg(comparator_.low[bin])
                                        .arg(comparator_.high[bin])
                                        .toStdString());
      }
    }
  }
  context.exportTime = ToTimeMs(std::chrono::system_clock::now());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (out) WriteCsv(out, context, store, begin, end);
  out.close();
  if (!out) {
    ShowStatus(QStringLiteral("Could not write %1").arg(FileName(file)), true);
    return false;
  }
  ShowStatus(QStringLiteral("%1 readings written to %2").arg(end - begin).arg(FileName(file)),
             false);
  return true;
}

bool TrendWindow::ExportPng(const std::filesystem::path& file) {
  RedrawNow();
  if (!plots_->grab().save(QString::fromStdString(file.string()), "PNG")) {
    ShowStatus(QStringLiteral("Could not write %1").arg(FileName(file)), true);
    return false;
  }
  ShowStatus(QStringLiteral("Chart saved to %1").arg(FileName(file)), false);
  return true;
}

}  // namespace benchbridge
