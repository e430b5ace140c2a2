#include "trend_curve_item.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <array>
#include <cmath>
#include <utility>

#include "bin_tally.h"

namespace benchbridge {

QColor BinColour(char bin) {
  switch (bin) {
    case '1':
      return {0, 150, 60};
    case '2':
      return {30, 110, 230};
    case '3':
      return {130, 60, 200};
    case 'O':
      return {225, 20, 20};
    case 'A':
      return {110, 110, 110};
    default:
      break;
  }
  if (BinPasses(bin)) return {0, 140, 140};  // the other numbered bins
  return {40, 40, 40};
}

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

void TrendCurveItem::SetMarks(std::vector<BinMark> marks) {
  marks_ = std::move(marks);
  update();
}

QPointF TrendCurveItem::At(TimeMs time, double value) const {
  return {plotArea_.left() + static_cast<double>(time - from_) * plotArea_.width() /
                                 static_cast<double>(to_ - from_),
          plotArea_.bottom() - (value - low_) * plotArea_.height() / (high_ - low_)};
}

void TrendCurveItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  if (points_.empty() || plotArea_.isEmpty()) return;
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
    stretch.append(At(point.time, point.value));
  }
  drawStretch();
  if (!lone.empty()) {
    QPen dot = pen_;
    dot.setWidthF(3);
    dot.setCapStyle(Qt::RoundCap);
    painter->setPen(dot);
    painter->drawPoints(lone.data(), static_cast<int>(lone.size()));
  }
  if (!marks_.empty()) {
    // Dots by bin, the failing bins last so they stay on top. Each dot is a small picture
    // stamped at its place: a round pen wider than a pixel would go through the stroker.
    std::array<std::vector<QPointF>, kBinSlots> dots;
    std::array<char, kBinSlots> binOf{};
    for (const BinMark& mark : marks_) {
      const std::size_t slot = BinSlot(mark.bin);
      dots[slot].push_back(At(mark.time, mark.value));
      binOf[slot] = mark.bin;
    }
    constexpr int kDot = 6;
    for (std::size_t slot : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 11, 10}) {
      if (dots[slot].empty()) continue;
      QPixmap dot(kDot, kDot);
      dot.fill(Qt::transparent);
      {
        QPainter draw(&dot);
        draw.setRenderHint(QPainter::Antialiasing);
        draw.setPen(Qt::NoPen);
        draw.setBrush(BinColour(binOf[slot]));
        draw.drawEllipse(QRectF(0, 0, kDot, kDot));
      }
      for (const QPointF& at : dots[slot]) {
        painter->drawPixmap(static_cast<int>(std::lround(at.x())) - kDot / 2,
                            static_cast<int>(std::lround(at.y())) - kDot / 2, dot);
      }
    }
  }
  painter->restore();
}

}  // namespace benchbridge
