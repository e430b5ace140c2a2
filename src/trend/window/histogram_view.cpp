#include "histogram_view.h"

#include <QAreaSeries>
#include <QChart>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace benchbridge {

HistogramView::HistogramView(QWidget* parent)
    : QChartView(new QChart, parent),
      outline_(new QLineSeries(this)),  // the area series does not own the line it fills
      area_(new QAreaSeries(outline_)),
      valueAxis_(new QValueAxis),
      countAxis_(new QValueAxis) {
  chart()->legend()->hide();
  chart()->setMargins(QMargins(4, 4, 4, 4));
  chart()->addSeries(area_);
  valueAxis_->setLabelFormat("%.5g");
  valueAxis_->setTickCount(4);
  countAxis_->setLabelFormat("%d");
  countAxis_->setTickCount(4);
  countAxis_->setTitleText("readings");
  chart()->addAxis(valueAxis_, Qt::AlignBottom);
  chart()->addAxis(countAxis_, Qt::AlignLeft);
  area_->attachAxis(valueAxis_);
  area_->attachAxis(countAxis_);
  area_->setColor(QColor(230, 180, 0, 160));
  area_->setBorderColor(QColor(150, 110, 0));
  setMinimumSize(220, 160);
  // Axes, grid and curve change together at each redraw: one pass over the viewport is
  // cheaper than working out the many small regions.
  setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
}

void HistogramView::SetCounts(const std::vector<std::uint64_t>& counts, double low, double high,
                              const QString& title) {
  QList<QPointF> steps;
  std::uint64_t most = 0;
  if (!counts.empty() && high > low) {
    const double width = (high - low) / static_cast<double>(counts.size());
    steps.reserve(static_cast<qsizetype>(2 * counts.size() + 2));
    steps.append({low, 0});
    for (std::size_t i = 0; i < counts.size(); ++i) {
      const double y = static_cast<double>(counts[i]);
      steps.append({low + width * static_cast<double>(i), y});
      steps.append({low + width * static_cast<double>(i + 1), y});
      most = std::max(most, counts[i]);
    }
    steps.append({high, 0});
    valueAxis_->setRange(low, high);
  }
  outline_->replace(steps);
  // Like the trend's value axes, the count axis moves only when the tallest bar leaves the
  // upper part of it.
  const double top = countAxis_->max();
  if (static_cast<double>(most) > top || static_cast<double>(most) < 0.6 * top) {
    countAxis_->setRange(0, std::max<double>(1, static_cast<double>(most) * 1.25));
  }
  valueAxis_->setTitleText(title);
}

}  // namespace benchbridge
