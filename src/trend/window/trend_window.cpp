#include "trend_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
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
#include "trend_curve_item.h"
#include "trend_plot.h"

namespace benchbridge {
namespace {

constexpr int kHistogramBins = 30;

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

// "Cs-D", "Cs Δ-D", "Lp-Q".
QString PairName(const ParameterNames& names) {
  return Utf8(PrimaryLabel(names) + "-" + names.secondaryName);
}

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

void TrendWindow::AddReading(const Reading& displayTexts, TimeMs time, bool deviation) {
  binPending_ = AddNormalisedReading(live_, time, NormaliseReading(displayTexts), deviation);
  if (!showingFile_) ScheduleRedraw();
}

void TrendWindow::AddBin(const std::string& displayText) {
  const std::optional<char> bin = BinFromDisplayText(displayText);
  // A bin that belongs to no kept reading (an empty reply's) counts nowhere.
  if (bin && binPending_) live_.SetLatestBin(*bin);
  binPending_ = false;
  if (bin && !showingFile_) ScheduleRedraw();
}

void TrendWindow::StartLot() {
  const TimeMs now = ToTimeMs(std::chrono::system_clock::now());
  lotStart_ = live_.Empty() ? now : std::max(now, live_.TimeAt(live_.End() - 1) + 1);
  lotLabel_->setText(QStringLiteral("Lot since %1")
                         .arg(QDateTime::fromMSecsSinceEpoch(*lotStart_).toString("hh:mm:ss")));
  lotLabel_->show();
  if (exportCsv_->menu() == nullptr) {
    auto* menu = new QMenu(exportCsv_);
    menu->addAction("Readings in view…", this, [this] { ChooseCsv(CsvScope::kView); });
    menu->addAction("This lot…", this, [this] { ChooseCsv(CsvScope::kLot); })
        ->setObjectName("exportLotAction");
    exportCsv_->setMenu(menu);
    exportCsv_->setMaximumWidth(exportCsv_->sizeHint().width());
  }
  histogramCounter_.Reset();
  RedrawNow();
}

void TrendWindow::ChoosePair(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= pairKinds_.size()) return;
  const ReadingStore& store = ShownReadings();
  // The first item is the newest pair: picking it follows whatever comes newest.
  if (index == 0) {
    chosenPair_.reset();
  } else {
    chosenPair_ = store.Names(pairKinds_[static_cast<std::size_t>(index)]);
  }
  primaryReducer_.Reset();
  secondaryReducer_.Reset();
  RedrawNow();
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

void TrendWindow::SetComparator(const ComparatorLimits& limits) {
  comparator_ = limits;
  ScheduleRedraw();
}

void TrendWindow::SetExportContextSource(std::function<CsvContext()> source) {
  contextSource_ = std::move(source);
}

void TrendWindow::ShowLive() {
  showingFile_ = false;
  file_ = ReadingStore(capacity_);
  ForgetReductions();
  backToLive_->hide();
  sourceLabel_->setText("Live");
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

std::pair<std::uint64_t, std::uint64_t> TrendWindow::IndicesInView() const {
  const ReadingStore& store = ShownReadings();
  const auto [from, to] = ShownRange();
  std::uint64_t begin = store.LowerBound(from);
  if (!showingFile_ && lotStart_) begin = std::max(begin, store.LowerBound(*lotStart_));
  return {begin, std::max(begin, store.LowerBound(to + 1))};
}

int TrendWindow::ShownKind(const ReadingStore& store, std::uint64_t begin, std::uint64_t end) {
  if (end <= begin) {
    pairSelector_->hide();
    return -1;
  }
  const std::vector<std::uint16_t> kinds = KindsInRange(store, begin, end);
  const std::uint16_t newest = store.KindAt(end - 1);
  int shown = newest;
  QStringList items;
  for (auto it = kinds.rbegin(); it != kinds.rend(); ++it) {
    const ParameterNames& names = store.Names(*it);
    if (chosenPair_ && names == *chosenPair_) shown = *it;
    QString item = PairName(names);
    if (*it == newest) item += " (newest)";
    items << item;
  }
  // The newest pair first; the others in view below it, newest first.
  if (items != pairItems_) {
    const QSignalBlocker blocker(pairSelector_);
    pairSelector_->clear();
    pairSelector_->addItems(items);
    pairItems_ = items;
    pairKinds_.assign(kinds.rbegin(), kinds.rend());
  }
  const auto at = std::find(pairKinds_.begin(), pairKinds_.end(), shown);
  {
    const QSignalBlocker blocker(pairSelector_);
    pairSelector_->setCurrentIndex(static_cast<int>(at - pairKinds_.begin()));
  }
  pairSelector_->setVisible(kinds.size() > 1);
  return shown;
}

void TrendWindow::RedrawNow() {
  redrawTimer_.stop();
  const ReadingStore& store = ShownReadings();
  const auto [from, to] = ShownRange();
  const auto [begin, end] = IndicesInView();
  const std::vector<ParameterStatistics> rows = StatisticsInRange(store, begin, end);
  const int kind = ShownKind(store, begin, end);

  AxisQuantity primary, secondary;
  if (kind >= 0) {
    const auto k = static_cast<std::uint16_t>(kind);
    const ParameterNames& names = store.Names(k);
    primary = {PrimaryLabel(names), names.primaryUnit, store.Resolution(k, Parameter::kPrimary)};
    secondary = {names.secondaryName, names.secondaryUnit,
                 store.Resolution(k, Parameter::kSecondary)};
  }
  tally_ =
      kind >= 0 ? TallyInRange(store, begin, end, static_cast<std::uint16_t>(kind)) : BinTally();
  // The comparator is on when its dialog left it on or when the readings in view have bins
  // (only then does the panel ask for them): the readings show their bins. Its limits apply to
  // values, not to deviations from a nulled value.
  const bool comparatorOn = kind >= 0 && (comparator_.on || tally_.Total() > 0);
  std::vector<PlotPoint> line = primaryReducer_.Reduce(store, Parameter::kPrimary, from, to,
                                                       primaryPlot_->Columns(), kind, comparatorOn);
  primaryPlot_->SetCurve(std::move(line), from, to, primary, primaryReducer_.Marks());
  secondaryPlot_->SetCurve(secondaryReducer_.Reduce(store, Parameter::kSecondary, from, to,
                                                    secondaryPlot_->Columns(), kind),
                           from, to, secondary);

  std::vector<double> limits;
  const bool limitsApply = comparatorOn && std::isfinite(comparator_.nominal) &&
                           !store.Names(static_cast<std::uint16_t>(kind)).deviation;
  if (limitsApply) {
    limits.push_back(comparator_.nominal);
    for (int bin = 1; bin <= 3; ++bin) {
      if (const auto range = BinValueLimits(comparator_, bin)) {
        limits.push_back(range->first);
        limits.push_back(range->second);
      }
    }
  }
  primaryPlot_->SetLimitLines(limits);
  histogram_->SetLimitLines(std::move(limits));
  ShowStatistics(rows, primary, CapabilityBin(limitsApply));

  // The histogram shows the primary parameter of the pair shown, in bins that are whole
  // steps of its resolution.
  std::vector<std::uint64_t> counts;
  HistogramPlan plan;
  if (kind >= 0) {
    for (const ParameterStatistics& row : rows) {
      if (row.primary && row.name == primary.name && row.unit == primary.unit) {
        plan = PlanHistogram(row.stats.min, row.stats.max, primary.resolution, kHistogramBins);
        counts = histogramCounter_.Count(store, begin, end, static_cast<std::uint16_t>(kind),
                                         plan.low, plan.high, plan.bins);
      }
    }
  }
  histogram_->SetCounts(counts, plan.low, plan.high, primary);
  RedrawTally();

  followButton_->setEnabled(!view_.Following());
  for (std::size_t i = 0; i < spanButtons_.size(); ++i) {
    spanButtons_[i]->setChecked(view_.Following() && static_cast<std::size_t>(view_.Span()) == i);
  }
  emit Redrawn();
}

int TrendWindow::CapabilityBin(bool limitsApply) {
  QStringList items;
  std::vector<int> bins;
  for (int bin = 1; limitsApply && bin <= 3; ++bin) {
    if (!BinValueLimits(comparator_, bin)) continue;
    const double low = comparator_.low[static_cast<std::size_t>(bin - 1)];
    const double high = comparator_.high[static_cast<std::size_t>(bin - 1)];
    items << (low == -high ? QStringLiteral("Bin %1 (±%2 %)").arg(bin).arg(high)
                           : QStringLiteral("Bin %1 (%2 to %3 %)").arg(bin).arg(low).arg(high));
    bins.push_back(bin);
  }
  if (items != capabilityItems_) {
    const QSignalBlocker blocker(capabilityBinSelector_);
    capabilityBinSelector_->clear();
    for (std::size_t i = 0; i < bins.size(); ++i) {
      capabilityBinSelector_->addItem(items[static_cast<int>(i)], bins[i]);
    }
    capabilityItems_ = items;
  }
  capabilityPicker_->setVisible(!bins.empty());
  if (bins.empty()) return 0;
  // The operator's pick while that bin has limits; the widest bin otherwise.
  const bool picked = chosenCapabilityBin_ &&
                      std::find(bins.begin(), bins.end(), *chosenCapabilityBin_) != bins.end();
  const int bin = picked ? *chosenCapabilityBin_ : WidestBin(comparator_);
  const QSignalBlocker blocker(capabilityBinSelector_);
  capabilityBinSelector_->setCurrentIndex(capabilityBinSelector_->findData(bin));
  return bin;
}

void TrendWindow::ShowStatistics(const std::vector<ParameterStatistics>& rows,
                                 const AxisQuantity& primary, int capabilityBin) {
  const std::optional<std::pair<double, double>> range = BinValueLimits(comparator_, capabilityBin);
  const QString against =
      range ? QStringLiteral("Against the limits of bin %1: %2 to %3")
                  .arg(capabilityBin)
                  .arg(Utf8(FormatQuantity(range->first, primary.unit)))
                  .arg(Utf8(FormatQuantity(range->second, primary.unit)))
            : QStringLiteral("With the comparator on: against the bin picked beside the table");
  for (int column : {6, 7}) statistics_->horizontalHeaderItem(column)->setToolTip(against);

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
    Capability capability;
    if (range && row.name == primary.name && row.unit == primary.unit) {
      capability = CapabilityOf(s, range->first, range->second);
    }
    SetCell(*statistics_, r, 6,
            std::isnan(capability.cp) ? "-" : QString::number(capability.cp, 'f', 2));
    SetCell(*statistics_, r, 7,
            std::isnan(capability.cpk) ? "-" : QString::number(capability.cpk, 'f', 2));
  }
}

void TrendWindow::RedrawTally() {
  const std::vector<BinTally::Row> rows = tally_.Rows();
  tallyTable_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const BinTally::Row& row = rows[static_cast<std::size_t>(r)];
    SetCell(*tallyTable_, r, 0, Utf8(BinLabel(row.bin)));
    // The bin's colour on the plot, as the key to its dots.
    tallyTable_->item(r, 0)->setData(Qt::DecorationRole, BinColour(row.bin));
    SetCell(*tallyTable_, r, 1, QString::number(row.count));
    SetCell(
        *tallyTable_, r, 2,
        QString::number(
            100.0 * static_cast<double>(row.count) / static_cast<double>(tally_.Total()), 'f', 1) +
            " %");
  }
  if (tally_.Total() == 0) {
    yieldLabel_->setText("Yield: - (no bins in view)");
  } else {
    yieldLabel_->setText(QStringLiteral("Yield: %1 % (%2 of %3)")
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
