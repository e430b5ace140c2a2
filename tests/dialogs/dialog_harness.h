#pragma once
// The ground of the dialog tests: the real main window connected to a scripted meter on a real
// pty (through the panel tests' harness), so the dialogs talk over the real poller and act on
// the real main panel.

#include <QComboBox>
#include <map>
#include <string>
#include <vector>

#include "panel_harness.h"

namespace benchbridge::testing {

class DialogHarness : public PanelHarness {
 protected:
  // The standard meter with the given replies on top; commands nobody scripted get an empty
  // line at once. Returns once the panel is connected, with the meter's record cleared.
  void StartConnected(const std::map<std::string, std::string>& replies = {});

  PanelContext& Context() { return panel_->Context(); }

  // Every command line the panel side wrote, as the meter received it (GBK), each with its "\n".
  std::string WireBytes() const;

  // The operator picks item index of list.
  static void Pick(QComboBox* list, int index);
};

}  // namespace benchbridge::testing
