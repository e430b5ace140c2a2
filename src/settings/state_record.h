#pragma once
// The process-wide state record of the panel: one per main window, handed to every dialog.

#include <string>
#include <vector>

namespace benchbridge {

struct StateRecord {
  int portNumber = 1;      // COM port number, "comid" in Set.ini
  bool connected = false;  // a connection is up or being made
  std::string modelName;   // "LX" + the "*LX?" reply
  std::vector<std::string> idnFields;
  std::string idnModel, idnVersion, idnSerial;
  int uiLanguage = 1;  // 0 Chinese, anything else English
  int defa = 0;        // carried in Set.ini, always 0
  int bridgeMode = 0;  // 0 LCR, 1 DCR, 2 ECA
  std::string primaryParam, secondaryParam, equivLetter;
  std::string replyText;  // the last reply a panel handler obtained
  bool deviationOn = false;
};

}  // namespace benchbridge
