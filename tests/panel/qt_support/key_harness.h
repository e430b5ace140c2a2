#pragma once
// The ground of the key, setting-control and dialog-key tests: a connected panel on the scripted
// meter, which answers "OK" to whatever its script does not name (as the meter acknowledges a
// key or a setting), and the operator's pick in a list.

#include <QComboBox>
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "panel_harness.h"

namespace benchbridge::testing {

class KeyHarness : public PanelHarness {
 protected:
  // Connects to the standard meter with changes to its script; the commands of the connection
  // are forgotten, so PanelCommands() holds what came after.
  void ConnectWith(const std::map<std::string, std::string>& changes = {});

  // Picks the item with this text in list as the operator does (the selection, then activated).
  static void PickItem(QComboBox* list, const QString& text);

  // Switches the interface language and captions the panel in it.
  void UseLanguage(UiLanguage language);
};

}  // namespace benchbridge::testing
