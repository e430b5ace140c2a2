// How the sweep window is put together: the sweep's controls and its progress on top, the two
// plots sharing the swept axis, and beside them what they show, the value under the pointer,
// the references and the exports. Every control carries an object name and an accessible name
// and description, so screen readers and UI automation find it.
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

#include "sweep_plot.h"
#include "sweep_window.h"

namespace benchbridge {
namespace {

QPushButton* Button(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setAutoDefault(false);
  return button;
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

// What either plot can show: the measured value of its side, or one derived quantity.
const QStringList kShowItems{"Measured", "|Z|", "θ", "R", "X", "C", "L", "D", "Q"};

}  // namespace

void SweepWindow::Name(QWidget* widget, const char* objectName, const QString& accessible,
                       const QString& description) {
  widget->setObjectName(QString::fromLatin1(objectName));
  widget->setAccessibleName(accessible);
  widget->setAccessibleDescription(description);
}

void SweepWindow::BuildControls() {
  settingBox_ = new QComboBox(this);
  settingBox_->addItems({"Frequency", "Level", "Bias"});
  Name(settingBox_, "settingBox", "Swept setting",
       "The meter's setting the sweep steps through: test frequency, test level or DC bias");
  startBox_ = new QSpinBox(this);
  Name(startBox_, "startBox", "Start", "The swept setting's first value");
  stopBox_ = new QSpinBox(this);
  Name(stopBox_, "stopBox", "Stop", "The swept setting's last value");
  pointsBox_ = new QSpinBox(this);
  pointsBox_->setRange(kFewestSweepPoints, kMostSweepPoints);
  pointsBox_->setValue(51);
  Name(pointsBox_, "pointsBox", "Points",
       "How many points from start to stop, 2 to 201; values that round alike count once");
  spacingBox_ = new QComboBox(this);
  spacingBox_->addItems({"Logarithmic", "Linear"});
  Name(spacingBox_, "spacingBox", "Spacing",
       "Points spaced evenly on a logarithmic or a linear scale");
  everyBox_ = new QSpinBox(this);
  everyBox_->setRange(1, 20);
  everyBox_->setPrefix("every ");
  Name(everyBox_, "everyBox", "Every n-th item",
       "On a meter with fixed steps: take every item between start and stop, or every n-th");
  averagingBox_ = new QSpinBox(this);
  averagingBox_->setRange(1, kMostAveraged);
  Name(averagingBox_, "averagingBox", "Averaging",
       "Readings averaged at each point, 1 to 16, after one reading thrown away");
  startButton_ = Button("Start", this);
  Name(startButton_, "startButton", "Start sweep",
       "Runs the sweep; the panel's keys wait meanwhile");
  stopButton_ = Button("Stop", this);
  Name(stopButton_, "stopButton", "Stop sweep",
       "Ends the sweep after the exchange under way; the setting goes back to its value before");
  progress_ = new QProgressBar(this);
  progress_->setTextVisible(true);
  progress_->setFormat("");
  Name(progress_, "sweepProgress", "Sweep progress",
       "The point under way of all, and the time left");
  statusLabel_ = new QLabel(this);
  statusLabel_->setWordWrap(true);
  statusLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Name(statusLabel_, "sweepStatus", "Sweep status",
       "How the last sweep ended, its missing points, and where the setting went back to");

  upperPlot_ = new SweepPlot(true, this);
  Name(upperPlot_, "upperPlot", "Upper plot", "The upper quantity against the swept setting");
  lowerPlot_ = new SweepPlot(false, this);
  Name(lowerPlot_, "lowerPlot", "Lower plot", "The lower quantity against the swept setting");
  for (SweepPlot* plot : {upperPlot_, lowerPlot_}) {
    connect(plot, &SweepPlot::PointerAt, this, [this](double x) { ShowPointer(x); });
  }
  plots_ = new QWidget(this);
  plots_->setObjectName("plots");
  auto* plotLayout = new QVBoxLayout(plots_);
  plotLayout->setContentsMargins(0, 0, 0, 0);
  plotLayout->setSpacing(0);
  plotLayout->addWidget(upperPlot_, 1);
  plotLayout->addWidget(lowerPlot_, 1);

  auto* controls = new QHBoxLayout;
  controls->addWidget(Caption("&Sweep", settingBox_, this));
  controls->addWidget(settingBox_);
  controls->addWidget(Caption("Fro&m", startBox_, this));
  controls->addWidget(startBox_);
  controls->addWidget(Caption("&to", stopBox_, this));
  controls->addWidget(stopBox_);
  controls->addWidget(Caption("&Points", pointsBox_, this));
  controls->addWidget(pointsBox_);
  controls->addWidget(spacingBox_);
  controls->addWidget(everyBox_);
  controls->addWidget(Caption("&Average", averagingBox_, this));
  controls->addWidget(averagingBox_);
  controls->addStretch(1);
  controls->addWidget(startButton_);
  controls->addWidget(stopButton_);

  auto* progressRow = new QHBoxLayout;
  progressRow->addWidget(progress_, 1);
  progressRow->addWidget(statusLabel_, 2);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->addWidget(plots_);
  splitter->addWidget(BuildSidePanel());
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  splitter->setChildrenCollapsible(false);
  splitter->setSizes({800, 280});

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(controls);
  layout->addLayout(progressRow);
  layout->addWidget(splitter, 1);

  connect(settingBox_, &QComboBox::activated, this, [this] { SettingChosen(); });
  connect(startButton_, &QPushButton::clicked, this, [this] { StartSweep(); });
  connect(stopButton_, &QPushButton::clicked, this, [this] { StopSweep(); });
}

QWidget* SweepWindow::BuildSidePanel() {
  auto* side = new QWidget(this);
  side->setMinimumWidth(240);
  side->setMaximumWidth(360);

  auto* show = new QGroupBox("Show", side);
  upperShow_ = new QComboBox(show);
  upperShow_->addItems(kShowItems);
  Name(upperShow_, "upperShow", "Upper plot shows",
       "The measured primary value, or a quantity derived from the measured pair");
  lowerShow_ = new QComboBox(show);
  lowerShow_->addItems(kShowItems);
  Name(lowerShow_, "lowerShow", "Lower plot shows",
       "The measured secondary value, or a quantity derived from the measured pair");
  circuitBox_ = new QComboBox(show);
  circuitBox_->addItems({"Series", "Parallel"});
  Name(circuitBox_, "circuitBox", "Equivalent circuit",
       "The circuit R, X, C and L are derived for: series or parallel");
  logX_ = new QCheckBox("Log x", show);
  Name(logX_, "logX", "Logarithmic swept axis", "The swept setting on a logarithmic axis");
  logUpper_ = new QCheckBox("Log y, upper", show);
  Name(logUpper_, "logUpper", "Logarithmic upper axis",
       "The upper plot's values on a logarithmic axis");
  logLower_ = new QCheckBox("Log y, lower", show);
  Name(logLower_, "logLower", "Logarithmic lower axis",
       "The lower plot's values on a logarithmic axis");
  auto* showLayout = new QFormLayout(show);
  showLayout->addRow(Caption("&Upper", upperShow_, show), upperShow_);
  showLayout->addRow(Caption("&Lower", lowerShow_, show), lowerShow_);
  showLayout->addRow(Caption("&Circuit", circuitBox_, show), circuitBox_);
  showLayout->addRow(logX_);
  showLayout->addRow(logUpper_);
  showLayout->addRow(logLower_);
  for (QComboBox* box : {upperShow_, lowerShow_, circuitBox_}) {
    connect(box, &QComboBox::activated, this, [this] { Redraw(); });
  }
  for (QCheckBox* box : {logX_, logUpper_, logLower_}) {
    connect(box, &QCheckBox::toggled, this, [this] { Redraw(); });
  }

  pointerLabel_ = new QLabel(side);
  pointerLabel_->setWordWrap(true);
  pointerLabel_->setMinimumHeight(48);
  pointerLabel_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  Name(pointerLabel_, "pointerLabel", "Under the pointer",
       "The point nearest the pointer: swept value and both plotted values");

  auto* references = new QGroupBox("References", side);
  referenceList_ = new QListWidget(references);
  Name(referenceList_, "referenceList", "References",
       "Kept and loaded sweeps: tick to show, double-click to rename");
  keepButton_ = Button("&Keep", references);
  Name(keepButton_, "keepButton", "Keep as reference",
       "The last sweep becomes a named reference curve");
  loadButton_ = Button("Lo&ad…", references);
  Name(loadButton_, "loadButton", "Load reference",
       "Reads a sweep CSV exported earlier as a reference");
  removeButton_ = Button("&Remove", references);
  Name(removeButton_, "removeButton", "Remove reference", "Removes the selected reference");
  auto* referenceButtons = new QHBoxLayout;
  referenceButtons->addWidget(keepButton_);
  referenceButtons->addWidget(loadButton_);
  referenceButtons->addWidget(removeButton_);
  auto* referenceLayout = new QVBoxLayout(references);
  referenceLayout->addWidget(referenceList_, 1);
  referenceLayout->addLayout(referenceButtons);
  connect(keepButton_, &QPushButton::clicked, this, [this] { KeepCurrent(); });
  connect(loadButton_, &QPushButton::clicked, this, [this] { ChooseLoad(); });
  connect(removeButton_, &QPushButton::clicked, this, [this] { RemoveReference(); });
  connect(referenceList_, &QListWidget::itemChanged, this,
          [this](QListWidgetItem* item) { ReferenceEdited(item); });

  csvButton_ = Button("Export &CSV…", side);
  Name(csvButton_, "csvButton", "Export CSV", "Writes the last sweep as CSV, one row per point");
  pngButton_ = Button("Export P&NG…", side);
  Name(pngButton_, "pngButton", "Export PNG", "Saves both plots as a picture");
  connect(csvButton_, &QPushButton::clicked, this, [this] { ChooseCsv(); });
  connect(pngButton_, &QPushButton::clicked, this, [this] { ChoosePng(); });
  auto* exports = new QHBoxLayout;
  exports->addWidget(csvButton_);
  exports->addWidget(pngButton_);

  auto* layout = new QVBoxLayout(side);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(show);
  layout->addWidget(pointerLabel_);
  layout->addWidget(references, 1);
  layout->addLayout(exports);
  return side;
}

}  // namespace benchbridge
