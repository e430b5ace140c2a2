// How the trend window is put together: the tool row, the two plots over each other, the side
// panel (statistics, histogram, bin tally) and the status row.
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "histogram_view.h"
#include "trend_plot.h"
#include "trend_window.h"

namespace benchbridge {
namespace {

QPushButton* Button(const QString& caption, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  // As wide as the caption needs, not the style's minimum, so that the tool row fits 800 pixels.
  button->setMaximumWidth(button->fontMetrics().horizontalAdvance(caption) + 24);
  return button;
}

QTableWidget* Table(const QStringList& headers, const QString& name, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setObjectName(name);
  table->setHorizontalHeaderLabels(headers);
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

}  // namespace

TrendWindow::TrendWindow(QWidget* parent, std::size_t capacity)
    : QWidget(parent, Qt::Window), capacity_(capacity), live_(capacity), file_(capacity) {
  setObjectName("TrendWindow");
  setWindowTitle("Trend and statistics");
  resize(1200, 700);

  primaryPlot_ = new TrendPlot(QColor(200, 150, 0), this);
  primaryPlot_->setObjectName("primaryPlot");
  secondaryPlot_ = new TrendPlot(QColor(0, 140, 170), this);
  secondaryPlot_->setObjectName("secondaryPlot");
  for (TrendPlot* plot : {primaryPlot_, secondaryPlot_}) {
    connect(plot, &TrendPlot::ZoomRequested, this, [this](double factor, qint64 around) {
      const auto [oldest, newest] = Extent();
      view_.Zoom(factor, around, oldest, newest);
      RedrawNow();
    });
    connect(plot, &TrendPlot::PanRequested, this, [this](qint64 delta) {
      const auto [oldest, newest] = Extent();
      view_.Pan(delta, oldest, newest);
      RedrawNow();
    });
  }
  plots_ = new QWidget(this);
  plots_->setObjectName("plots");
  auto* plotLayout = new QVBoxLayout(plots_);
  plotLayout->setContentsMargins(0, 0, 0, 0);
  plotLayout->setSpacing(0);
  plotLayout->addWidget(primaryPlot_, 3);
  plotLayout->addWidget(secondaryPlot_, 2);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(plots_);
  splitter->addWidget(BuildSidePanel());
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({860, 340});

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildToolbar());
  layout->addWidget(splitter, 1);
  layout->addWidget(BuildStatisticsBox());
  layout->addWidget(BuildStatusRow());
  // Below this the plots and tables would no longer show what they are for.
  setMinimumSize(kMinimumWidth, kMinimumHeight);

  redrawTimer_.setSingleShot(true);
  redrawTimer_.setInterval(kRedrawPeriodMs);
  connect(&redrawTimer_, &QTimer::timeout, this, &TrendWindow::RedrawNow);
  progressTimer_.setInterval(100);
  connect(&progressTimer_, &QTimer::timeout, this, &TrendWindow::ShowLoadProgress);
  RedrawNow();
}

QWidget* TrendWindow::BuildToolbar() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  auto* spans = new QButtonGroup(bar);
  const std::pair<const char*, const char*> captions[] = {{"1 min", "spanMinute"},
                                                          {"10 min", "spanTenMinutes"},
                                                          {"1 h", "spanHour"},
                                                          {"All", "spanAll"}};
  for (int i = 0; i < 4; ++i) {
    QPushButton* button = Button(captions[i].first, captions[i].second, bar);
    button->setCheckable(true);
    spans->addButton(button, i);
    spanButtons_.push_back(button);
    row->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, i] {
      view_.SetSpan(static_cast<TrendSpan>(i));
      RedrawNow();
    });
  }
  spans->setExclusive(false);  // none is lit while the view is held
  followButton_ = Button("Follow", "followButton", bar);
  followButton_->setToolTip("Follow the newest reading again (wheel zooms, dragging pans)");
  connect(followButton_, &QPushButton::clicked, this, [this] {
    view_.Follow();
    RedrawNow();
  });
  row->addWidget(followButton_);
  pairSelector_ = new QComboBox(bar);
  pairSelector_->setObjectName("pairSelector");
  pairSelector_->setToolTip(
      "The parameter pair the plots show (all pairs in view have statistics)");
  pairSelector_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  pairSelector_->hide();
  connect(pairSelector_, &QComboBox::activated, this, &TrendWindow::ChoosePair);
  row->addWidget(pairSelector_);
  row->addStretch(1);
  sourceLabel_ = new QLabel("Live", bar);
  sourceLabel_->setObjectName("sourceLabel");
  row->addWidget(sourceLabel_);
  backToLive_ = Button("Back to live", "backToLiveButton", bar);
  backToLive_->hide();
  connect(backToLive_, &QPushButton::clicked, this, &TrendWindow::ShowLive);
  row->addWidget(backToLive_);
  openLog_ = Button("Open log…", "openLogButton", bar);
  connect(openLog_, &QPushButton::clicked, this, &TrendWindow::ChooseLog);
  row->addWidget(openLog_);
  // Once a lot is started the button asks which readings: those in view or the lot's.
  exportCsv_ = Button("Export CSV…", "exportCsvButton", bar);
  exportCsv_->setToolTip("The readings in view (from the lot's start on, as the statistics)");
  connect(exportCsv_, &QPushButton::clicked, this, [this] {
    if (exportCsv_->menu() == nullptr) ChooseCsv(CsvScope::kView);
  });
  row->addWidget(exportCsv_);
  QPushButton* png = Button("Export PNG…", "exportPngButton", bar);
  connect(png, &QPushButton::clicked, this, &TrendWindow::ChoosePng);
  row->addWidget(png);
  return bar;
}

