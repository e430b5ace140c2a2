#pragma once
// One plot of the sweep window: curves of one quantity against the swept setting, the sweep
// under way and the references beside it, each in its colour with a marker at every point and a
// break at every missing one. Both axes in engineers' units (SI prefix, round ticks), linear or
// logarithmic; the x axis is given from outside so that the two plots share it.

#include <QChartView>
#include <QColor>
#include <QLineSeries>
#include <QScatterSeries>
#include <QString>
#include <vector>

#include "axis_scale.h"

namespace benchbridge {

class EngineeringAxis;

struct PlotCurve {
  QString name;
  QColor colour;
  std::vector<double> x, y;  // in the units; NaN y: a missing point
};

class SweepPlot : public QChartView {
  Q_OBJECT

 public:
  // legend: the curves' names in a row over the plot.
  explicit SweepPlot(bool legend, QWidget* parent = nullptr);

  // Draws the curves against the x scale; the y axis fits their values, as quantity in unit
  // ("|Z|", "Ω"), logarithmic where asked and every value is above zero.
  void Show(const std::vector<PlotCurve>& curves, const AxisScale& xScale,
            const AxisQuantity& quantity, bool logY);
  const EngineeringAxis& XAxis() const { return *xAxis_; }
  const EngineeringAxis& YAxis() const { return *yAxis_; }
  bool LogY() const { return logY_; }
  // Lines the plot areas of plots up on the left, so that their shared x axes stand one over
  // the other whatever the width of their value labels.
  static void AlignLeft(const std::vector<SweepPlot*>& plots);

 signals:
  // The pointer is over the plot at this swept value (in its unit); NaN when it left.
  void PointerAt(double x);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // The index-th curve's markers and the index-th piece of line, made when first needed.
  QScatterSeries* Markers(std::size_t index);
  QLineSeries* Piece(std::size_t index);

  EngineeringAxis* xAxis_;
  EngineeringAxis* yAxis_;
  bool logY_ = false;
  std::vector<QScatterSeries*> markers_;
  std::vector<QLineSeries*> pieces_;
};

}  // namespace benchbridge
