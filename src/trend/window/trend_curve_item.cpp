#include "trend_curve_item.h"

#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <utility>

namespace benchbridge {

TrendCurveItem::TrendCurveItem(QGraphicsItem* parent) : QGraphicsItem(parent) {
  pen_.setCosmetic(true);
}

void TrendCurveItem::SetCurve(std::vector<PlotPoint> points, TimeMs from, TimeMs to, double low,
                              double high, const QRectF& plotArea) {
  prepareGeometryChange();
  points_ = std::move(points);
  from_ = from;
  to_ = to > from ? to : from + 1;
  low_ = low;
  high_ = high > low ? high : low + 1;
  plotArea_ = plotArea;
  update();
}

void TrendCurveItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  if (points_.empty() || plotArea_.isEmpty()) return;
  const double xScale = plotArea_.width() / static_cast<double>(to_ - from_);
  const double yScale = plotArea_.height() / (high_ - low_);
  painter->save();
  painter->setClipRect(plotArea_);
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setPen(pen_);
  // Stretch by stretch as polylines: a thin cosmetic pen draws these on the raster engine's
  // fast path, where one path of a day's points would go through the stroker.
  QPolygonF stretch;
  std::vector<QPointF> lone;  // a stretch of a single reading shows as a dot
  auto drawStretch = [&] {
    if (stretch.size() == 1) lone.push_back(stretch.front());
    if (stretch.size() > 1) painter->drawPolyline(stretch);
    stretch.clear();
  };
  for (const PlotPoint& point : points_) {
    if (std::isnan(point.value)) {
      drawStretch();
      continue;
    }
    stretch.append(QPointF(plotArea_.left() + static_cast<double>(point.time - from_) * xScale,
                           plotArea_.bottom() - (point.value - low_) * yScale));
  }
  drawStretch();
  if (!lone.empty()) {
    QPen dot = pen_;
    dot.setWidthF(3);
    dot.setCapStyle(Qt::RoundCap);
    painter->setPen(dot);
    painter->drawPoints(lone.data(), static_cast<int>(lone.size()));
  }
  painter->restore();
}

}  // namespace benchbridge
