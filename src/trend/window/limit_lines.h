#pragma once
// The comparator's nominal and bin limits drawn across a chart's plot area: the nominal solid,
// the bin limits dashed, lighter the wider the bin. Horizontal on the trend's value plot,
// vertical on the histogram; a value outside the axis's range is not drawn.

#include <QRectF>
#include <functional>
#include <vector>

class QChart;
class QGraphicsLineItem;

namespace benchbridge {

class LimitLines {
 public:
  enum class Across { kHorizontal, kVertical };
  LimitLines(QChart& chart, Across across);
  ~LimitLines();
  LimitLines(const LimitLines&) = delete;
  LimitLines& operator=(const LimitLines&) = delete;

  // The nominal first, then the bins' low and high limits; true when they changed.
  bool Set(std::vector<double> values);
  const std::vector<double>& Values() const { return values_; }
  // Lays the lines over area; where: the value's position along the axis, in pixels.
  void Place(const QRectF& area, const std::function<double(double)>& where);

 private:
  QChart& chart_;
  Across across_;
  std::vector<double> values_;
  std::vector<QGraphicsLineItem*> lines_;
};

}  // namespace benchbridge
