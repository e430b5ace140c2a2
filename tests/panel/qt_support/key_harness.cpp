#include "key_harness.h"

namespace benchbridge::testing {

void KeyHarness::ConnectWith(const std::map<std::string, std::string>& changes) {
  auto script = StandardMeterScript();
  for (const auto& [command, reply] : changes) {
    script[command] = reply;
  }
  StartMeter(script).SetDefault(ReplyLine("OK"));
  StartPanel();
  ConnectPanel();
  ASSERT_TRUE(panel_->Context().Connected());
  meter_->ClearCommands();
}

void KeyHarness::PickItem(QComboBox* list, const QString& text) {
  const int index = list->findText(text);
  ASSERT_GE(index, 0) << text.toStdString() << " is not in " << list->objectName().toStdString();
  list->setCurrentIndex(index);
  emit list->activated(index);
}

void KeyHarness::UseLanguage(UiLanguage language) {
  panel_->Context().State().uiLanguage = language;
  panel_->ApplyLanguage();
}

}  // namespace benchbridge::testing
