#pragma once
// From the pair the meter measured (in plain units: F, H, Ω, degrees, ratios) and the test
// frequency back to the complex impedance, and from the impedance to any of the quantities an
// engineer characterises a part by, for a series or a parallel equivalent circuit.

#include <complex>
#include <optional>
#include <string>

namespace benchbridge {

enum class EquivalentCircuit { Series, Parallel };

// What a plot can show instead of the measured values.
enum class DerivedQuantity {
  Magnitude,
  Phase,
  Resistance,
  Reactance,
  Capacitance,
  Inductance,
  D,
  Q
};
inline constexpr int kDerivedQuantityCount = 8;

struct MeasuredPair {
  std::string primaryName;    // "Cs", "Lp", "Rs", "Z", ...
  double primary = 0;         // in F, H or Ω
  std::string secondaryName;  // "D", "Q", "X", "θ", "ESR"
  double secondary = 0;       // ratio, Ω or degrees
};

// The impedance the pair stands for at frequencyHz; nullopt for a pair that does not fix it
// (DC resistance, an unknown name, a zero frequency, values that are not finite). Where the pair
// leaves the sign of the reactance open (R with D or Q), it is taken as inductive.
std::optional<std::complex<double>> ImpedanceOf(const MeasuredPair& pair, double frequencyHz);

// The quantity of impedance z at frequencyHz: |Z| and R, X in Ω, θ in degrees, C in F, L in H;
// R, X, C and L of the chosen circuit (D, Q, |Z| and θ are the same for both).
double Derived(DerivedQuantity quantity, std::complex<double> z, double frequencyHz,
               EquivalentCircuit circuit);

// "|Z|", "θ", "Rs" / "Rp", "Xs" / "Xp", "Cs" / "Cp", "Ls" / "Lp", "D", "Q".
std::string DerivedName(DerivedQuantity quantity, EquivalentCircuit circuit);
// "Ω", "deg", "F", "H", or "" for D and Q.
std::string DerivedUnit(DerivedQuantity quantity);

}  // namespace benchbridge
