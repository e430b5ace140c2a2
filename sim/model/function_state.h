#pragma once
// What the meter measures, as its function keys set it: the bridge mode (AC impedance, DC
// resistance, electrolytic capacitor), the primary and secondary parameter and the equivalent
// circuit, and which quantities that selects for a given component.

#include <complex>
#include <optional>
#include <string>
#include <string_view>

#include "quantity.h"

namespace benchbridge::sim {

enum class BridgeMode { Lcr, Dcr, Ecap };
enum class Primary { Auto, R, C, L, Z };
enum class Secondary { X, D, Q, Theta, Esr };
enum class Circuit { Auto, Series, Parallel };

// The words the meter uses for them: "AUTO", "R", ...; "X", "D", "Q", "THR", "ESR";
// "AUTO", "SER", "PAL".
std::string_view PrimaryWord(Primary primary);
std::string_view SecondaryWord(Secondary secondary);
std::string_view CircuitWord(Circuit circuit);

struct Selection {
  Quantity primary;
  std::optional<Quantity> secondary;
  Secondary secondaryChoice;  // the choice behind it (the automatic one in AUTO)
};

class FunctionState {
 public:
  BridgeMode Mode() const { return mode_; }

  // The front-panel keys. The secondary and circuit keys do nothing (false) where they do not
  // apply: with automatic parameters or in DC resistance mode.
  void PressFunctionKey();   // AUTO, R, C, L, Z in turn; back to AC impedance from the other modes
  bool PressSecondaryKey();  // the secondary parameters that suit the primary, in turn
  bool PressCircuitKey();    // AUTO, SER, PAL in turn
  void PressCapacitorKey();  // electrolytic capacitor mode on and off
  void PressDcrKey();        // DC resistance mode on and off, back to the mode before

  // The same by command. False when the choice does not fit the current mode.
  void SetPrimary(Primary primary);
  void SetMode(BridgeMode mode);
  bool SetSecondary(Secondary secondary);
  bool SetCircuit(Circuit circuit);

  // "FUNCtion:IMPedance:A?": "AUTO", "R", "C", "L", "Z", "DCR" or "ECAP".
  std::string_view PrimaryReply() const;
  // "FUNCtion:IMPedance:B?" and ":EQUivalent?". In DC resistance mode they tell what the AC
  // mode will use again. With automatic parameters the secondary is the one chosen for z, and
  // the circuit is "AUTO".
  std::string_view SecondaryReply(std::complex<double> z) const;
  std::string_view CircuitReply() const;

  // True where a list sweep can run: a chosen parameter or electrolytic mode.
  bool ListApplies() const;

  // The quantities measured on a component of impedance z.
  Selection Resolve(std::complex<double> z) const;

  bool operator==(const FunctionState&) const = default;

 private:
  Secondary& CurrentSecondary();
  Circuit& CurrentCircuit();

  BridgeMode mode_ = BridgeMode::Lcr;
  BridgeMode modeBeforeDcr_ = BridgeMode::Lcr;
  Primary primary_ = Primary::C;
  Secondary secondary_ = Secondary::D;
  Circuit circuit_ = Circuit::Series;
  Secondary ecapSecondary_ = Secondary::D;
  Circuit ecapCircuit_ = Circuit::Series;
};

// The secondary parameter a primary starts with: R-X, C-D, L-Q, Z-θ.
Secondary DefaultSecondary(Primary primary);

}  // namespace benchbridge::sim
