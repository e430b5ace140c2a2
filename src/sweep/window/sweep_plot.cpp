#include "sweep_plot.h"

#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QScatterSeries>
#include <algorithm>
#include <cmath>

#include "engineering_axis.h"

namespace benchbridge {
namespace {

constexpr double kMarkerSize = 6.0;
constexpr int kMargin = 4;

// The y scale for the values shown: logarithmic only when asked and all of them are above zero.
AxisScale YScale(const std::vector<PlotCurve>& curves, const AxisQuantity& quantity, bool logY,
                 bool* logShown) {
  double low = INFINITY, high = -INFINITY;
  for (const PlotCurve& curve : curves) {
    for (const double y : curve.y) {
      if (!std::isfinite(y)) continue;
      low = std::min(low, y);
      high = std::max(high, y);
    }
  }
  if (!std::isfinite(low)) {
    low = 0;
    high = 1;
  }
  *logShown = logY && low > 0;
  return *logShown ? LogScale(low, high, quantity) : LinearScale(low, high, quantity);
}

}  // namespace

SweepPlot::SweepPlot(bool legend, QWidget* parent)
    : QChartView(parent), xAxis_(new EngineeringAxis), yAxis_(new EngineeringAxis) {
  chart()->legend()->setVisible(legend);
  chart()->legend()->setAlignment(Qt::AlignTop);
  chart()->setMargins(QMargins(kMargin, kMargin, kMargin, kMargin));
  chart()->addAxis(xAxis_, Qt::AlignBottom);
  chart()->addAxis(yAxis_, Qt::AlignLeft);
  setRenderHint(QPainter::Antialiasing, true);
  setMouseTracking(true);
  setMinimumHeight(160);
}

void SweepPlot::Show(const std::vector<PlotCurve>& curves, const AxisScale& xScale,
                     const AxisQuantity& quantity, bool logY) {
  const AxisScale yScale = YScale(curves, quantity, logY, &logY_);
  chart()->removeAllSeries();
  xAxis_->Show(xScale);
  yAxis_->Show(yScale);
  for (const PlotCurve& curve : curves) {
    auto* markers = new QScatterSeries;
    markers->setName(curve.name);
    markers->setColor(curve.colour);
    markers->setBorderColor(curve.colour);
    markers->setMarkerSize(kMarkerSize);
    // A missing point ends one line and the next begins after it.
    QLineSeries* line = nullptr;
    for (std::size_t i = 0; i < curve.x.size() && i < curve.y.size(); ++i) {
      const double y = curve.y[i];
      if (!std::isfinite(y) || (logY_ && y <= 0)) {
        line = nullptr;
        continue;
      }
      const QPointF at(xScale.ToPlot(curve.x[i]), yScale.ToPlot(y));
      markers->append(at);
      if (line == nullptr) {
        line = new QLineSeries;
        line->setName(curve.name);
        line->setPen(QPen(curve.colour, 1.5));
        chart()->addSeries(line);
        line->attachAxis(xAxis_);
        line->attachAxis(yAxis_);
      }
      line->append(at);
    }
    chart()->addSeries(markers);
    markers->attachAxis(xAxis_);
    markers->attachAxis(yAxis_);
  }
  // One entry a curve: its markers stand for it, not each piece of its line.
  for (QLegendMarker* marker : chart()->legend()->markers()) {
    marker->setVisible(qobject_cast<QScatterSeries*>(marker->series()) != nullptr);
  }
}

void SweepPlot::AlignLeft(const std::vector<SweepPlot*>& plots) {
  double left = 0;
  for (SweepPlot* plot : plots) {
    plot->chart()->setMargins(QMargins(kMargin, kMargin, kMargin, kMargin));
    plot->chart()->layout()->activate();
    left = std::max(left, plot->chart()->plotArea().left());
  }
  for (SweepPlot* plot : plots) {
    const int more = static_cast<int>(std::lround(left - plot->chart()->plotArea().left()));
    if (more > 0) plot->chart()->setMargins(QMargins(kMargin + more, kMargin, kMargin, kMargin));
  }
}

void SweepPlot::mouseMoveEvent(QMouseEvent* event) {
  QChartView::mouseMoveEvent(event);
  const QPointF inChart = chart()->mapFromScene(mapToScene(event->position().toPoint()));
  if (!chart()->plotArea().contains(inChart)) {
    emit PointerAt(NAN);
    return;
  }
  const AxisScale& scale = xAxis_->Scale();
  const QRectF area = chart()->plotArea();
  const double share = (inChart.x() - area.left()) / area.width();
  emit PointerAt(scale.FromPlot(scale.low + share * (scale.high - scale.low)));
}

void SweepPlot::leaveEvent(QEvent* event) {
  QChartView::leaveEvent(event);
  emit PointerAt(NAN);
}

}  // namespace benchbridge
