#include "sweep_runner.h"

#include <algorithm>

#include "meter_commands.h"

namespace benchbridge {
namespace {

bool IsErrorReply(const std::string& reply) {
  return reply.find(command::kCommandError) != std::string::npos ||
         reply.find(command::kExecutionError) != std::string::npos;
}

SweepPoint MissingPoint(int value, PointStatus status, std::string reply = {}) {
  SweepPoint point = AveragePoint(value, {});
  point.status = status;
  if (!reply.empty()) point.replies.push_back(std::move(reply));
  return point;
}

std::optional<SweepEnd> CutOffBy(const LineAnswer& answer) {
  if (answer.outcome == LineAnswer::Outcome::LineLost) return SweepEnd::LineLost;
  if (answer.outcome == LineAnswer::Outcome::Withdrawn) return SweepEnd::Withdrawn;
  return std::nullopt;
}

}  // namespace

SweepRunner::SweepRunner(SweepSetup setup, SweepExchange exchange, SweepObserver& observer)
    : setup_(std::move(setup)), exchange_(std::move(exchange)), observer_(observer) {
  setup_.averaging = std::clamp(setup_.averaging, 1, kMostAveraged);
}

std::optional<LineAnswer> SweepRunner::Exchange(const std::string& command) {
  if (stop_.load() || cutOff_) return std::nullopt;
  LineAnswer answer = exchange_(command);
  cutOff_ = CutOffBy(answer);
  if (cutOff_) return std::nullopt;
  return answer;
}

std::optional<SweepPoint> SweepRunner::TakePoint(int value) {
  const std::optional<LineAnswer> set = Exchange(SettingCommand(setup_.setting, value));
  if (!set) return std::nullopt;
  if (set->outcome == LineAnswer::Outcome::NoReply)
    return MissingPoint(value, PointStatus::NoReply);
  if (IsErrorReply(set->reply)) return MissingPoint(value, PointStatus::ErrorReply, set->reply);

  std::vector<std::string> replies;
  for (int reading = 0; reading <= setup_.averaging; ++reading) {
    const std::optional<LineAnswer> answer = Exchange(command::kFetchReading);
    if (!answer) return std::nullopt;
    if (answer->outcome == LineAnswer::Outcome::NoReply) {
      return MissingPoint(value, PointStatus::NoReply);
    }
    if (IsErrorReply(answer->reply)) {
      return MissingPoint(value, PointStatus::ErrorReply, answer->reply);
    }
    // The first reading after the change may still be the old setting's: it is not kept.
    if (reading > 0) replies.push_back(answer->reply);
  }
  return AveragePoint(value, replies);
}

void SweepRunner::Restore(SweepOutcome& outcome) {
  outcome.before = setup_.before;
  if (cutOff_) return;
  // Whatever the operator asked, the meter is not left at the last point's setting.
  const LineAnswer set = exchange_(SettingCommand(setup_.setting, *setup_.before));
  cutOff_ = CutOffBy(set);
  if (cutOff_) {
    outcome.end = *cutOff_;
    return;
  }
  outcome.restored = set.outcome == LineAnswer::Outcome::Reply && !IsErrorReply(set.reply);
}

SweepOutcome SweepRunner::Run() {
  SweepOutcome outcome;
  if (!setup_.before) {
    if (const std::optional<LineAnswer> asked = Exchange(SettingQuery(setup_.setting))) {
      setup_.before = SettingValueFromText(asked->reply);
    }
  }
  if (!setup_.before) {
    outcome.end = cutOff_.value_or(SweepEnd::BeforeUnknown);
    return outcome;
  }
  int silentPoints = 0;
  std::size_t taken = 0;
  for (std::size_t index = 0; index < setup_.values.size(); ++index) {
    const auto started = std::chrono::steady_clock::now();
    const std::optional<SweepPoint> point = TakePoint(setup_.values[index]);
    if (!point) break;
    observer_.PointTaken(static_cast<int>(index), *point,
                         std::chrono::steady_clock::now() - started);
    ++taken;
    silentPoints = point->status == PointStatus::NoReply ? silentPoints + 1 : 0;
    if (silentPoints >= kSilentPointsToGiveUp) {
      outcome.end = SweepEnd::MeterSilent;
      break;
    }
  }
  if (cutOff_) {
    outcome.end = *cutOff_;
  } else if (taken < setup_.values.size() && outcome.end != SweepEnd::MeterSilent) {
    outcome.end = SweepEnd::Stopped;
  }
  Restore(outcome);
  return outcome;
}

}  // namespace benchbridge
