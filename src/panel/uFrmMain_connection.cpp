// Choosing the port, connecting (remote, identification, function, settings, comparator) and
// disconnecting (local, poller ended, panel locked again). The meter session runs both sequences;
// the steps here are the panel's share of them.

#include <QComboBox>
#include <QPushButton>

#include "ask_steps.h"
#include "comparator_reply.h"
#include "fit_label.h"
#include "function_caption.h"
#include "handler_guard.h"
#include "message_box.h"
#include "meter_commands.h"
#include "panel_look.h"
#include "port_combo_box.h"
#include "port_list.h"
#include "qt_text.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"

namespace benchbridge {

void TFrmMain::WireConnection() {
  connect(c1, &PortComboBox::PopupAboutToShow, this, [this] { c1DropDown(); });
  connect(c1, &QComboBox::activated, this, [this](int index) { c1Click(index); });
  connect(rbtn1, &QPushButton::clicked, this, [this] { rbtn1Click(); });
}

void TFrmMain::FillPortList() {
  c1->clear();
  for (const PortEntry& port : PortListFromRegistry(context_.Folders().config)) {
    QString tip = ToQt(port.device);
    if (!port.product.empty()) {
      tip += QStringLiteral(" (") + ToQt(port.product) + QLatin1Char(')');
    }
    c1->addItem(ToQt(port.name));
    c1->setItemData(c1->count() - 1, tip, Qt::ToolTipRole);
  }
}

void TFrmMain::c1DropDown() {
  RunGuarded(this, [this] {
    // The operator's earlier pick stays selected when that port is still there.
    const QString picked = c1->currentText();
    FillPortList();
    c1->setCurrentIndex(c1->findText(picked));
  });
}

void TFrmMain::c1Click(int index) {
  RunGuarded(this, [this, index] {
    const QString name = c1->itemText(index);
    const auto number = PortNumberOfName(ToStd(name));
    if (!number) {
      SelectPortItem();  // the pick is refused: back to the port in use
      ShowMessageBox(this, QMessageBox::Critical, context_.Pick(main_text::kMessageTitle),
                     context_.Pick(main_text::kBadPortName) + name);
      return;
    }
    context_.State().portNumber = *number;
    SaveSettings();
  });
}

void TFrmMain::ConnectAtStart(const std::string& portName) {
  const int index = c1->findText(ToQt(portName), Qt::MatchFixedString);
  if (index < 0) {
    RunGuarded(this, [&] {
      TellProblem(QMessageBox::Warning, ToQt(portName) + context_.Pick(main_text::kPortNotListed));
    });
    return;
  }
  c1->setCurrentIndex(index);
  c1Click(index);
  rbtn1Click();
}

void TFrmMain::rbtn1Click() {
  RunGuarded(this, [this] {
    context_.Controls().SetPollPaused(false);
    SetPanelButtonsEnabled(false);
    if (c1->currentText().trimmed().isEmpty()) {
      ScopeExit unlock([this] { ReleaseToConnectKeys(); });
      ShowMessageBox(this, QMessageBox::Warning, context_.Pick(main_text::kMessageTitle),
                     context_.Pick(main_text::kSelectPortFirst));
      return;
    }
    if (session_->Connected()) {
      Disconnect();
    } else {
      Connect();
    }
  });
}

void TFrmMain::Connect() {
  const ConnectOutcome outcome = session_->Connect(context_.State().portNumber);
  if (outcome == ConnectOutcome::kPortNotOpened) {
    // Told with its cause; the panel stays unconnected with nothing sent.
    ScopeExit unlock([this] { ReleaseToConnectKeys(); });
    if (session_->OpenFailure()) {
      TellProblem(QMessageBox::Critical, PortOpenFailureText(*session_->OpenFailure()));
    }
    return;
  }
  // 19. Whatever stops the sequence, the keys come back (the operator disconnects from there).
  ScopeExit unlock([this] { SetPanelButtonsEnabled(true); });
  if (outcome == ConnectOutcome::kIncompleteIdentity) {
    RefuseIdentification(session_->Identity());
  }
}

void TFrmMain::RemoteAnswered() { bb5->setText(context_.Pick(main_text::kRemote)); }

void TFrmMain::Identified(const MeterIdentity& meter) {
  StateRecord& state = context_.State();
  state.idnFields = meter.fields;
  state.idnModel = meter.model;
  state.idnSerial = meter.serial;
  state.idnVersion = meter.version;
  LLs999->setText(ToQt(state.idnModel));
  LLs999->show();
}

void TFrmMain::Completed() {
  if (session_->State() == SessionState::kReturning) {
    AgreeAfterReturn();
  }
  for (QComboBox* selector : {cb2, cb4, cb5, cb6, cb7, cb8}) {
    selector->setEnabled(true);
  }
  UpdateListSwitch();
  TellBridgeProblem();
}

void TFrmMain::AgreeAfterReturn() {
  // The sequence read the comparator switch back. The meter answers no query the panel may rely
  // on for the statistic, deviation and the list function, and a key or dialog cut by the loss
  // may or may not have reached it: it is set to what the panel shows.
  const std::string& statistic = context_.State().statistic;
  const std::string statisticCommand =
      statistic.empty() ? command::kStatisticOff : command::kStatistic + statistic;
  const bool listOn = main_text::kOffOnItems[1].Matches(cb9->currentText());
  for (const std::string& agree :
       {statisticCommand,
        std::string(context_.State().deviationOn ? command::kDeviationOn : command::kDeviationOff),
        std::string(listOn ? command::kListOn : command::kListOff)}) {
    if (!context_.Tell(agree)) {
      return;
    }
  }
  context_.SetStatQuery(!statistic.empty());
}

void TFrmMain::ForgetPreviousConnection(Forget what) {
  StateRecord& state = context_.State();
  // The function: the sequence asks for the pair only where the answer names one, and the
  // badge and the list switch follow from it.
  CB1->setText(QString());
  SetBridgeMode(std::nullopt);
  state.primaryParam.clear();
  state.secondaryParam.clear();
  state.equivLetter.clear();
  for (QComboBox* selector : Selectors()) {
    selector->setEnabled(false);
  }
  // The comparator is only ever switched on by the sequence; off is where it starts.
  cb6->setCurrentIndex(0);
  RestoreReadingLayout();
  lls7->setText(QString());
  for (FitLabel* label : ReadingLabels()) {
    label->setText(QString());
  }
  if (what == Forget::kKeepOperatorState) {
    return;
  }
  // Statistics and deviation are the meter's business from here; the panel shows them off.
  ShowStatistic({});
  state.deviationOn = false;
}

bool TFrmMain::ReadMeterState() {
  context_.State().modelName = session_->Identity().modelName;
  if (!ReadFunction()) {
    return false;
  }
  // A stop inside the readback ends the readback only; the comparator is asked all the same.
  ReadBackSettings();
  return ReadComparatorSwitch();
}

bool TFrmMain::ReadFunction() {
  const std::optional<std::string> function = context_.Ask(command::kAskPrimary);
  if (!function) {
    return false;
  }
  ShowFunction(*function);
  if (*function == "AUTO") {
    return true;  // the automatic function has no parameter pair to ask for
  }
  StateRecord& state = context_.State();
  return AskInTurn(context_,
                   {{command::kAskSecondary,
                     [&](const std::string& secondary) {
                       state.secondaryParam = SecondaryParamName(secondary);
                     }},
                    {command::kAskEquivalent, [&](const std::string& equivalent) {
                       // Outside LCR the caption that ShowFunction wrote stays.
                       if (state.bridgeMode == BridgeMode::Lcr) {
                         state.equivLetter = EquivalentLetter(equivalent);
                         CB1->setText(ToQt(FunctionPair(state.primaryParam, state.equivLetter,
                                                        state.secondaryParam)));
                       }
                     }}});
}

bool TFrmMain::ReadComparatorSwitch() {
  const std::optional<std::string> comparator = context_.Ask(command::kAskComparator);
  if (!comparator) {
    return false;
  }
  const std::optional<int> position = ComparatorSwitchFromReply(*comparator);
  if (position == 1) {
    cb6->setCurrentIndex(1);
    context_.SetBinQuery(true);
    ShowBinLayout();
  } else if (position == 0) {
    cb6->setCurrentIndex(0);
  }
  SetTextColour(cb6, QColor::fromRgb(colour::kWhite));
  return true;
}

void TFrmMain::RefuseIdentification(const MeterIdentity& meter) {
  StateRecord& state = context_.State();
  state.idnFields = meter.fields;
  // Without the serial field the identification is unusable; say so rather than show half.
  state.idnModel.clear();
  state.idnVersion.clear();
  state.idnSerial.clear();
  ShowMessageBox(this, QMessageBox::Critical, context_.Pick(main_text::kMessageTitle),
                 context_.Pick(main_text::kIncompleteIdn) + ToQt(meter.reply));
}

void TFrmMain::ShowFunction(const std::string& functionReply, EcapCaption ecap) {
  StateRecord& state = context_.State();
  if (functionReply == "AUTO") {
    SetBridgeMode(BridgeMode::Lcr);
    CB1->setText(context_.Pick(main_text::kAuto));
  } else if (functionReply == "DCR") {
    SetBridgeMode(BridgeMode::Dcr);
    CB1->setText(QStringLiteral("DCR"));
  } else if (functionReply == "ECAP") {
    state.primaryParam = "EC";
    SetBridgeMode(BridgeMode::Eca);
    if (ecap == EcapCaption::Eca) {
      CB1->setText(QStringLiteral("ECA"));
    }
  } else {
    state.primaryParam = functionReply;
    SetBridgeMode(BridgeMode::Lcr);
  }
}

void TFrmMain::Disconnect() {
  // Should anything fail on the way, the operator can still try again or quit.
  ScopeExit unlock([this] { ReleaseToConnectKeys(); });
  EndSweep();  // its setting goes back while the line is still there
  session_->Disconnect();
}

void TFrmMain::LocalSent() { bb5->setText(context_.Pick(main_text::kLocal)); }

}  // namespace benchbridge
