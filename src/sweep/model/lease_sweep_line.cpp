#include "lease_sweep_line.h"

namespace benchbridge {

std::unique_ptr<LeaseSweepLine> LeaseSweepLine::Take(MeterSession& session,
                                                     std::function<void()> takenBack) {
  std::unique_ptr<LeaseSweepLine> line(new LeaseSweepLine(std::move(takenBack)));
  line->lease_ = session.TakeLine(*line);
  if (!line->lease_) return nullptr;
  return line;
}

LineAnswer SweepAnswer(const ExchangeResult& result) {
  switch (result.status) {
    case ExchangeStatus::kOk:
      return {LineAnswer::Outcome::Reply, result.reply};
    case ExchangeStatus::kTimeOut:
    case ExchangeStatus::kWriteFailed:
      return {LineAnswer::Outcome::NoReply, ""};
    case ExchangeStatus::kLineLost:
      return {LineAnswer::Outcome::LineLost, ""};
    case ExchangeStatus::kAbandoned:
    case ExchangeStatus::kNoLine:
      break;
  }
  return {LineAnswer::Outcome::Withdrawn, ""};
}

LineAnswer LeaseSweepLine::Ask(const std::string& command) {
  return SweepAnswer(lease_->Ask(command + "\n"));
}

void LeaseSweepLine::GiveBack() { lease_->GiveBack(); }

void LeaseSweepLine::LineTakenBack(LineBackReason) {
  if (takenBack_) takenBack_();
}

}  // namespace benchbridge
