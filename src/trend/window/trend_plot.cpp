#include "trend_plot.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QMouseEvent>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "trend_curve_item.h"

namespace benchbridge {

TrendPlot::TrendPlot(const QColor& colour, QWidget* parent)
    : QChartView(new QChart, parent),
      timeAxis_(new QDateTimeAxis),
      valueAxis_(new QValueAxis),
      curve_(new TrendCurveItem(chart())) {
  chart()->legend()->hide();
  chart()->setMargins(QMargins(4, 4, 4, 4));
  timeAxis_->setFormat("hh:mm:ss");
  timeAxis_->setTickCount(6);
  valueAxis_->setLabelFormat("%.6g");
  valueAxis_->setTickCount(5);
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
                         const QString& title) {
  double low = INFINITY, high = -INFINITY;
  for (const PlotPoint& point : points) {
    if (std::isnan(point.value) || point.time < from || point.time > to) continue;
    low = std::min(low, point.value);
    high = std::max(high, point.value);
  }
  if (!(low <= high)) {
    low = 0;
    high = 1;
  }
  // The value range stays while the line fits and fills most of it, so that the axis (and the
  // chart's layout) changes only now and then; a new one leaves room to grow.
  const bool fits = low >= low_ && high <= high_ && (high - low) >= 0.6 * (high_ - low_);
  if (!fits) {
    const double pad = high > low ? (high - low) * 0.1 : std::max(std::abs(high) * 1e-6, 1e-15);
    low_ = low - pad;
    high_ = high + pad;
  }
  from_ = from;
  to_ = to > from ? to : from + 1;
  points_ = std::move(points);
  const qint64 width = to_ - from_;
  timeAxis_->setFormat(width > 2 * 86'400'000LL ? "MM-dd hh:mm" : "hh:mm:ss");
  timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(from_), QDateTime::fromMSecsSinceEpoch(to_));
  valueAxis_->setRange(low_, high_);
  valueAxis_->setTitleText(title);
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
