#include "engineering_axis.h"

#include <algorithm>

namespace benchbridge {
namespace {

// A category's label is its key, and an empty one is refused: ticks without a label get
// distinct runs of zero-width spaces.
constexpr QChar kBlank(0x200B);

bool SameTicks(const std::vector<AxisTick>& a, const std::vector<AxisTick>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].position != b[i].position || a[i].label != b[i].label) return false;
  }
  return true;
}

}  // namespace

EngineeringAxis::EngineeringAxis(QObject* parent) : QCategoryAxis(parent) {
  setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
}

void EngineeringAxis::Show(const AxisScale& scale) {
  const bool sameTicks = shown_ && SameTicks(scale.ticks, scale_.ticks);
  if (!shown_ || scale.low != scale_.low || scale.high != scale_.high) {
    setRange(scale.low, scale.high);
  }
  if (!shown_ || scale.title != scale_.title) setTitleText(QString::fromStdString(scale.title));
  if (!sameTicks) {
    for (const QString& label : categoriesLabels()) remove(label);
    // Each tick ends a category and has its label there; the first category starts just
    // below the range, so that a tick on the axis's lower end has its label too.
    const double slack = (scale.high - scale.low) * 1e-6;
    setStartValue(scale.low - slack);
    int blanks = 0;
    for (const AxisTick& tick : scale.ticks) {
      if (tick.position <= scale.low - slack || tick.position > scale.high + slack) continue;
      const QString label =
          tick.label.empty() ? QString(++blanks, kBlank) : QString::fromStdString(tick.label);
      append(label, tick.position);
    }
  }
  scale_ = scale;
  shown_ = true;
}

int TicksFor(double pixels, double perTick, int most) {
  if (!(pixels > 0) || !(perTick > 0)) return std::min(3, most);
  return std::clamp(static_cast<int>(pixels / perTick), std::min(3, most), most);
}

QStringList EngineeringAxis::TickLabels() const {
  QStringList labels;
  // QCategoryAxis reads its labels through a non-const function only.
  for (const QString& label : const_cast<EngineeringAxis*>(this)->categoriesLabels()) {
    labels << (label.startsWith(kBlank) ? QString() : label);
  }
  return labels;
}

}  // namespace benchbridge
