#pragma once
// One plot of the trend (the primary or the secondary parameter against time): a chart with
// a time axis and a value axis, the curve, and the operator's wheel zoom and drag pan, which
// it reports rather than applies, so that both plots move together.

#include <QChartView>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "axis_scale.h"
#include "column_reduction.h"
#include "limit_lines.h"

class QGraphicsLineItem;
class QGraphicsSimpleTextItem;

namespace benchbridge {

class EngineeringAxis;
class TrendCurveItem;

class TrendPlot : public QChartView {
  Q_OBJECT

 public:
  explicit TrendPlot(const QColor& colour, QWidget* parent = nullptr);

  // Ticks as many as fit: a label needs about this many pixels of the axis.
  static constexpr int kPixelsPerValueTick = 36, kMostValueTicks = 6;
  static constexpr int kPixelsPerTimeTick = 95, kMostTimeTicks = 7;

  // Draws points over [from, to]; the value axis fits them, in the quantity's unit with the
  // prefix that suits them ("Cs (nF)"); marks show the readings' bins over the line.
  void SetCurve(std::vector<PlotPoint> points, TimeMs from, TimeMs to, const AxisQuantity& quantity,
                std::vector<BinMark> marks = {});
  // How many pixel columns the plot area has: what a reduction should aim at.
  int Columns() const;
  const TrendCurveItem& Curve() const { return *curve_; }
  const EngineeringAxis& ValueAxis() const { return *valueAxis_; }
  const EngineeringAxis& TimeAxis() const { return *timeAxis_; }
  // Horizontal lines at these values (the comparator's nominal first, then bin limits).
  void SetLimitLines(std::vector<double> values);
  std::vector<double> LimitLines() const { return limitLines_.Values(); }
  // The cursor readout: the reading under the pointer, and with two cursors placed (clicks on
  // the plot) the difference between them.
  QString Readout() const;

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
  void FitAxes();
  qint64 TimeAtX(double x) const;
  double XAtTime(TimeMs time) const;
  // The reading drawn nearest to x, if any.
  std::optional<PlotPoint> PointNear(double x) const;
  void ShowReadout();

  EngineeringAxis* timeAxis_;
  EngineeringAxis* valueAxis_;
  TrendCurveItem* curve_;
  std::vector<PlotPoint> points_;
  TimeMs from_ = 0, to_ = 1;
  double low_ = 0, high_ = 1;  // the value axis's range in the unit
  double dataLow_ = 0, dataHigh_ = 0;
  AxisQuantity quantity_;
  int valueTicks_ = 0;
  bool dragging_ = false;
  double dragX_ = 0, pressX_ = 0;
  std::optional<PlotPoint> hovered_;
  std::vector<PlotPoint> cursors_;  // at most two, placed by clicks
  QGraphicsSimpleTextItem* readout_;
  std::array<QGraphicsLineItem*, 2> cursorLines_;
  benchbridge::LimitLines limitLines_;  // qualified: LimitLines() names the accessor here
};

}  // namespace benchbridge
