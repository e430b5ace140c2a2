#pragma once
// The process-wide state record of the panel: one per main window, handed to every dialog.

#include <optional>
#include <string>
#include <vector>

namespace benchbridge {

// The meter's mode, shown on the badge LLs888.
enum class BridgeMode { Lcr, Dcr, Eca };

enum class UiLanguage { Chinese, English };

struct StateRecord {
  int portNumber = 1;     // COM port number, "comid" in Set.ini
  std::string modelName;  // "LX" + the "*LX?" reply
  std::vector<std::string> idnFields;
  std::string idnModel, idnVersion, idnSerial;
  UiLanguage uiLanguage = UiLanguage::English;
  int defa = 0;  // carried in Set.ini, always 0
  // None from a new connection until its sequence has read the function.
  std::optional<BridgeMode> bridgeMode = BridgeMode::Lcr;
  std::string primaryParam, secondaryParam, equivLetter;
  std::string replyText;  // the last reply a panel handler obtained
  bool deviationOn = false;
  std::string statistic;  // "MAX", "MIN", "AVG" as bb3 shows it, empty while statistics are off
};

}  // namespace benchbridge
