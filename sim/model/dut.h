#pragma once
// The component on the test fixture: its impedance at a test frequency and DC bias, and its DC
// resistance.

#include <complex>
#include <optional>
#include <string>
#include <string_view>

namespace benchbridge::sim {

enum class DutKind { Capacitor, Inductor, Resistor, Electrolytic };

struct Dut {
  DutKind kind = DutKind::Capacitor;
  double capacitance = 10e-9;  // F (capacitor, electrolytic)
  double dissipation = 0.002;  // capacitor: D, taken as constant over frequency
  double inductance = 0.0;     // H (inductor)
  double qualityAt1k = 0.0;    // inductor: Q at 1 kHz, which fixes its winding resistance
  double resistance = 0.0;     // Ω (resistor)
  double esr = 0.0;            // Ω, series resistance (capacitor, electrolytic)
  double esl = 0.0;            // H, series inductance of leads and foil
  double leakage = 100e9;      // Ω, what a capacitor shows at DC (beyond the DC range)
  // Capacitor: the share of its capacitance a class-II ceramic loses at the meter's highest
  // bias (0.4: 40 %). Zero: the small loss of a stable dielectric.
  double biasLoss = 0.0;
  double windingCapacitance = 0.0;  // F, across an inductor's winding (self-resonance)
  double windingResistance = 0.0;   // Ω, an inductor's; zero: from Q at 1 kHz

  // The capacitance left under a DC bias.
  double CapacitanceAt(double biasMv) const;

  static Dut Defaults(DutKind kind);

  std::complex<double> Impedance(double frequencyHz, double biasMv) const;
  double DcResistance() const;
  // For the start-up line: "capacitor C=10.000nF D=0.00200".
  std::string Describe() const;
};

// "capacitor", "inductor:L=100u,Q=30", "resistor:R=4.7k", "electrolytic:C=220u,ESR=0.1",
// "ceramic:C=1u,LOSS=0.5". Kinds may be shortened to cap, ind, res, ecap, mlcc (a ceramic is a
// capacitor with class-II defaults); keys are C, D, L, Q, R, ESR, ESL, LEAK, LOSS, CW and RW,
// each as it applies to the kind. On failure returns nullopt and says why in *error.
std::optional<Dut> ParseDut(std::string_view text, std::string* error);

}  // namespace benchbridge::sim
