#pragma once
// The measured parameters: how each follows from the complex impedance, what the meter calls it
// in a reading, and how its value is written.

#include <complex>
#include <optional>
#include <string>
#include <string_view>

namespace benchbridge::sim {

enum class Quantity {
  Rs,
  Rp,
  Cs,
  Cp,
  Ls,
  Lp,
  Z,  // primary parameters
  Xs,
  Xp,
  D,
  Q,
  Theta,
  Esr,  // secondary parameters
  Rdc,  // DC resistance mode
};

// As it heads a reading: "Cs", "Lp", "Z", "X", "D", "θ", "ESR", "R".
std::string_view QuantityName(Quantity quantity);

// "F", "H", "Ω", "deg", or empty for the ratios D and Q.
std::string_view QuantityUnit(Quantity quantity);

// The value of an AC parameter for impedance z at angular frequency omega (angles in degrees).
// Not for Rdc, which is measured with DC.
double QuantityValue(Quantity quantity, std::complex<double> z, double omega);

// The value as the meter writes it: "10.023nF", "1.5915kΩ", "0.00201", "-89.885deg".
std::string FormatQuantity(Quantity quantity, double value);

struct Measurement {
  Quantity primary = Quantity::Cs;
  double primaryValue = 0.0;
  std::optional<Quantity> secondary;  // none in DC resistance mode
  double secondaryValue = 0.0;
};

// The "FETCH:INT?" reply: name, value with unit, secondary name, secondary value with unit, e.g.
// "Cs,10.023nF,D,0.00201"; the secondary fields stay empty when there is none ("R,1.0000kΩ,,").
std::string ReadingText(const Measurement& measurement);

}  // namespace benchbridge::sim
