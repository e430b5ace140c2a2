#include "dialog_harness.h"

namespace benchbridge::testing {

void DialogHarness::StartConnected(const std::map<std::string, std::string>& replies) {
  std::map<std::string, std::string> script = StandardMeterScript();
  for (const auto& [command, reply] : replies) script[command] = reply;
  StartMeter(script).SetDefault(ReplyLine(""));
  StartPanel();
  ConnectPanel();
  ASSERT_TRUE(Context().Connected());
  ASSERT_NE(Context().Poller(), nullptr);
  meter_->ClearCommands();
}

std::string DialogHarness::WireBytes() const {
  std::string bytes;
  for (const sim::TranscriptEntry& entry : meter_->Server().Transcript()) {
    if (entry.kind == sim::TranscriptEntry::Kind::Command) bytes += entry.bytes + "\n";
  }
  return bytes;
}

void DialogHarness::Pick(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  emit list->activated(index);
}

}  // namespace benchbridge::testing
