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
  xAxis_->Show(xScale);
  yAxis_->Show(yScale);
  // The series stay and take new points: a point arriving costs a few replaced lists, not a
  // chart built anew. A missing point ends one piece of line and the next begins after it.
  std::size_t pieces = 0;
  for (std::size_t c = 0; c < curves.size(); ++c) {
    const PlotCurve& curve = curves[c];
    QList<QPointF> points, piece;
    auto endPiece = [&] {
      if (piece.isEmpty()) return;
      QLineSeries* line = Piece(pieces++);
      line->setPen(QPen(curve.colour, 1.5));
      line->replace(piece);
      line->setVisible(true);
      piece.clear();
    };
    for (std::size_t i = 0; i < curve.x.size() && i < curve.y.size(); ++i) {
      const double y = curve.y[i];
      if (!std::isfinite(y) || (logY_ && y <= 0)) {
        endPiece();
        continue;
      }
      points.append(QPointF(xScale.ToPlot(curve.x[i]), yScale.ToPlot(y)));
      piece.append(points.back());
    }
    endPiece();
    QScatterSeries* markers = Markers(c);
    markers->setName(curve.name);
    markers->setColor(curve.colour);
    markers->setBorderColor(curve.colour);
    markers->replace(points);
    markers->setVisible(true);
  }
  for (std::size_t i = curves.size(); i < markers_.size(); ++i) markers_[i]->setVisible(false);
  for (std::size_t i = pieces; i < pieces_.size(); ++i) pieces_[i]->setVisible(false);
  // One entry a curve: its markers stand for it, not each piece of its line.
  for (QLineSeries* line : pieces_) {
    for (QLegendMarker* marker : chart()->legend()->markers(line)) marker->setVisible(false);
  }
}

QScatterSeries* SweepPlot::Markers(std::size_t index) {
  while (markers_.size() <= index) {
    auto* markers = new QScatterSeries;
    markers->setMarkerSize(kMarkerSize);
    chart()->addSeries(markers);
    markers->attachAxis(xAxis_);
    markers->attachAxis(yAxis_);
    markers_.push_back(markers);
  }
  return markers_[index];
}

QLineSeries* SweepPlot::Piece(std::size_t index) {
  while (pieces_.size() <= index) {
    auto* line = new QLineSeries;
    chart()->addSeries(line);
    line->attachAxis(xAxis_);
    line->attachAxis(yAxis_);
    pieces_.push_back(line);
  }
  return pieces_[index];
}

void SweepPlot::AlignLeft(const std::vector<SweepPlot*>& plots) {
  // Where each plot area would start with the plain margin; the margins change only when the
  // widest value labels do.
  std::vector<double> natural;
  for (SweepPlot* plot : plots) {
    plot->chart()->layout()->activate();
    natural.push_back(plot->chart()->plotArea().left() - plot->chart()->margins().left() + kMargin);
  }
  const double left = *std::max_element(natural.begin(), natural.end());
  for (std::size_t i = 0; i < plots.size(); ++i) {
    const QMargins margins(kMargin + static_cast<int>(std::lround(left - natural[i])), kMargin,
                           kMargin, kMargin);
    if (plots[i]->chart()->margins() != margins) plots[i]->chart()->setMargins(margins);
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
