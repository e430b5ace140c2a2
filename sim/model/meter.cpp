#include "meter.h"

#include <cmath>
#include <numbers>

namespace benchbridge::sim {
namespace {

double SpeedNoise(Aperture aperture) {
  switch (aperture) {
    case Aperture::Fast:
      return 4e-4;
    case Aperture::Medium:
      return 1.5e-4;
    case Aperture::Slow:
      return 5e-5;
  }
  return 1.5e-4;
}

}  // namespace

double Meter::RelativeNoise(const Conditions& conditions) {
  // DC resistance is measured with a fixed test current, as strong as a 1 V signal.
  const double level = conditions.levelMv > 0.0 ? conditions.levelMv : 1000.0;
  return SpeedNoise(conditions.aperture) * std::sqrt(1000.0 / level);
}

std::complex<double> Meter::TrueImpedance(const Conditions& conditions) const {
  return dut_.Impedance(conditions.frequencyHz, conditions.biasMv);
}

Measurement Meter::Take(const FunctionState& function, const Conditions& conditions) {
  const double sigma = RelativeNoise(conditions);
  if (function.Mode() == BridgeMode::Dcr) {
    const double resistance = dut_.DcResistance() * (1.0 + sigma * noise_.Gaussian());
    return {Quantity::Rdc, resistance, std::nullopt, 0.0};
  }
  const std::complex<double> z = TrueImpedance(conditions);
  // The choice of parameters follows the component, not the noise on one reading.
  const Selection selection = function.Resolve(z);
  const double inPhase = noise_.Gaussian();
  const double quadrature = noise_.Gaussian();
  const std::complex<double> measured =
      z * std::complex<double>(1.0 + sigma * inPhase, sigma * quadrature);
  const double omega = 2.0 * std::numbers::pi * conditions.frequencyHz;
  Measurement measurement;
  measurement.primary = selection.primary;
  measurement.primaryValue = QuantityValue(selection.primary, measured, omega);
  measurement.secondary = selection.secondary;
  if (selection.secondary) {
    measurement.secondaryValue = QuantityValue(*selection.secondary, measured, omega);
  }
  return measurement;
}

}  // namespace benchbridge::sim
