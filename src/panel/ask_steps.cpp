#include "ask_steps.h"

namespace benchbridge {

bool AskInTurn(PanelContext& context, std::span<const AskStep> steps) {
  for (const AskStep& step : steps) {
    const std::optional<std::string> reply = context.Ask(step.command);
    if (!reply) {
      return false;
    }
    if (step.show) {
      step.show(*reply);
    }
  }
  return true;
}

bool AskInTurn(PanelContext& context, std::initializer_list<AskStep> steps) {
  return AskInTurn(context, std::span<const AskStep>(steps.begin(), steps.size()));
}

}  // namespace benchbridge
