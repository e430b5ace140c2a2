#pragma once
// A chain of questions to the meter as the panel asks them: one after the other, each reply
// shown by its step, and the chain stops at the first question without a reply (or once
// shutdown began). What the earlier steps showed stays.

#include <functional>
#include <initializer_list>
#include <span>
#include <string>

#include "panel_context.h"

namespace benchbridge {

struct AskStep {
  std::string command;
  // Shows the reply; none for a command whose reply only has to come (a key press).
  std::function<void(const std::string& reply)> show;
};

// True when every step got its reply.
bool AskInTurn(PanelContext& context, std::span<const AskStep> steps);
bool AskInTurn(PanelContext& context, std::initializer_list<AskStep> steps);

}  // namespace benchbridge
