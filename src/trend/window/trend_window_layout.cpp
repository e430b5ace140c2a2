// How the trend window is put together: the tool row, the two plots over each other, the side
// panel (statistics, histogram, bin tally) and the status row.
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
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

TrendWindow::TrendWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
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
  splitter->addWidget(plots_);
  splitter->addWidget(BuildSidePanel());
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({740, 460});  // the statistics table whole

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildToolbar());
  layout->addWidget(splitter, 1);
  layout->addWidget(BuildStatusRow());

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
  row->addStretch(1);
  sourceLabel_ = new QLabel("Live readings", bar);
  sourceLabel_->setObjectName("sourceLabel");
  row->addWidget(sourceLabel_);
  backToLive_ = Button("Back to live", "backToLiveButton", bar);
  backToLive_->hide();
  connect(backToLive_, &QPushButton::clicked, this, &TrendWindow::ShowLive);
  row->addWidget(backToLive_);
  openLog_ = Button("Open log…", "openLogButton", bar);
  connect(openLog_, &QPushButton::clicked, this, &TrendWindow::ChooseLog);
  row->addWidget(openLog_);
  QPushButton* csv = Button("Export CSV…", "exportCsvButton", bar);
  connect(csv, &QPushButton::clicked, this, &TrendWindow::ChooseCsv);
  row->addWidget(csv);
  QPushButton* png = Button("Export PNG…", "exportPngButton", bar);
  connect(png, &QPushButton::clicked, this, &TrendWindow::ChoosePng);
  row->addWidget(png);
  return bar;
}

QWidget* TrendWindow::BuildSidePanel() {
  auto* side = new QWidget(this);
  auto* column = new QVBoxLayout(side);
  column->setContentsMargins(0, 0, 0, 0);

  auto* statsBox = new QGroupBox("Statistics in view", side);
  auto* statsLayout = new QVBoxLayout(statsBox);
  statistics_ =
      Table({"Parameter", "Count", "Mean", "Std dev", "Min", "Max"}, "statisticsTable", statsBox);
  statistics_->horizontalHeaderItem(3)->setToolTip("Sample standard deviation (n - 1)");
  statistics_->setMinimumHeight(110);
  statsLayout->addWidget(statistics_);
  column->addWidget(statsBox, 2);

  histogram_ = new HistogramView(side);
  histogram_->setObjectName("histogram");
  column->addWidget(histogram_, 3);

  auto* tallyBox = new QGroupBox("Bins (comparator)", side);
  auto* tallyLayout = new QVBoxLayout(tallyBox);
  tallyTable_ = Table({"Bin", "Count", "Share"}, "tallyTable", tallyBox);
  tallyTable_->setMinimumHeight(110);
  tallyLayout->addWidget(tallyTable_);
  auto* yieldRow = new QHBoxLayout;
  yieldLabel_ = new QLabel(tallyBox);
  yieldLabel_->setObjectName("yieldLabel");
  yieldLabel_->setWordWrap(true);
  yieldRow->addWidget(yieldLabel_, 1);
  QPushButton* reset = Button("Reset", "resetTallyButton", tallyBox);
  connect(reset, &QPushButton::clicked, this, [this] {
    tally_.Reset();
    RedrawTally();
  });
  yieldRow->addWidget(reset);
  tallyLayout->addLayout(yieldRow);
  column->addWidget(tallyBox, 2);
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
