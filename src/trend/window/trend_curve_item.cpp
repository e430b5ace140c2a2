#include "trend_curve_item.h"

#include <QPainter>
#include <QPainterPath>
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
  QPainterPath path;
  bool drawing = false;
  std::size_t lonePoints = 0;
  std::vector<QPointF> lone;  // a stretch of one reading shows as a dot
  for (std::size_t i = 0; i < points_.size(); ++i) {
    const PlotPoint& point = points_[i];
    if (std::isnan(point.value)) {
      drawing = false;
      continue;
    }
    const QPointF at(plotArea_.left() + static_cast<double>(point.time - from_) * xScale,
                     plotArea_.bottom() - (point.value - low_) * yScale);
    if (drawing) {
      path.lineTo(at);
    } else {
      path.moveTo(at);
      drawing = true;
      const bool alone = i + 1 >= points_.size() || std::isnan(points_[i + 1].value);
      if (alone) {
        lone.push_back(at);
        ++lonePoints;
      }
    }
  }
  painter->save();
  painter->setClipRect(plotArea_);
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setPen(pen_);
  painter->drawPath(path);
  if (lonePoints > 0) {
    QPen dot = pen_;
    dot.setWidthF(pen_.widthF() + 2);
    dot.setCapStyle(Qt::RoundCap);
    painter->setPen(dot);
    painter->drawPoints(lone.data(), static_cast<int>(lone.size()));
  }
  painter->restore();
}

}  // namespace benchbridge
