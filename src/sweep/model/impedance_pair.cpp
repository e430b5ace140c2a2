#include "impedance_pair.h"

#include <cmath>
#include <numbers>

namespace benchbridge {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
const std::string kTheta = "\xCE\xB8";  // θ

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* candidate : names) {
    if (name == candidate) return true;
  }
  return false;
}

// The resistance that goes with reactance x for the secondary value (series form: R + jX).
std::optional<double> SeriesResistance(const MeasuredPair& pair, double x) {
  const std::string& name = pair.secondaryName;
  if (name == "D") return pair.secondary * std::fabs(x);
  if (name == "Q") return pair.secondary != 0 ? std::fabs(x) / pair.secondary : INFINITY;
  if (name == "ESR") return pair.secondary;
  if (name == kTheta) return x / std::tan(pair.secondary * kDegree);
  return std::nullopt;
}

// The conductance that goes with susceptance b (parallel form: G + jB). D and Q do not change
// between the two forms; ESR is the real part of 1 / (G + jB), solved for the low-loss root.
std::optional<double> ParallelConductance(const MeasuredPair& pair, double b) {
  const std::string& name = pair.secondaryName;
  if (name == "D") return pair.secondary * std::fabs(b);
  if (name == "Q") return pair.secondary != 0 ? std::fabs(b) / pair.secondary : INFINITY;
  if (name == kTheta) return -b / std::tan(pair.secondary * kDegree);
  if (name == "ESR") {
    const double r = pair.secondary;
    const double root = 1.0 - 4.0 * r * r * b * b;
    if (r <= 0 || root < 0) return r == 0 ? std::optional<double>(0.0) : std::nullopt;
    return (1.0 - std::sqrt(root)) / (2.0 * r);
  }
  return std::nullopt;
}

std::optional<std::complex<double>> Series(const MeasuredPair& pair, double omega) {
  const std::string& name = pair.primaryName;
  if (name == "Rs") {
    if (pair.secondaryName == "X") return std::complex<double>(pair.primary, pair.secondary);
    const double r = pair.primary;
    if (pair.secondaryName == "D" && pair.secondary != 0) return {{r, r / pair.secondary}};
    if (pair.secondaryName == "Q") return {{r, r * pair.secondary}};
    if (pair.secondaryName == kTheta) return {{r, r * std::tan(pair.secondary * kDegree)}};
    return std::nullopt;
  }
  double x = 0;
  if (name == "Cs") {
    x = -1.0 / (omega * pair.primary);
  } else if (name == "Ls") {
    x = omega * pair.primary;
  } else {
    return std::nullopt;
  }
  if (pair.secondaryName == "X") return std::nullopt;
  const std::optional<double> r = SeriesResistance(pair, x);
  if (!r) return std::nullopt;
  return std::complex<double>(*r, x);
}

std::optional<std::complex<double>> Parallel(const MeasuredPair& pair, double omega) {
  const std::string& name = pair.primaryName;
  std::complex<double> y;
  if (name == "Rp") {
    const double g = 1.0 / pair.primary;
    if (pair.secondaryName == "X") {
      y = {g, -1.0 / pair.secondary};
    } else if (pair.secondaryName == "D" && pair.secondary != 0) {
      y = {g, -g / pair.secondary};
    } else if (pair.secondaryName == "Q") {
      y = {g, -g * pair.secondary};
    } else if (pair.secondaryName == kTheta) {
      y = {g, -g * std::tan(pair.secondary * kDegree)};
    } else {
      return std::nullopt;
    }
    return 1.0 / y;
  }
  double b = 0;
  if (name == "Cp") {
    b = omega * pair.primary;
  } else if (name == "Lp") {
    b = -1.0 / (omega * pair.primary);
  } else {
    return std::nullopt;
  }
  const std::optional<double> g = ParallelConductance(pair, b);
  if (!g) return std::nullopt;
  return 1.0 / std::complex<double>(*g, b);
}

}  // namespace

std::optional<std::complex<double>> ImpedanceOf(const MeasuredPair& pair, double frequencyHz) {
  if (!(frequencyHz > 0) || !std::isfinite(pair.primary) || !std::isfinite(pair.secondary)) {
    return std::nullopt;
  }
  const double omega = 2.0 * std::numbers::pi * frequencyHz;
  std::optional<std::complex<double>> z;
  if (pair.primaryName == "Z") {
    if (pair.secondaryName == kTheta) z = std::polar(pair.primary, pair.secondary * kDegree);
  } else if (IsOneOf(pair.primaryName, {"Cs", "Ls", "Rs"})) {
    if (pair.primary != 0 || pair.primaryName == "Rs") z = Series(pair, omega);
  } else if (IsOneOf(pair.primaryName, {"Cp", "Lp", "Rp"}) && pair.primary != 0) {
    z = Parallel(pair, omega);
  }
  if (!z || !std::isfinite(z->real()) || !std::isfinite(z->imag())) return std::nullopt;
  return z;
}

double Derived(DerivedQuantity quantity, std::complex<double> z, double frequencyHz,
               EquivalentCircuit circuit) {
  const double omega = 2.0 * std::numbers::pi * frequencyHz;
  const std::complex<double> y = 1.0 / z;
  const bool series = circuit == EquivalentCircuit::Series;
  switch (quantity) {
    case DerivedQuantity::Magnitude:
      return std::abs(z);
    case DerivedQuantity::Phase:
      return std::arg(z) / kDegree;
    case DerivedQuantity::Resistance:
      return series ? z.real() : 1.0 / y.real();
    case DerivedQuantity::Reactance:
      return series ? z.imag() : -1.0 / y.imag();
    case DerivedQuantity::Capacitance:
      return series ? -1.0 / (omega * z.imag()) : y.imag() / omega;
    case DerivedQuantity::Inductance:
      return series ? z.imag() / omega : -1.0 / (omega * y.imag());
    case DerivedQuantity::D:
      return z.real() / std::fabs(z.imag());
    case DerivedQuantity::Q:
      return std::fabs(z.imag()) / z.real();
  }
  return NAN;
}

std::string DerivedName(DerivedQuantity quantity, EquivalentCircuit circuit) {
  const char* form = circuit == EquivalentCircuit::Series ? "s" : "p";
  switch (quantity) {
    case DerivedQuantity::Magnitude:
      return "|Z|";
    case DerivedQuantity::Phase:
      return kTheta;
    case DerivedQuantity::Resistance:
      return std::string("R") + form;
    case DerivedQuantity::Reactance:
      return std::string("X") + form;
    case DerivedQuantity::Capacitance:
      return std::string("C") + form;
    case DerivedQuantity::Inductance:
      return std::string("L") + form;
    case DerivedQuantity::D:
      return "D";
    case DerivedQuantity::Q:
      return "Q";
  }
  return {};
}

std::string DerivedUnit(DerivedQuantity quantity) {
  switch (quantity) {
    case DerivedQuantity::Phase:
      return "deg";
    case DerivedQuantity::Capacitance:
      return "F";
    case DerivedQuantity::Inductance:
      return "H";
    case DerivedQuantity::D:
    case DerivedQuantity::Q:
      return "";
    default:
      return "\xCE\xA9";
  }
}

}  // namespace benchbridge