QWidget* TrendWindow::BuildStatisticsBox() {
  auto* statsBox = new QGroupBox("Statistics in view", this);
  auto* statsLayout = new QVBoxLayout(statsBox);
  statsLayout->setContentsMargins(4, 2, 4, 4);
  statistics_ = Table({"Parameter", "Count", "Mean", "Std dev", "Min", "Max", "Cp", "Cpk"},
                      "statisticsTable", statsBox);
  statistics_->horizontalHeaderItem(3)->setToolTip("Sample standard deviation (n - 1)");
  statistics_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  for (int column : {1, 6, 7}) {
    statistics_->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  }
  statistics_->verticalHeader()->setDefaultSectionSize(statistics_->fontMetrics().height() + 6);
  // Room for a pair and its deviation without scrolling; more rows scroll.
  statistics_->setFixedHeight(statistics_->horizontalHeader()->sizeHint().height() +
                              3 * statistics_->verticalHeader()->defaultSectionSize() + 6);
  auto* tableRow = new QHBoxLayout;
  tableRow->addWidget(statistics_, 1);
  // Which bin's limits Cp and Cpk are measured against; shown while the comparator's limits are.
  capabilityPicker_ = new QWidget(statsBox);
  auto* picker = new QVBoxLayout(capabilityPicker_);
  picker->setContentsMargins(0, 0, 0, 0);
  auto* caption = new QLabel("Cp, Cpk for", capabilityPicker_);
  picker->addWidget(caption);
  capabilityBinSelector_ = new QComboBox(capabilityPicker_);
  capabilityBinSelector_->setObjectName("capabilityBinSelector");
  capabilityBinSelector_->setToolTip(
      "The comparator bin whose limits Cp and Cpk are measured against");
  capabilityBinSelector_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  caption->setBuddy(capabilityBinSelector_);
  connect(capabilityBinSelector_, &QComboBox::activated, this, [this](int index) {
    chosenCapabilityBin_ = capabilityBinSelector_->itemData(index).toInt();
    RedrawNow();
  });
  picker->addWidget(capabilityBinSelector_);
  picker->addStretch(1);
  capabilityPicker_->hide();
  tableRow->addWidget(capabilityPicker_);
  statsLayout->addLayout(tableRow);
  return statsBox;
}

QWidget* TrendWindow::BuildSidePanel() {
  auto* side = new QWidget(this);
  auto* column = new QVBoxLayout(side);
  column->setContentsMargins(0, 0, 0, 0);

  histogram_ = new HistogramView(side);
  histogram_->setObjectName("histogram");
  column->addWidget(histogram_, 1);

  auto* tallyBox = new QGroupBox("Bins (comparator)", side);
  auto* tallyLayout = new QVBoxLayout(tallyBox);
  tallyLayout->setContentsMargins(4, 2, 4, 4);
  tallyTable_ = Table({"Bin", "Count", "Share"}, "tallyTable", tallyBox);
  tallyTable_->verticalHeader()->setDefaultSectionSize(tallyTable_->fontMetrics().height() + 6);
  tallyTable_->setMinimumHeight(tallyTable_->horizontalHeader()->sizeHint().height() +
                                2 * tallyTable_->verticalHeader()->defaultSectionSize() + 6);
  // Up to five bins without scrolling; the histogram takes what is left.
  tallyTable_->setMaximumHeight(tallyTable_->horizontalHeader()->sizeHint().height() +
                                5 * tallyTable_->verticalHeader()->defaultSectionSize() + 6);
  tallyLayout->addWidget(tallyTable_, 1);
  auto* yieldRow = new QHBoxLayout;
  yieldLabel_ = new QLabel(tallyBox);
  yieldLabel_->setObjectName("yieldLabel");
  yieldLabel_->setToolTip("The share of the readings with a bin that fell into a numbered bin");
  yieldRow->addWidget(yieldLabel_, 1);
  QPushButton* newLot = Button("New lot", "newLotButton", tallyBox);
  newLot->setToolTip("Count statistics, bins and yield from now on");
  connect(newLot, &QPushButton::clicked, this, &TrendWindow::StartLot);
  yieldRow->addWidget(newLot);
  tallyLayout->addLayout(yieldRow);
  lotLabel_ = new QLabel(tallyBox);
  lotLabel_->setObjectName("lotLabel");
  lotLabel_->hide();
  tallyLayout->addWidget(lotLabel_);
  column->addWidget(tallyBox, 0);
  return side;
}

QWidget* TrendWindow::BuildStatusRow() {
  auto* status = new QWidget(this);
  auto* row = new QHBoxLayout(status);
  row->setContentsMargins(0, 0, 0, 0);
  statusLabel_ = new QLabel(status);
  statusLabel_->setObjectName("statusLabel");
  row->addWidget(statusLabel_, 1);
  progress_ = new QProgressBar(status);
  progress_->setObjectName("loadProgress");
  progress_->setRange(0, 1000);
  progress_->hide();
  row->addWidget(progress_);
  cancelLoad_ = Button("Cancel", "cancelLoadButton", status);
  cancelLoad_->hide();
  row->addWidget(cancelLoad_);
  return status;
}

}  // namespace benchbridge
