#pragma once
// The histogram of the primary values in view, drawn as a filled step outline over a value axis
// (a bar series would need a category per bin and could not show the values themselves).

#include <QChartView>
#include <QString>
#include <cstdint>
#include <vector>

class QAreaSeries;
class QLineSeries;
class QValueAxis;

namespace benchbridge {

class HistogramView : public QChartView {
 public:
  explicit HistogramView(QWidget* parent = nullptr);

  // counts of equal bins over [low, high]; empty counts clear the view.
  void SetCounts(const std::vector<std::uint64_t>& counts, double low, double high,
                 const QString& title);
  const QLineSeries& Outline() const { return *outline_; }

 private:
  QLineSeries* outline_;
  QAreaSeries* area_;
  QValueAxis* valueAxis_;
  QValueAxis* countAxis_;
};

}  // namespace benchbridge
