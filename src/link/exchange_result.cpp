#include "exchange_result.h"

namespace benchbridge {

const char* ExchangeStatusName(ExchangeStatus status) {
  switch (status) {
    case ExchangeStatus::kOk:
      return "ok";
    case ExchangeStatus::kTimeOut:
      return "time-out";
    case ExchangeStatus::kWriteFailed:
      return "write failed";
    case ExchangeStatus::kLineLost:
      return "line lost";
    case ExchangeStatus::kAbandoned:
      return "abandoned";
    case ExchangeStatus::kNoLine:
      return "no line";
  }
  return "?";
}

}  // namespace benchbridge
