#pragma once
// The measuring bridge: takes one reading of the component under the given test conditions,
// with the noise a real bridge shows at that speed and level.

#include <complex>

#include "clock_noise.h"
#include "dut.h"
#include "function_state.h"
#include "quantity.h"
#include "settings.h"

namespace benchbridge::sim {

// What the bridge actually applies, after the mode has had its say (DC resistance mode has no
// test frequency; electrolytic mode fixes level and bias).
struct Conditions {
  double frequencyHz = 1000.0;
  double levelMv = 1000.0;
  double biasMv = 0.0;
  Aperture aperture = Aperture::Medium;
};

class Meter {
 public:
  Meter(Dut dut, NoiseSource& noise) : dut_(dut), noise_(noise) {}

  std::complex<double> TrueImpedance(const Conditions& conditions) const;

  // One reading of the quantities the function selects.
  Measurement Take(const FunctionState& function, const Conditions& conditions);

  // Relative deviation of one reading: shrinks with a slower speed and a higher level.
  static double RelativeNoise(const Conditions& conditions);

 private:
  Dut dut_;
  NoiseSource& noise_;
};

}  // namespace benchbridge::sim
