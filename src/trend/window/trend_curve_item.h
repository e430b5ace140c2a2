#pragma once
// The line of one parameter drawn straight into a chart's plot area. Qt Charts' line series
// joins its points across NaN, so a line that must break at every gap would need a series per
// stretch; this item draws the reduced points as one path that breaks where they say so.
// With the comparator on, each reading's bin shows as a dot in the bin's colour over the line.

#include <QGraphicsItem>
#include <QPen>
#include <vector>

#include "column_reduction.h"

namespace benchbridge {

// The colour a bin is drawn in, on the plot and in the bin tally: numbered bins in greens and
// blues, OUT red, AUX and anything else in greys.
QColor BinColour(char bin);

class TrendCurveItem : public QGraphicsItem {
 public:
  explicit TrendCurveItem(QGraphicsItem* parent = nullptr);

  // The points and the ranges they are drawn in; plotArea in the parent's coordinates.
  void SetCurve(std::vector<PlotPoint> points, TimeMs from, TimeMs to, double low, double high,
                const QRectF& plotArea);
  // The bin marks drawn over the line (none: the comparator is off), in the same ranges.
  void SetMarks(std::vector<BinMark> marks);
  void SetPen(const QPen& pen) { pen_ = pen; }
  const std::vector<PlotPoint>& Points() const { return points_; }
  const std::vector<BinMark>& Marks() const { return marks_; }

  QRectF boundingRect() const override { return plotArea_; }
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

 private:
  QPointF At(TimeMs time, double value) const;

  std::vector<PlotPoint> points_;
  std::vector<BinMark> marks_;
  TimeMs from_ = 0, to_ = 1;
  double low_ = 0, high_ = 1;
  QRectF plotArea_;
  QPen pen_;
};

}  // namespace benchbridge
