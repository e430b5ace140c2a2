// Set.ini in the settings folder: the port, the language and where the bridge listens. Start-up
// reads it; choosing a port (and the language chooser) writes it. A save that fails is silent and
// changes nothing in memory.

#include "fit_label.h"
#include "port_combo_box.h"
#include "settings_file.h"
#include "uFrmMain.h"

namespace benchbridge {

std::filesystem::path TFrmMain::SettingsFile() const { return context_.Folders().SettingsFile(); }

void TFrmMain::LoadSettings() {
  const SettingsValues values = ReadSettingsFile(SettingsFile());
  StateRecord& state = context_.State();
  state.portNumber = values.comid;
  SelectPortItem();
  // "lang" is read, but this program always starts in English.
  state.uiLanguage = UiLanguage::English;
  SetBridgeListen(ReadBridgeListen(SettingsFile()), "Set.ini [Bridge] Listen");
  session_->SetBridgeReplies(
      ParseReplyMode(ReadBridgeReplies(SettingsFile())).value_or(ReplyMode::kInstrument));
  ApplyLanguage();
}

void TFrmMain::SaveSettings() {
  const StateRecord& state = context_.State();
  WriteSettingsFile(SettingsFile(), state.portNumber, state.uiLanguage, state.defa);
}

void TFrmMain::SelectPortItem() {
  const QString wanted = QStringLiteral("com") + QString::number(context_.State().portNumber);
  c1->setCurrentIndex(c1->findText(wanted, Qt::MatchFixedString));
}

}  // namespace benchbridge
