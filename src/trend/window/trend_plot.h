#pragma once
// One plot of the trend (the primary or the secondary parameter against time): a chart with
// a time axis and a value axis, the curve, and the operator's wheel zoom and drag pan, which
// it reports rather than applies, so that both plots move together.

#include <QChartView>
#include <QString>
#include <vector>

#include "axis_scale.h"
#include "column_reduction.h"

namespace benchbridge {

class EngineeringAxis;
class TrendCurveItem;

class TrendPlot : public QChartView {
  Q_OBJECT

 public:
  explicit TrendPlot(const QColor& colour, QWidget* parent = nullptr);

  static constexpr int kValueTicks = 6, kTimeTicks = 7;

  // Draws points over [from, to]; the value axis fits them, in the quantity's unit with the
  // prefix that suits them ("Cs (nF)").
  void SetCurve(std::vector<PlotPoint> points, TimeMs from, TimeMs to,
                const AxisQuantity& quantity);
  // How many pixel columns the plot area has: what a reduction should aim at.
  int Columns() const;
  const TrendCurveItem& Curve() const { return *curve_; }
  const EngineeringAxis& ValueAxis() const { return *valueAxis_; }
  const EngineeringAxis& TimeAxis() const { return *timeAxis_; }

 signals:
  void ZoomRequested(double factor, qint64 aroundMs);
  void PanRequested(qint64 deltaMs);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Place();
  qint64 TimeAtX(double x) const;

  EngineeringAxis* timeAxis_;
  EngineeringAxis* valueAxis_;
  TrendCurveItem* curve_;
  std::vector<PlotPoint> points_;
  TimeMs from_ = 0, to_ = 1;
  double low_ = 0, high_ = 1;
  bool dragging_ = false;
  double dragX_ = 0;
};

}  // namespace benchbridge
