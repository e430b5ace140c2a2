#include "sweep_plan.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "meter_commands.h"

namespace benchbridge {
namespace {

std::string Range(const SweepLimits& limits, const char* unit) {
  return std::to_string(limits.low) + " to " + std::to_string(limits.high) + " " + unit;
}

// Evenly spaced values from start to stop, rounded, each kept once.
std::vector<int> Spaced(const SweepRequest& request) {
  std::vector<int> values;
  const double from = request.start;
  const double to = request.stop;
  const bool logarithmic = request.spacing == SweepSpacing::Logarithmic && from > 0 && to > 0;
  for (int i = 0; i < request.points; ++i) {
    const double share = static_cast<double>(i) / (request.points - 1);
    const double value =
        logarithmic ? from * std::pow(to / from, share) : from + (to - from) * share;
    const int rounded = static_cast<int>(std::lround(value));
    if (std::find(values.begin(), values.end(), rounded) == values.end()) {
      values.push_back(rounded);
    }
  }
  return values;
}

std::vector<int> FromItems(const SweepRequest& request, const std::vector<int>& items) {
  const int low = std::min(request.start, request.stop);
  const int high = std::max(request.start, request.stop);
  std::vector<int> within;
  for (const int item : items) {
    if (item >= low && item <= high) within.push_back(item);
  }
  if (request.start > request.stop) std::reverse(within.begin(), within.end());
  std::vector<int> values;
  for (std::size_t i = 0; i < within.size(); i += static_cast<std::size_t>(request.everyNth)) {
    values.push_back(within[i]);
  }
  return values;
}

}  // namespace

SweepPlan PlanSweep(const SweepRequest& request, const SweepLimits& limits) {
  SweepPlan plan;
  const char* unit = SettingUnit(request.setting);
  if (!limits.items.empty()) {
    if (request.everyNth < 1) {
      plan.error = "Take every item or every n-th, n from 1";
      return plan;
    }
    plan.values = FromItems(request, limits.items);
    if (plan.values.size() < 2) {
      plan.error = "Fewer than two of the meter's items lie between start and stop";
      plan.values.clear();
    }
    return plan;
  }
  for (const int end : {request.start, request.stop}) {
    if (end < limits.low || end > limits.high) {
      plan.error = "Start and stop must lie from " + Range(limits, unit);
      return plan;
    }
  }
  if (request.points < kFewestSweepPoints || request.points > kMostSweepPoints) {
    plan.error = "Points: from " + std::to_string(kFewestSweepPoints) + " to " +
                 std::to_string(kMostSweepPoints);
    return plan;
  }
  if (request.start == request.stop) {
    plan.error = "Start and stop are the same";
    return plan;
  }
  plan.values = Spaced(request);
  return plan;
}

std::string SettingCommand(SweptSetting setting, int value) {
  switch (setting) {
    case SweptSetting::Frequency:
      return command::kSetFrequency + std::to_string(value);
    case SweptSetting::Level:
      return command::kSetLevel + std::to_string(value);
    case SweptSetting::Bias:
      return command::kSetBias + std::to_string(value);
  }
  return {};
}

std::string SettingQuery(SweptSetting setting) {
  switch (setting) {
    case SweptSetting::Frequency:
      return command::kAskFrequency;
    case SweptSetting::Level:
      return command::kAskLevel;
    case SweptSetting::Bias:
      return command::kAskBias;
  }
  return {};
}

const char* SettingUnit(SweptSetting setting) {
  return setting == SweptSetting::Frequency ? "Hz" : "mV";
}

const char* SettingName(SweptSetting setting) {
  switch (setting) {
    case SweptSetting::Frequency:
      return "f";
    case SweptSetting::Level:
      return "Level";
    case SweptSetting::Bias:
      return "Bias";
  }
  return "";
}

std::optional<int> SettingValueFromText(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
  if (error != std::errc() || end == text.data() + at || value < 0) return std::nullopt;
  return value;
}

}  // namespace benchbridge
