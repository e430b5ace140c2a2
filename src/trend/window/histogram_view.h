#pragma once
// The histogram of the primary values in view, drawn as a filled step outline over a value axis
// (a bar series would need a category per bin and could not show the values themselves).

#include <QChartView>
#include <QString>
#include <cstdint>
#include <vector>

#include "axis_scale.h"
#include "limit_lines.h"

class QAreaSeries;
class QLineSeries;

namespace benchbridge {

class EngineeringAxis;

class HistogramView : public QChartView {
 public:
  explicit HistogramView(QWidget* parent = nullptr);

  static constexpr int kPixelsPerValueTick = 80, kMostValueTicks = 5;
  static constexpr int kPixelsPerCountTick = 30, kMostCountTicks = 5;
  static constexpr const char* kCountTitle = "readings";

  // counts of equal bins over [low, high] (values of quantity); empty counts clear the view.
  void SetCounts(const std::vector<std::uint64_t>& counts, double low, double high,
                 const AxisQuantity& quantity);
  // Vertical lines at these values (the comparator's nominal first, then bin limits).
  void SetLimitLines(std::vector<double> values);
  const std::vector<double>& LimitValues() const { return limitLines_.Values(); }
  const QLineSeries& Outline() const { return *outline_; }
  const EngineeringAxis& ValueAxis() const { return *valueAxis_; }
  const EngineeringAxis& CountAxis() const { return *countAxis_; }

 private:
  QLineSeries* outline_;
  QAreaSeries* area_;
  EngineeringAxis* valueAxis_;
  EngineeringAxis* countAxis_;
  int countTicks_ = 0;
  LimitLines limitLines_;

  void PlaceLimitLines();
};

}  // namespace benchbridge
