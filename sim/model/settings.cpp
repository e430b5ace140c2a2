#include "settings.h"

namespace benchbridge::sim {

std::chrono::milliseconds MeasurementPeriod(Aperture aperture) {
  switch (aperture) {
    case Aperture::Fast:
      return std::chrono::milliseconds(50);
    case Aperture::Medium:
      return std::chrono::milliseconds(125);
    case Aperture::Slow:
      return std::chrono::milliseconds(400);
  }
  return std::chrono::milliseconds(125);
}

std::string_view ApertureWord(Aperture aperture) {
  switch (aperture) {
    case Aperture::Fast:
      return "FAST";
    case Aperture::Medium:
      return "MEDium";
    case Aperture::Slow:
      return "SLOW";
  }
  return "";
}

std::string_view TriggerWord(TriggerSource source) {
  switch (source) {
    case TriggerSource::Internal:
      return "INT";
    case TriggerSource::External:
      return "EXT";
    case TriggerSource::Manual:
      return "MAN";
  }
  return "";
}

std::string_view ToneWord(Tone tone) {
  switch (tone) {
    case Tone::Off:
      return "OFF";
    case Tone::Short:
      return "SHO";
    case Tone::Long:
      return "LON";
  }
  return "";
}

}  // namespace benchbridge::sim
