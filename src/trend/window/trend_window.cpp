#include "trend_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "histogram_view.h"
#include "quantity_text.h"
#include "range_statistics.h"
#include "reading_values.h"
#include "trend_plot.h"

namespace benchbridge {
namespace {

constexpr int kHistogramBins = 30;

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

void SetCell(QTableWidget& table, int row, int column, const QString& text) {
  QTableWidgetItem* item = table.item(row, column);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    table.setItem(row, column, item);
  }
  item->setText(text);
}

}  // namespace

void TrendWindow::AddReading(const Reading& displayTexts, TimeMs time) {
  binPending_ = AddNormalisedReading(live_, time, NormaliseReading(displayTexts));
  if (!showingFile_) ScheduleRedraw();
}

void TrendWindow::AddBin(const std::string& displayText) {
  const std::optional<char> bin = BinFromDisplayText(displayText);
  if (!bin) return;
  tally_.Add(*bin);
  if (binPending_) live_.SetLatestBin(*bin);
  binPending_ = false;
  ScheduleRedraw();
}

void TrendWindow::MarkGap() {
  live_.MarkGap();
  binPending_ = false;
}

void TrendWindow::SetExportContext(std::string identity, std::string function,
                                   std::vector<std::string> settingsRows) {
  context_.identity = std::move(identity);
  context_.function = std::move(function);
  context_.settingsRows = std::move(settingsRows);
}

void TrendWindow::SetExportContextSource(std::function<CsvContext()> source) {
  contextSource_ = std::move(source);
}

void TrendWindow::ShowLive() {
  showingFile_ = false;
  file_ = ReadingStore();
  ForgetReductions();
  backToLive_->hide();
  sourceLabel_->setText("Live readings");
  view_.Follow();
  RedrawNow();
}

void TrendWindow::ForgetReductions() {
  primaryReducer_.Reset();
  secondaryReducer_.Reset();
  histogramCounter_.Reset();
}

void TrendWindow::ScheduleRedraw() {
  if (isVisible() && !redrawTimer_.isActive()) redrawTimer_.start();
}

void TrendWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  RedrawNow();
}

TrendView::Range TrendWindow::Extent() const {
  const ReadingStore& store = ShownReadings();
  if (store.Empty()) {
    const TimeMs now = ToTimeMs(std::chrono::system_clock::now());
    return {now, now};
  }
  return {store.TimeAt(store.Begin()), store.TimeAt(store.End() - 1)};
}

TrendView::Range TrendWindow::ShownRange() const {
  const auto [oldest, newest] = Extent();
  return view_.Shown(oldest, newest);
}

void TrendWindow::RedrawNow() {
  redrawTimer_.stop();
  const ReadingStore& store = ShownReadings();
  const auto [from, to] = ShownRange();
  const std::uint64_t begin = store.LowerBound(from);
  const std::uint64_t end = store.LowerBound(to + 1);
  const std::vector<ParameterStatistics> rows = StatisticsInRange(store, begin, end);

  AxisQuantity primary, secondary;
  if (end > begin) {
    const ParameterNames& names = store.Names(store.At(end - 1).kind);
    primary = {names.primaryName, names.primaryUnit};
    secondary = {names.secondaryName, names.secondaryUnit};
  }
  primaryPlot_->SetCurve(
      primaryReducer_.Reduce(store, Parameter::kPrimary, from, to, primaryPlot_->Columns()), from,
      to, primary);
  secondaryPlot_->SetCurve(
      secondaryReducer_.Reduce(store, Parameter::kSecondary, from, to, secondaryPlot_->Columns()),
      from, to, secondary);

  statistics_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const ParameterStatistics& row = rows[static_cast<std::size_t>(r)];
    const RunningStats& s = row.stats;
    SetCell(*statistics_, r, 0, Utf8(row.name));
    SetCell(*statistics_, r, 1, QString::number(s.count));
    SetCell(*statistics_, r, 2, Utf8(FormatQuantity(s.mean, row.unit)));
    SetCell(*statistics_, r, 3, Utf8(FormatQuantity(s.SampleStdDev(), row.unit)));
    SetCell(*statistics_, r, 4, Utf8(FormatQuantity(s.min, row.unit)));
    SetCell(*statistics_, r, 5, Utf8(FormatQuantity(s.max, row.unit)));
  }

  // The histogram shows the newest primary parameter in view.
  std::vector<std::uint64_t> counts;
  double low = 0, high = 0;
  AxisQuantity quantity;
  if (end > begin) {
    const ParameterNames& names = store.Names(store.At(end - 1).kind);
    for (const ParameterStatistics& row : rows) {
      if (row.primary && row.name == names.primaryName && row.unit == names.primaryUnit) {
        low = row.stats.min;
        high = row.stats.max;
        if (high <= low) {
          const double pad = std::max(std::abs(low) * 1e-6, 1e-15);
          low -= pad;
          high += pad;
        }
        counts = histogramCounter_.Count(store, begin, end, store.At(end - 1).kind, low, high,
                                         kHistogramBins);
        quantity = {row.name, row.unit};
      }
    }
  }
  histogram_->SetCounts(counts, low, high, quantity);
  RedrawTally();

  followButton_->setEnabled(!view_.Following());
  for (std::size_t i = 0; i < spanButtons_.size(); ++i) {
    spanButtons_[i]->setChecked(view_.Following() && static_cast<std::size_t>(view_.Span()) == i);
  }
  emit Redrawn();
}

void TrendWindow::RedrawTally() {
  const std::vector<BinTally::Row> rows = tally_.Rows();
  tallyTable_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const BinTally::Row& row = rows[static_cast<std::size_t>(r)];
    SetCell(*tallyTable_, r, 0, Utf8(BinLabel(row.bin)));
    SetCell(*tallyTable_, r, 1, QString::number(row.count));
    SetCell(
        *tallyTable_, r, 2,
        QString::number(
            100.0 * static_cast<double>(row.count) / static_cast<double>(tally_.Total()), 'f', 1) +
            " %");
  }
  if (tally_.Total() == 0) {
    yieldLabel_->setText("Yield: - (no bin results; switch the comparator on)");
  } else {
    yieldLabel_->setText(QStringLiteral("Yield: %1 % (%2 of %3 in a numbered bin)")
                             .arg(100.0 * tally_.Yield(), 0, 'f', 1)
                             .arg(tally_.Passed())
                             .arg(tally_.Total()));
  }
}

void TrendWindow::ShowStatus(const QString& text, bool problem) {
  statusLabel_->setText(text);
  statusLabel_->setStyleSheet(problem ? "color: #b00000;" : "");
}

}  // namespace benchbridge
