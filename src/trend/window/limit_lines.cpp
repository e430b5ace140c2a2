#include "limit_lines.h"

#include <QChart>
#include <QGraphicsLineItem>
#include <QPen>

namespace benchbridge {

LimitLines::LimitLines(QChart& chart, Across across) : chart_(chart), across_(across) {}

LimitLines::~LimitLines() = default;  // the lines are the chart's children

bool LimitLines::Set(std::vector<double> values) {
  if (values == values_) return false;
  values_ = std::move(values);
  while (lines_.size() < values_.size()) {
    auto* line = new QGraphicsLineItem(&chart_);
    const bool nominal = lines_.empty();
    const int shade = nominal ? 0 : 40 * static_cast<int>((lines_.size() - 1) / 2);
    line->setPen(
        QPen(QColor(180, 30 + shade, 30 + shade), 0, nominal ? Qt::SolidLine : Qt::DashLine));
    line->setZValue(5);
    lines_.push_back(line);
  }
  while (lines_.size() > values_.size()) {
    delete lines_.back();
    lines_.pop_back();
  }
  return true;
}

void LimitLines::Place(const QRectF& area, const std::function<double(double)>& where) {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const double at = where(values_[i]);
    if (across_ == Across::kHorizontal) {
      lines_[i]->setVisible(at >= area.top() && at <= area.bottom());
      lines_[i]->setLine(area.left(), at, area.right(), at);
    } else {
      lines_[i]->setVisible(at >= area.left() && at <= area.right());
      lines_[i]->setLine(at, area.top(), at, area.bottom());
    }
  }
}

}  // namespace benchbridge
