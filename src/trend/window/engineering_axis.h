#pragma once
// A Qt Charts axis that shows an AxisScale: its range, its title and a label at each of its
// ticks, exactly where the scale put them. Built on QCategoryAxis with its labels on the
// category ends, so that any labels can stand anywhere (round times, 1-2-5 decades).
//
// Series attached to it are drawn in the scale's plot coordinates: append
// Scale().ToPlot(value), and map the points again when Show changes the factor (another
// prefix) or between linear and logarithmic.

#include <QCategoryAxis>

#include "axis_scale.h"

namespace benchbridge {

class EngineeringAxis : public QCategoryAxis {
  Q_OBJECT

 public:
  explicit EngineeringAxis(QObject* parent = nullptr);

  // Changes the axis only where the scale differs from what it shows.
  void Show(const AxisScale& scale);
  const AxisScale& Scale() const { return scale_; }
  // The labels as the chart draws them, in order; "" for a minor tick.
  QStringList TickLabels() const;

 private:
  AxisScale scale_;
  bool shown_ = false;
};

// How many ticks an axis of the given length in pixels has room for, each label taking about
// perTick pixels: from 3 up to most.
int TicksFor(double pixels, double perTick, int most);

}  // namespace benchbridge
