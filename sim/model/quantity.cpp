#include "quantity.h"

#include <cmath>
#include <numbers>

#include "si_format.h"

namespace benchbridge::sim {
namespace {

constexpr std::string_view kOhm = "\xCE\xA9";    // Ω
constexpr std::string_view kTheta = "\xCE\xB8";  // θ

}  // namespace

std::string_view QuantityName(Quantity quantity) {
  switch (quantity) {
    case Quantity::Rs:
      return "Rs";
    case Quantity::Rp:
      return "Rp";
    case Quantity::Cs:
      return "Cs";
    case Quantity::Cp:
      return "Cp";
    case Quantity::Ls:
      return "Ls";
    case Quantity::Lp:
      return "Lp";
    case Quantity::Z:
      return "Z";
    case Quantity::Xs:
    case Quantity::Xp:
      return "X";
    case Quantity::D:
      return "D";
    case Quantity::Q:
      return "Q";
    case Quantity::Theta:
      return kTheta;
    case Quantity::Esr:
      return "ESR";
    case Quantity::Rdc:
      return "R";
  }
  return "";
}

std::string_view QuantityUnit(Quantity quantity) {
  switch (quantity) {
    case Quantity::Cs:
    case Quantity::Cp:
      return "F";
    case Quantity::Ls:
    case Quantity::Lp:
      return "H";
    case Quantity::D:
    case Quantity::Q:
      return "";
    case Quantity::Theta:
      return "deg";
    default:
      return kOhm;
  }
}

double QuantityValue(Quantity quantity, std::complex<double> z, double omega) {
  const std::complex<double> y = 1.0 / z;  // admittance G + jB, for the parallel forms
  switch (quantity) {
    case Quantity::Rs:
    case Quantity::Esr:
      return z.real();
    case Quantity::Rp:
      return 1.0 / y.real();
    case Quantity::Cs:
      return -1.0 / (omega * z.imag());
    case Quantity::Cp:
      return y.imag() / omega;
    case Quantity::Ls:
      return z.imag() / omega;
    case Quantity::Lp:
      return -1.0 / (omega * y.imag());
    case Quantity::Z:
      return std::abs(z);
    case Quantity::Xs:
      return z.imag();
    case Quantity::Xp:
      return -1.0 / y.imag();
    case Quantity::D:
      return z.real() / std::fabs(z.imag());
    case Quantity::Q:
      return std::fabs(z.imag()) / z.real();
    case Quantity::Theta:
      return std::arg(z) * 180.0 / std::numbers::pi;
    case Quantity::Rdc:
      return z.real();
  }
  return 0.0;
}

std::string FormatQuantity(Quantity quantity, double value) {
  switch (quantity) {
    case Quantity::D:
    case Quantity::Q:
      return FormatPlain(value);
    case Quantity::Theta: {
      const std::string text = FormatPlain(value);
      return text == kOverRange ? text : text + "deg";
    }
    default:
      return FormatWithPrefix(value, QuantityUnit(quantity));
  }
}

std::string ReadingText(const Measurement& measurement) {
  std::string text(QuantityName(measurement.primary));
  text += ',';
  text += FormatQuantity(measurement.primary, measurement.primaryValue);
  text += ',';
  if (measurement.secondary) {
    text += QuantityName(*measurement.secondary);
    text += ',';
    text += FormatQuantity(*measurement.secondary, measurement.secondaryValue);
  } else {
    text += ',';
  }
  return text;
}

}  // namespace benchbridge::sim
