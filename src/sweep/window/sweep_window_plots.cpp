// What the sweep window's plots show: the sweep and the references shown, for the swept setting
// chosen, each plot one quantity in one unit (a curve in another unit is left out), the swept
// axis shared; and the values under the pointer.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

#include "quantity_text.h"
#include "sweep_plot.h"
#include "sweep_window.h"

namespace benchbridge {
namespace {

const QColor kCurrent(200, 120, 0);

struct Drawn {
  const SweepRecord* record;
  QColor colour;
};

// One plot's curves: every record's series of the choice, those in the first one's unit.
std::vector<PlotCurve> Curves(const std::vector<Drawn>& drawn, const PlotChoice& choice,
                              AxisQuantity* quantity, SweepSeries* first) {
  std::vector<PlotCurve> curves;
  bool named = false;
  for (const Drawn& one : drawn) {
    SweepSeries series = SeriesOf(*one.record, choice);
    if (series.name.empty() && series.unit.empty()) continue;
    if (!named) {
      quantity->name = series.name;
      quantity->unit = series.unit == "deg" ? "°" : series.unit;
      *first = series;
      named = true;
    } else if (series.name != first->name || series.unit != first->unit) {
      continue;
    }
    curves.push_back({QString::fromStdString(one.record->name), one.colour, series.x, series.y});
  }
  return curves;
}

void Extend(const std::vector<PlotCurve>& curves, double* low, double* high) {
  for (const PlotCurve& curve : curves) {
    for (const double x : curve.x) {
      *low = std::min(*low, x);
      *high = std::max(*high, x);
    }
  }
}

}  // namespace

PlotChoice SweepWindow::Choice(const QComboBox* box, MeasuredSide side) const {
  PlotChoice choice;
  choice.side = side;
  choice.circuit =
      circuitBox_->currentIndex() == 1 ? EquivalentCircuit::Parallel : EquivalentCircuit::Series;
  if (box->currentIndex() > 0)
    choice.derived = static_cast<DerivedQuantity>(box->currentIndex() - 1);
  return choice;
}

void SweepWindow::ChoosePlots(int upper, int lower) {
  upperShow_->setCurrentIndex(upper);
  lowerShow_->setCurrentIndex(lower);
  Redraw();
}

void SweepWindow::Redraw() {
  const SweptSetting setting = Setting();
  std::vector<Drawn> drawn;
  if (current_.setting == setting && !current_.points.empty())
    drawn.push_back({&current_, kCurrent});
  for (std::size_t i = 0; i < references_.size(); ++i) {
    if (referenceShown_[i] && references_[i].setting == setting) {
      drawn.push_back({&references_[i], referenceColours_[i]});
    }
  }
  AxisQuantity upperQuantity, lowerQuantity;
  pointerUpper_ = pointerLower_ = SweepSeries{};
  const std::vector<PlotCurve> upper =
      Curves(drawn, Choice(upperShow_, MeasuredSide::Primary), &upperQuantity, &pointerUpper_);
  const std::vector<PlotCurve> lower =
      Curves(drawn, Choice(lowerShow_, MeasuredSide::Secondary), &lowerQuantity, &pointerLower_);

  // Both plots share the swept axis: the sweep's planned span while it runs, else the points'.
  double low = INFINITY, high = -INFINITY;
  Extend(upper, &low, &high);
  Extend(lower, &low, &high);
  if (Sweeping() || !std::isfinite(low)) {
    low = std::min(low, static_cast<double>(std::min(startBox_->value(), stopBox_->value())));
    high = std::max(high, static_cast<double>(std::max(startBox_->value(), stopBox_->value())));
  }
  const AxisQuantity swept{SettingName(setting), SettingUnit(setting), 1.0};
  const AxisScale xScale =
      logX_->isChecked() && low > 0 ? LogScale(low, high, swept) : LinearScale(low, high, swept);
  upperPlot_->Show(upper, xScale, upperQuantity, logUpper_->isChecked());
  lowerPlot_->Show(lower, xScale, lowerQuantity, logLower_->isChecked());
  SweepPlot::AlignLeft({upperPlot_, lowerPlot_});
}

void SweepWindow::ShowPointer(double x) {
  const SweepSeries& reference = pointerUpper_.x.empty() ? pointerLower_ : pointerUpper_;
  const int index = std::isfinite(x) ? NearestPoint(reference, x, logX_->isChecked()) : -1;
  if (index < 0) {
    pointerLabel_->clear();
    return;
  }
  const SweptSetting setting = Setting();
  QStringList lines{QStringLiteral("%1 = %2").arg(
      SettingName(setting),
      QString::fromStdString(FormatQuantity(reference.x[index], SettingUnit(setting))))};
  for (const SweepSeries* series : {&pointerUpper_, &pointerLower_}) {
    if (static_cast<std::size_t>(index) >= series->y.size()) continue;
    lines << QStringLiteral("%1 = %2").arg(
        QString::fromStdString(series->name),
        QString::fromStdString(FormatQuantity(series->y[index], series->unit)));
  }
  pointerLabel_->setText(lines.join('\n'));
}

}  // namespace benchbridge
