#include "trend_plot.h"

#include <QChart>
#include <QDateTime>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "engineering_axis.h"
#include "quantity_text.h"
#include "trend_curve_item.h"

namespace benchbridge {

TrendPlot::TrendPlot(const QColor& colour, QWidget* parent)
    : QChartView(new QChart, parent),
      timeAxis_(new EngineeringAxis),
      valueAxis_(new EngineeringAxis),
      curve_(new TrendCurveItem(chart())),
      readout_(new QGraphicsSimpleTextItem(chart())),
      cursorLines_{new QGraphicsLineItem(chart()), new QGraphicsLineItem(chart())},
      limitLines_(*chart(), benchbridge::LimitLines::Across::kHorizontal) {
  readout_->setZValue(20);
  for (QGraphicsLineItem* line : cursorLines_) {
    line->setPen(QPen(QColor(120, 120, 120), 0, Qt::DashLine));
    line->setZValue(15);
    line->hide();
  }
  setMouseTracking(true);
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
  // A new size may want another number of ticks.
  connect(chart(), &QChart::plotAreaChanged, this, [this] { FitAxes(); });
}

void TrendPlot::SetCurve(std::vector<PlotPoint> points, TimeMs from, TimeMs to,
                         const AxisQuantity& quantity, std::vector<BinMark> marks) {
  dataLow_ = INFINITY;
  dataHigh_ = -INFINITY;
  for (const PlotPoint& point : points) {
    if (std::isnan(point.value) || point.time < from || point.time > to) continue;
    dataLow_ = std::min(dataLow_, point.value);
    dataHigh_ = std::max(dataHigh_, point.value);
  }
  if (!(dataLow_ <= dataHigh_)) dataLow_ = dataHigh_ = 0;
  quantity_ = quantity;
  from_ = from;
  to_ = to > from ? to : from + 1;
  points_ = std::move(points);
  curve_->SetMarks(std::move(marks));
  FitAxes();
}

void TrendPlot::FitAxes() {
  const QRectF area = chart()->plotArea();
  const int valueTicks = TicksFor(area.height(), kPixelsPerValueTick, kMostValueTicks);
  // The value range stays while the line fits and fills most of it, so that the axis (and the
  // chart's layout) changes only now and then; a new one leaves room to grow.
  const AxisScale& shown = valueAxis_->Scale();
  const bool fits =
      valueTicks == valueTicks_ && shown.title == LinearScale(0, 0, quantity_).title &&
      shown.Holds(dataLow_, dataHigh_) &&
      shown.ToPlot(dataHigh_) - shown.ToPlot(dataLow_) >= 0.6 * (shown.high - shown.low);
  if (!fits) valueAxis_->Show(LinearScale(dataLow_, dataHigh_, quantity_, valueTicks));
  valueTicks_ = valueTicks;
  low_ = valueAxis_->Scale().FromPlot(valueAxis_->Scale().low);
  high_ = valueAxis_->Scale().FromPlot(valueAxis_->Scale().high);
  timeAxis_->Show(
      TimeScale(from_, to_, TicksFor(area.width(), kPixelsPerTimeTick, kMostTimeTicks)));
  Place();
}

void TrendPlot::Place() {
  const QRectF area = chart()->plotArea();
  curve_->SetCurve(points_, from_, to_, low_, high_, area);
  for (std::size_t i = 0; i < cursorLines_.size(); ++i) {
    const bool shown = i < cursors_.size() && cursors_[i].time >= from_ && cursors_[i].time <= to_;
    cursorLines_[i]->setVisible(shown);
    if (shown) {
      const double x = XAtTime(cursors_[i].time);
      cursorLines_[i]->setLine(x, area.top(), x, area.bottom());
    }
  }
  readout_->setPos(area.left() + 6, area.top() + 2);
  limitLines_.Place(area, [&](double value) {
    return area.bottom() - area.height() * (value - low_) / (high_ - low_);
  });
}

void TrendPlot::SetLimitLines(std::vector<double> values) {
  if (limitLines_.Set(std::move(values))) Place();
}

double TrendPlot::XAtTime(TimeMs time) const {
  const QRectF area = chart()->plotArea();
  return area.left() + area.width() * static_cast<double>(time - from_) /
                           static_cast<double>(std::max<TimeMs>(to_ - from_, 1));
}

std::optional<PlotPoint> TrendPlot::PointNear(double x) const {
  const TimeMs time = TimeAtX(x);
  const auto after = std::lower_bound(points_.begin(), points_.end(), time,
                                      [](const PlotPoint& p, TimeMs t) { return p.time < t; });
  std::optional<PlotPoint> best;
  for (auto it : {after, after == points_.begin() ? after : after - 1}) {
    if (it == points_.end() || std::isnan(it->value)) continue;
    if (!best || std::abs(it->time - time) < std::abs(best->time - time)) best = *it;
  }
  // Only when it is drawn near the pointer (a gap has nothing under it).
  if (best && std::abs(XAtTime(best->time) - x) > 12) best.reset();
  return best;
}

QString TrendPlot::Readout() const { return readout_->text(); }

void TrendPlot::ShowReadout() {
  auto reading = [this](const PlotPoint& point) {
    return QDateTime::fromMSecsSinceEpoch(point.time).toString("hh:mm:ss.zzz") + "  " +
           QString::fromStdString(FormatQuantity(point.value, quantity_.unit));
  };
  QStringList lines;
  if (hovered_) lines << reading(*hovered_);
  for (std::size_t i = 0; i < cursors_.size(); ++i) {
    lines << QStringLiteral("%1: %2").arg(i == 0 ? "A" : "B", reading(cursors_[i]));
  }
  if (cursors_.size() == 2) {
    lines << QStringLiteral("B - A: %1 s, %2")
                 .arg(static_cast<double>(cursors_[1].time - cursors_[0].time) / 1000, 0, 'f', 3)
                 .arg(QString::fromStdString(
                     FormatQuantity(cursors_[1].value - cursors_[0].value, quantity_.unit)));
  }
  readout_->setText(lines.join('\n'));
}

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
  dragX_ = pressX_ = event->position().x();
  setCursor(Qt::ClosedHandCursor);
}

void TrendPlot::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) {
    hovered_ = PointNear(chart()->mapFromScene(mapToScene(event->position().toPoint())).x());
    ShowReadout();
    return QChartView::mouseMoveEvent(event);
  }
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
  // A click rather than a drag places a cursor: A, then B, then A again on its own.
  if (std::abs(event->position().x() - pressX_) < 3) {
    const std::optional<PlotPoint> point =
        PointNear(chart()->mapFromScene(mapToScene(event->position().toPoint())).x());
    if (cursors_.size() == 2) cursors_.clear();
    if (point) cursors_.push_back(*point);
    Place();
    ShowReadout();
  }
}

void TrendPlot::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  Place();
}

}  // namespace benchbridge
