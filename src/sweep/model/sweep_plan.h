#pragma once
// Which settings a sweep visits: from start to stop in a number of points, spaced evenly on a
// logarithmic or a linear scale and rounded to what the meter takes (whole Hz, whole mV), or
// the model's own items between start and stop where the meter takes only those.

#include <optional>
#include <string>
#include <vector>

namespace benchbridge {

enum class SweptSetting { Frequency, Level, Bias };
enum class SweepSpacing { Logarithmic, Linear };

inline constexpr int kFewestSweepPoints = 2;
inline constexpr int kMostSweepPoints = 201;

struct SweepRequest {
  SweptSetting setting = SweptSetting::Frequency;
  int start = 100;  // Hz or mV; start may lie above stop (a downward sweep)
  int stop = 100000;
  int points = 51;
  SweepSpacing spacing = SweepSpacing::Logarithmic;
  int everyNth = 1;  // on a list of items: take every n-th item from the first
};

// What the meter takes for the swept setting: either free whole values from low to high, or
// only the given items (ascending).
struct SweepLimits {
  int low = 0, high = 0;
  std::vector<int> items;  // empty: free values
};

struct SweepPlan {
  std::vector<int> values;  // in the order of the sweep, no value twice
  std::string error;        // why there is no plan ("" when values holds one)
};

SweepPlan PlanSweep(const SweepRequest& request, const SweepLimits& limits);

// "FREQuency:CW 1000", "VOLTage:LEVel 600", "BIAS:VOLTage:LEVel 1500" (without line feed), and
// the query that reads the setting back.
std::string SettingCommand(SweptSetting setting, int value);
std::string SettingQuery(SweptSetting setting);
// "Hz" or "mV".
const char* SettingUnit(SweptSetting setting);
// "f", "Level", "Bias": the swept value's short name in axis titles and CSV columns.
const char* SettingName(SweptSetting setting);

// The whole number in a settings row or reply, "1000Hz", "600mV", "1000HZ", "1500": nullopt
// unless it starts with digits.
std::optional<int> SettingValueFromText(const std::string& text);

}  // namespace benchbridge
