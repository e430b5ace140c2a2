#include "dut.h"

#include <algorithm>
#include <cctype>
#include <numbers>

#include "ascii_text.h"
#include "model_abilities.h"
#include "si_format.h"

namespace benchbridge::sim {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

bool NamesCeramic(std::string_view name) {
  const std::string upper = UpperCase(name);
  return upper == "CERAMIC" || upper == "MLCC";
}

std::optional<DutKind> KindNamed(std::string_view name) {
  const std::string upper = UpperCase(name);
  if (upper == "CAPACITOR" || upper == "CAP" || NamesCeramic(name)) return DutKind::Capacitor;
  if (upper == "INDUCTOR" || upper == "IND") return DutKind::Inductor;
  if (upper == "RESISTOR" || upper == "RES") return DutKind::Resistor;
  if (upper == "ELECTROLYTIC" || upper == "ECAP") return DutKind::Electrolytic;
  return std::nullopt;
}

// Which keys a kind takes, and where each goes.
double* Field(Dut& dut, const std::string& key) {
  switch (dut.kind) {
    case DutKind::Capacitor:
      if (key == "C") return &dut.capacitance;
      if (key == "D") return &dut.dissipation;
      if (key == "ESR") return &dut.esr;
      if (key == "ESL") return &dut.esl;
      if (key == "LEAK") return &dut.leakage;
      if (key == "LOSS") return &dut.biasLoss;
      break;
    case DutKind::Inductor:
      if (key == "L") return &dut.inductance;
      if (key == "Q") return &dut.qualityAt1k;
      if (key == "CW") return &dut.windingCapacitance;
      if (key == "RW") return &dut.windingResistance;
      break;
    case DutKind::Resistor:
      if (key == "R") return &dut.resistance;
      if (key == "ESL") return &dut.esl;
      break;
    case DutKind::Electrolytic:
      if (key == "C") return &dut.capacitance;
      if (key == "ESR") return &dut.esr;
      if (key == "ESL") return &dut.esl;
      if (key == "LEAK") return &dut.leakage;
      break;
  }
  return nullptr;
}

// Zero is allowed where it still gives a finite impedance.
bool MayBeZero(const std::string& key) {
  return key == "D" || key == "ESR" || key == "ESL" || key == "LOSS" || key == "CW";
}

// Above this a part would have next to nothing left at full bias, and the curve below divides
// by what is left.
constexpr double kMostBiasLoss = 0.95;

std::complex<double> InParallel(std::complex<double> z, double r) { return z * r / (z + r); }

double WindingResistance(const Dut& dut) {
  if (dut.windingResistance > 0.0) return dut.windingResistance;
  return kTwoPi * 1000.0 * dut.inductance / dut.qualityAt1k;
}

// A class-II ceramic as the makers' curves show it: C0 / (1 + k V^2), k chosen so that the part
// has lost biasLoss of its value at the meter's highest bias.
double ClassTwoCapacitance(double c0, double loss, double biasVolts) {
  const double topVolts = kBiasRangeMv.highest / 1000.0;
  const double k = loss / ((1.0 - loss) * topVolts * topVolts);
  return c0 / (1.0 + k * biasVolts * biasVolts);
}

Dut CeramicDefaults() {
  Dut dut;
  dut.capacitance = 1e-6;
  dut.dissipation = 0.01;
  dut.esr = 5e-3;
  dut.esl = 1e-9;
  dut.biasLoss = 0.4;
  return dut;
}

// Only what differs from the kind's defaults, so a plain part keeps its short line.
std::string Extras(const Dut& dut) {
  std::string text;
  if (dut.esr > 0.0) text += " ESR=" + FormatWithPrefix(dut.esr, "\xCE\xA9");
  if (dut.esl > 0.0) text += " ESL=" + FormatWithPrefix(dut.esl, "H");
  if (dut.biasLoss > 0.0) text += " LOSS=" + FormatPlain(dut.biasLoss) + " at 1.5V";
  return text;
}

}  // namespace

Dut Dut::Defaults(DutKind kind) {
  Dut dut;
  dut.kind = kind;
  switch (kind) {
    case DutKind::Capacitor:
      break;
    case DutKind::Inductor:
      dut.inductance = 1e-3;
      dut.qualityAt1k = 10.0;
      break;
    case DutKind::Resistor:
      dut.resistance = 1e3;
      dut.esl = 20e-9;
      break;
    case DutKind::Electrolytic:
      dut.capacitance = 100e-6;
      dut.esr = 0.5;
      dut.esl = 5e-9;
      dut.leakage = 5e6;
      break;
  }
  return dut;
}

