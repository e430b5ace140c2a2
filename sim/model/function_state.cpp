#include "function_state.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace benchbridge::sim {
namespace {

// Which secondary parameters each primary offers, in the order the key steps through them.
constexpr Secondary kForR[] = {Secondary::X, Secondary::Q, Secondary::Theta};
constexpr Secondary kForC[] = {Secondary::D, Secondary::Q, Secondary::Theta, Secondary::Esr};
constexpr Secondary kForL[] = {Secondary::D, Secondary::Q, Secondary::Theta, Secondary::Esr};
constexpr Secondary kForZ[] = {Secondary::D, Secondary::Q, Secondary::Theta};
constexpr Secondary kForEcap[] = {Secondary::D, Secondary::Esr};

// Below this impedance the automatic circuit is series, above it parallel.
constexpr double kSeriesBelowOhm = 10e3;

std::span<const Secondary> Offered(BridgeMode mode, Primary primary) {
  if (mode == BridgeMode::Ecap) return kForEcap;
  switch (primary) {
    case Primary::R:
      return kForR;
    case Primary::C:
      return kForC;
    case Primary::L:
      return kForL;
    case Primary::Z:
      return kForZ;
    case Primary::Auto:
      break;
  }
  return {};
}

bool Fits(std::span<const Secondary> offered, Secondary secondary) {
  return std::find(offered.begin(), offered.end(), secondary) != offered.end();
}

Primary AutomaticPrimary(std::complex<double> z) {
  if (std::fabs(z.imag()) < 0.1 * std::fabs(z.real())) return Primary::R;
  return z.imag() < 0.0 ? Primary::C : Primary::L;
}

Quantity PrimaryQuantity(Primary primary, bool series) {
  switch (primary) {
    case Primary::R:
      return series ? Quantity::Rs : Quantity::Rp;
    case Primary::L:
      return series ? Quantity::Ls : Quantity::Lp;
    case Primary::Z:
      return Quantity::Z;
    default:
      return series ? Quantity::Cs : Quantity::Cp;
  }
}

Quantity SecondaryQuantity(Secondary secondary, bool series) {
  switch (secondary) {
    case Secondary::X:
      return series ? Quantity::Xs : Quantity::Xp;
    case Secondary::D:
      return Quantity::D;
    case Secondary::Q:
      return Quantity::Q;
    case Secondary::Theta:
      return Quantity::Theta;
    case Secondary::Esr:
      return Quantity::Esr;
  }
  return Quantity::D;
}

}  // namespace

std::string_view PrimaryWord(Primary primary) {
  switch (primary) {
    case Primary::Auto:
      return "AUTO";
    case Primary::R:
      return "R";
    case Primary::C:
      return "C";
    case Primary::L:
      return "L";
    case Primary::Z:
      return "Z";
  }
  return "";
}

std::string_view SecondaryWord(Secondary secondary) {
  switch (secondary) {
    case Secondary::X:
      return "X";
    case Secondary::D:
      return "D";
    case Secondary::Q:
      return "Q";
    case Secondary::Theta:
      return "THR";
    case Secondary::Esr:
      return "ESR";
  }
  return "";
}

std::string_view CircuitWord(Circuit circuit) {
  switch (circuit) {
    case Circuit::Auto:
      return "AUTO";
    case Circuit::Series:
      return "SER";
    case Circuit::Parallel:
      return "PAL";
  }
  return "";
}

Secondary DefaultSecondary(Primary primary) {
  switch (primary) {
    case Primary::R:
      return Secondary::X;
    case Primary::L:
      return Secondary::Q;
    case Primary::Z:
      return Secondary::Theta;
    default:
      return Secondary::D;
  }
}

Secondary& FunctionState::CurrentSecondary() {
  return mode_ == BridgeMode::Ecap ? ecapSecondary_ : secondary_;
}

Circuit& FunctionState::CurrentCircuit() {
  return mode_ == BridgeMode::Ecap ? ecapCircuit_ : circuit_;
}

void FunctionState::PressFunctionKey() {
  if (mode_ != BridgeMode::Lcr) {
    mode_ = BridgeMode::Lcr;
    return;
  }
  constexpr Primary kOrder[] = {Primary::Auto, Primary::R, Primary::C, Primary::L, Primary::Z};
  const auto at = std::find(std::begin(kOrder), std::end(kOrder), primary_);
  const bool wraps = at == std::end(kOrder) || at + 1 == std::end(kOrder);
  SetPrimary(wraps ? kOrder[0] : *(at + 1));
}

