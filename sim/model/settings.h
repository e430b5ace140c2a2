#pragma once
// The meter's source, measurement and system settings, with their power-on defaults.

#include <chrono>
#include <string_view>

namespace benchbridge::sim {

enum class Aperture { Fast, Medium, Slow };
enum class TriggerSource { Internal, External, Manual };
enum class Tone { Off, Short, Long };

struct Settings {
  int levelMv = 1000;
  int biasMv = 0;
  int frequencyHz = 1000;
  bool autoRange = true;
  int outputResistance = 0;  // 0: 100 Ω source, 1: 30 Ω
  Aperture aperture = Aperture::Medium;
  bool remote = false;

  bool startWithLast = false;  // power-on: last settings instead of the defaults
  bool beeper = true;
  TriggerSource trigger = TriggerSource::Internal;
  Tone passTone = Tone::Off;
  Tone failTone = Tone::Long;
};

// How often the meter takes a reading at each speed.
std::chrono::milliseconds MeasurementPeriod(Aperture aperture);

// "FAST", "MEDium", "SLOW"; "INT", "EXT", "MAN"; "OFF", "SHO", "LON".
std::string_view ApertureWord(Aperture aperture);
std::string_view TriggerWord(TriggerSource source);
std::string_view ToneWord(Tone tone);

}  // namespace benchbridge::sim
