#include "screen_scaling.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace benchbridge {

namespace {

// What desktops (and users' profiles) set to scale every Qt program.
constexpr const char* kDesktopScaling[] = {
    "QT_SCALE_FACTOR",     "QT_SCREEN_SCALE_FACTORS",         "QT_AUTO_SCREEN_SCALE_FACTOR",
    "QT_USE_PHYSICAL_DPI", "QT_SCALE_FACTOR_ROUNDING_POLICY", "QT_FONT_DPI"};

// A scale outside this is a typing slip, not a wish.
constexpr double kSmallestScale = 0.5;
constexpr double kLargestScale = 4.0;

}  // namespace

void PinScreenScaling() {
  const QString wanted = qEnvironmentVariable("BENCHBRIDGE_SCALE");
  for (const char* name : kDesktopScaling) {
    qunsetenv(name);
  }
  // Without this Qt scales by the screen's logical DPI, which follows the desktop's setting.
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  bool ok = false;
  const double scale = wanted.toDouble(&ok);
  if (ok && scale >= kSmallestScale && scale <= kLargestScale) {
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
  }
}

}  // namespace benchbridge