bool FunctionState::PressSecondaryKey() {
  const std::span<const Secondary> offered = Offered(mode_, primary_);
  if (mode_ == BridgeMode::Dcr || offered.empty()) return false;
  Secondary& current = CurrentSecondary();
  const auto at = std::find(offered.begin(), offered.end(), current);
  current = (at == offered.end() || at + 1 == offered.end()) ? offered.front() : *(at + 1);
  return true;
}

bool FunctionState::PressCircuitKey() {
  if (mode_ == BridgeMode::Dcr || (mode_ == BridgeMode::Lcr && primary_ == Primary::Auto)) {
    return false;
  }
  Circuit& current = CurrentCircuit();
  current = current == Circuit::Auto     ? Circuit::Series
            : current == Circuit::Series ? Circuit::Parallel
                                         : Circuit::Auto;
  return true;
}

void FunctionState::PressCapacitorKey() {
  SetMode(mode_ == BridgeMode::Ecap ? BridgeMode::Lcr : BridgeMode::Ecap);
}

void FunctionState::PressDcrKey() {
  SetMode(mode_ == BridgeMode::Dcr ? modeBeforeDcr_ : BridgeMode::Dcr);
}

void FunctionState::SetPrimary(Primary primary) {
  mode_ = BridgeMode::Lcr;
  if (primary == primary_) return;
  primary_ = primary;
  secondary_ = DefaultSecondary(primary);
}

void FunctionState::SetMode(BridgeMode mode) {
  if (mode == BridgeMode::Dcr && mode_ != BridgeMode::Dcr) modeBeforeDcr_ = mode_;
  mode_ = mode;
}

bool FunctionState::SetSecondary(Secondary secondary) {
  if (mode_ == BridgeMode::Dcr || !Fits(Offered(mode_, primary_), secondary)) return false;
  CurrentSecondary() = secondary;
  return true;
}

bool FunctionState::SetCircuit(Circuit circuit) {
  if (mode_ == BridgeMode::Dcr) return false;
  CurrentCircuit() = circuit;
  return true;
}

std::string_view FunctionState::PrimaryReply() const {
  switch (mode_) {
    case BridgeMode::Dcr:
      return "DCR";
    case BridgeMode::Ecap:
      return "ECAP";
    case BridgeMode::Lcr:
      break;
  }
  return PrimaryWord(primary_);
}

std::string_view FunctionState::SecondaryReply(std::complex<double> z) const {
  switch (mode_) {
    case BridgeMode::Dcr:
      return SecondaryWord(secondary_);
    case BridgeMode::Ecap:
      return SecondaryWord(ecapSecondary_);
    case BridgeMode::Lcr:
      break;
  }
  return SecondaryWord(Resolve(z).secondaryChoice);
}

std::string_view FunctionState::CircuitReply() const {
  if (mode_ == BridgeMode::Lcr && primary_ == Primary::Auto) return CircuitWord(Circuit::Auto);
  return CircuitWord(mode_ == BridgeMode::Ecap ? ecapCircuit_ : circuit_);
}

bool FunctionState::ListApplies() const {
  return mode_ == BridgeMode::Ecap || (mode_ == BridgeMode::Lcr && primary_ != Primary::Auto);
}

Selection FunctionState::Resolve(std::complex<double> z) const {
  if (mode_ == BridgeMode::Dcr) return {Quantity::Rdc, std::nullopt, secondary_};
  Primary primary = Primary::C;
  Secondary secondary = ecapSecondary_;
  Circuit circuit = ecapCircuit_ == Circuit::Auto ? Circuit::Series : ecapCircuit_;
  if (mode_ == BridgeMode::Lcr) {
    primary = primary_ == Primary::Auto ? AutomaticPrimary(z) : primary_;
    secondary = primary_ == Primary::Auto ? DefaultSecondary(primary) : secondary_;
    // Automatic parameters choose the circuit as well.
    circuit = primary_ == Primary::Auto ? Circuit::Auto : circuit_;
    if (circuit == Circuit::Auto) {
      circuit = std::abs(z) < kSeriesBelowOhm ? Circuit::Series : Circuit::Parallel;
    }
  }
  const bool series = circuit == Circuit::Series;
  return {PrimaryQuantity(primary, series), SecondaryQuantity(secondary, series), secondary};
}

}  // namespace benchbridge::sim
