#include "trend_plot.h"

#include <QChart>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "engineering_axis.h"
#include "trend_curve_item.h"

namespace benchbridge {

TrendPlot::TrendPlot(const QColor& colour, QWidget* parent)
    : QChartView(new QChart, parent),
      timeAxis_(new EngineeringAxis),
      valueAxis_(new EngineeringAxis),
      curve_(new TrendCurveItem(chart())) {
  chart()->legend()->hide();
  chart()->setMargins(QMargins(4, 4, 4, 4));
  chart()->addAxis(timeAxis_, Qt::AlignBottom);
  chart()->addAxis(valueAxis_, Qt::AlignLeft);
  QPen pen(colour, 0);  // cosmetic, one pixel
  curve_->SetPen(pen);
  curve_->setZValue(10);
  setRenderHint(QPainter::Antialiasing, false);
  // Axes, grid and curve change together at each redraw: one pass over the viewport is
  // cheaper than working out the many small regions.
  setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
  setMinimumHeight(140);
  connect(chart(), &QChart::plotAreaChanged, this, [this] { Place(); });
}

void TrendPlot::SetCurve(std::vector<PlotPoint> points, TimeMs from, TimeMs to,
                         const AxisQuantity& quantity) {
  double low = INFINITY, high = -INFINITY;
  for (const PlotPoint& point : points) {
    if (std::isnan(point.value) || point.time < from || point.time > to) continue;
    low = std::min(low, point.value);
    high = std::max(high, point.value);
  }
  if (!(low <= high)) low = high = 0;
  // The value range stays while the line fits and fills most of it, so that the axis (and the
  // chart's layout) changes only now and then; a new one leaves room to grow.
  const AxisScale& shown = valueAxis_->Scale();
  const bool fits = shown.title == LinearScale(0, 0, quantity).title && shown.Holds(low, high) &&
                    shown.ToPlot(high) - shown.ToPlot(low) >= 0.6 * (shown.high - shown.low);
  if (!fits) valueAxis_->Show(LinearScale(low, high, quantity, kValueTicks));
  low_ = valueAxis_->Scale().FromPlot(valueAxis_->Scale().low);
  high_ = valueAxis_->Scale().FromPlot(valueAxis_->Scale().high);
  from_ = from;
  to_ = to > from ? to : from + 1;
  points_ = std::move(points);
  timeAxis_->Show(TimeScale(from_, to_, kTimeTicks));
  Place();
}

void TrendPlot::Place() { curve_->SetCurve(points_, from_, to_, low_, high_, chart()->plotArea()); }

int TrendPlot::Columns() const {
  return std::max(1, static_cast<int>(std::lround(chart()->plotArea().width())));
}

qint64 TrendPlot::TimeAtX(double x) const {
  const QRectF area = chart()->plotArea();
  const double share = area.width() > 0 ? (x - area.left()) / area.width() : 0.5;
  return from_ + static_cast<qint64>(std::llround(share * static_cast<double>(to_ - from_)));
}

void TrendPlot::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps == 0) return;
  const QPointF at = mapToScene(event->position().toPoint());
  emit ZoomRequested(std::pow(0.8, steps), TimeAtX(chart()->mapFromScene(at).x()));
  event->accept();
}

void TrendPlot::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QChartView::mousePressEvent(event);
  dragging_ = true;
  dragX_ = event->position().x();
  setCursor(Qt::ClosedHandCursor);
}

void TrendPlot::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return QChartView::mouseMoveEvent(event);
  const double width = chart()->plotArea().width();
  const double dx = event->position().x() - dragX_;
  if (width <= 0 || dx == 0) return;
  dragX_ = event->position().x();
  emit PanRequested(-static_cast<qint64>(std::llround(dx / width * (to_ - from_))));
}

void TrendPlot::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_) return QChartView::mouseReleaseEvent(event);
  dragging_ = false;
  unsetCursor();
}

void TrendPlot::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  Place();
}

}  // namespace benchbridge
