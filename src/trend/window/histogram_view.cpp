#include "histogram_view.h"

#include <QAreaSeries>
#include <QChart>
#include <QLineSeries>
#include <algorithm>

#include "engineering_axis.h"

namespace benchbridge {

HistogramView::HistogramView(QWidget* parent)
    : QChartView(new QChart, parent),
      outline_(new QLineSeries(this)),  // the area series does not own the line it fills
      area_(new QAreaSeries(outline_)),
      valueAxis_(new EngineeringAxis),
      countAxis_(new EngineeringAxis),
      limitLines_(*chart(), LimitLines::Across::kVertical) {
  chart()->legend()->hide();
  chart()->setMargins(QMargins(4, 4, 4, 4));
  chart()->addSeries(area_);
  countAxis_->Show(CountScale(0, kCountTitle, kMostCountTicks));
  chart()->addAxis(valueAxis_, Qt::AlignBottom);
  chart()->addAxis(countAxis_, Qt::AlignLeft);
  area_->attachAxis(valueAxis_);
  area_->attachAxis(countAxis_);
  area_->setColor(QColor(230, 180, 0, 160));
  area_->setBorderColor(QColor(150, 110, 0));
  setMinimumSize(220, 130);
  // Axes, grid and curve change together at each redraw: one pass over the viewport is
  // cheaper than working out the many small regions.
  setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
  // The plot area moves with the window's size and the axes' labels: the lines follow it.
  connect(chart(), &QChart::plotAreaChanged, this, [this] { PlaceLimitLines(); });
}

void HistogramView::SetCounts(const std::vector<std::uint64_t>& counts, double low, double high,
                              const AxisQuantity& quantity) {
  QList<QPointF> steps;
  std::uint64_t most = 0;
  if (!counts.empty() && high > low) {
    const QRectF area = chart()->plotArea();
    valueAxis_->Show(LinearScale(low, high, quantity,
                                 TicksFor(area.width(), kPixelsPerValueTick, kMostValueTicks)));
    const AxisScale& scale = valueAxis_->Scale();
    const double width = (high - low) / static_cast<double>(counts.size());
    auto x = [&](std::size_t edge) {
      return scale.ToPlot(low + width * static_cast<double>(edge));
    };
    steps.reserve(2 * static_cast<qsizetype>(counts.size()) + 2);
    steps.append({x(0), 0});
    for (std::size_t i = 0; i < counts.size(); ++i) {
      const double y = static_cast<double>(counts[i]);
      steps.append({x(i), y});
      steps.append({x(i + 1), y});
      most = std::max(most, counts[i]);
    }
    steps.append({x(counts.size()), 0});
  }
  outline_->replace(steps);
  // Like the trend's value axes, the count axis moves only when the tallest bar leaves the
  // upper part of it.
  const double top = countAxis_->Scale().high;
  const int ticks = TicksFor(chart()->plotArea().height(), kPixelsPerCountTick, kMostCountTicks);
  if (static_cast<double>(most) > top || static_cast<double>(most) < 0.6 * top ||
      ticks != countTicks_) {
    countAxis_->Show(CountScale(most, kCountTitle, ticks));
    countTicks_ = ticks;
  }
  PlaceLimitLines();
}

void HistogramView::SetLimitLines(std::vector<double> values) {
  if (limitLines_.Set(std::move(values))) PlaceLimitLines();
}

void HistogramView::PlaceLimitLines() {
  const QRectF area = chart()->plotArea();
  const AxisScale& scale = valueAxis_->Scale();
  limitLines_.Place(area, [&](double value) {
    return area.left() +
           area.width() * (scale.ToPlot(value) - scale.low) / (scale.high - scale.low);
  });
}

}  // namespace benchbridge