std::complex<double> Dut::Impedance(double frequencyHz, double biasMv) const {
  const double omega = kTwoPi * frequencyHz;
  const std::complex<double> j(0.0, 1.0);
  switch (kind) {
    case DutKind::Capacitor: {
      const std::complex<double> z =
          std::complex<double>(dissipation, -1.0) / (omega * CapacitanceAt(biasMv));
      return InParallel(z, leakage) + esr + j * omega * esl;
    }
    case DutKind::Inductor: {
      const std::complex<double> winding = WindingResistance(*this) + j * omega * inductance;
      if (windingCapacitance <= 0.0) return winding;
      // The turns' capacitance sits across the whole winding: it resonates with L.
      const std::complex<double> across = 1.0 / (j * omega * windingCapacitance);
      return winding * across / (winding + across);
    }
    case DutKind::Resistor:
      return resistance + j * omega * esl;
    case DutKind::Electrolytic: {
      const std::complex<double> z = esr + 1.0 / (j * omega * capacitance);
      return InParallel(z, leakage) + j * omega * esl;
    }
  }
  return {};
}

double Dut::CapacitanceAt(double biasMv) const {
  const double biasVolts = biasMv / 1000.0;
  if (biasLoss > 0.0) return ClassTwoCapacitance(capacitance, biasLoss, biasVolts);
  // Stable dielectrics lose a little capacitance under DC bias.
  return capacitance * (1.0 - 0.01 * biasVolts * biasVolts);
}

double Dut::DcResistance() const {
  switch (kind) {
    case DutKind::Capacitor:
      return leakage + esr;
    case DutKind::Inductor:
      return WindingResistance(*this);
    case DutKind::Resistor:
      return resistance;
    case DutKind::Electrolytic:
      return leakage + esr;
  }
  return 0.0;
}

std::string Dut::Describe() const {
  switch (kind) {
    case DutKind::Capacitor:
      return "capacitor C=" + FormatWithPrefix(capacitance, "F") +
             " D=" + FormatPlain(dissipation) + Extras(*this);
    case DutKind::Inductor: {
      std::string text = "inductor L=" + FormatWithPrefix(inductance, "H");
      if (windingResistance > 0.0) {
        text += " RW=" + FormatWithPrefix(windingResistance, "\xCE\xA9");
      } else {
        text += " Q=" + FormatPlain(qualityAt1k) + " at 1kHz";
      }
      if (windingCapacitance > 0.0) text += " CW=" + FormatWithPrefix(windingCapacitance, "F");
      return text;
    }
    case DutKind::Resistor:
      return "resistor R=" + FormatWithPrefix(resistance, "\xCE\xA9");
    case DutKind::Electrolytic:
      return "electrolytic capacitor C=" + FormatWithPrefix(capacitance, "F") +
             " ESR=" + FormatWithPrefix(esr, "\xCE\xA9");
  }
  return {};
}

std::optional<Dut> ParseDut(std::string_view text, std::string* error) {
  const std::size_t colon = text.find(':');
  const std::optional<DutKind> kind = KindNamed(text.substr(0, colon));
  if (!kind) {
    *error = "unknown component \"" + std::string(text.substr(0, colon)) +
             "\" (capacitor, inductor, resistor or electrolytic)";
    return std::nullopt;
  }
  Dut dut = NamesCeramic(text.substr(0, colon)) ? CeramicDefaults() : Dut::Defaults(*kind);
  std::string_view rest = colon == std::string_view::npos ? "" : text.substr(colon + 1);
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? "" : rest.substr(comma + 1);
    const std::size_t equals = item.find('=');
    const std::string key = UpperCase(item.substr(0, equals));
    double* field = equals == std::string_view::npos ? nullptr : Field(dut, key);
    if (field == nullptr) {
      *error = "\"" + std::string(item) + "\" does not apply to this component";
      return std::nullopt;
    }
    const std::optional<double> value = ParsePrefixedNumber(item.substr(equals + 1));
    if (!value || *value < 0.0 || (*value == 0.0 && !MayBeZero(key))) {
      *error = "bad value in \"" + std::string(item) + "\"";
      return std::nullopt;
    }
    if (key == "LOSS" && *value > kMostBiasLoss) {
      *error = "LOSS is a share of the capacitance, from 0 to " + FormatPlain(kMostBiasLoss);
      return std::nullopt;
    }
    *field = *value;
  }
  return dut;
}

}  // namespace benchbridge::sim
