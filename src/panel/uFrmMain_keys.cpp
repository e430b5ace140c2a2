// The keys that act like the meter's own: function, secondary parameter, equivalent circuit,
// capacitor and DC resistance; the statistics keys, hold, NULL, and the comparator switch.

#include <QComboBox>
#include <QPushButton>

#include "ask_steps.h"
#include "fit_label.h"
#include "function_caption.h"
#include "handler_guard.h"
#include "key_captions.h"
#include "meter_commands.h"
#include "qt_text.h"
#include "uFrmMain.h"
#include "uFrmMain_texts.h"

namespace benchbridge {

namespace {}  // namespace

void TFrmMain::WireKeys() {
  const std::pair<QPushButton*, void (TFrmMain::*)()> keys[] = {
      {rbtn2, &TFrmMain::rbtn2Click},   {rbtn3, &TFrmMain::rbtn3Click},
      {rbtn4, &TFrmMain::rbtn4Click},   {rbtn5, &TFrmMain::rbtn5Click},
      {rbtn6, &TFrmMain::rbtn6Click},   {rbtn7, &TFrmMain::rbtn7Click},
      {rbtn10, &TFrmMain::rbtn10Click}, {rbtn12, &TFrmMain::rbtn12Click},
      {rbtn13, &TFrmMain::rbtn13Click}, {rbtn14, &TFrmMain::rbtn14Click},
  };
  for (const auto& [key, handler] : keys) {
    connect(key, &QPushButton::clicked, this, [this, handler = handler] { (this->*handler)(); });
  }
  connect(cb6, &QComboBox::activated, this, [this] { cb6Change(); });
}

void TFrmMain::RunUnderPanelLock(const std::function<void()>& act) {
  RunGuarded(this, [&] {
    SetPanelButtonsEnabled(false);
    ScopeExit release([this] { SetPanelButtonsEnabled(true); });
    act();
  });
}

// --- Function and parameter keys ---

void TFrmMain::FunctionKey(int key, EcapCaption ecap) {
  RunKeyHandler([&] {
    if (!context_.Ask(command::PressKey(key))) {
      return;
    }
    const std::optional<std::string> reply = context_.Ask(command::kAskPrimary);
    if (!reply) {
      return;
    }
    const std::string& primary = *reply;
    // The badge goes first: should the meter fall silent below, it already shows the new mode
    // while the caption still shows the old function.
    ShowFunction(primary, ecap);
    const bool pair =
        primary != "AUTO" && primary != "DCR" && (primary != "ECAP" || ecap == EcapCaption::EcPair);
    std::string letter;
    const auto takeLetter = [&](const std::string& equivalent) {
      letter = EquivalentLetter(equivalent);
    };
    // The primary part is the meter's name for it, or "EC" in electrolytic mode.
    const auto showPair = [&](const std::string& secondary) {
      CB1->setText(
          ToQt(FunctionPair(context_.State().primaryParam, letter, SecondaryParamName(secondary))));
    };
    if (pair && !AskInTurn(context_, {{command::kAskEquivalent, takeLetter},
                                      {command::kAskSecondary, showPair}})) {
      return;
    }
    ReadBackSettings();
    UpdateListSwitch();
  });
}

void TFrmMain::rbtn2Click() { FunctionKey(command::key::kFunction, EcapCaption::Eca); }

void TFrmMain::rbtn5Click() { FunctionKey(command::key::kCapacitor, EcapCaption::EcPair); }

// The meter answering "ECAP" to the DC resistance key is shown as the function key shows it.
void TFrmMain::rbtn6Click() { FunctionKey(command::key::kDcr, EcapCaption::Eca); }

namespace {

using CaptionRewrite = std::optional<QString> (*)(const QString& caption, const QString& part);
using PartOfReply = std::string (*)(std::string_view reply);

// The secondary parameter and equivalent circuit keys: the key, then the one part of the pair
// it steps, put into the caption in place of the old one.
void ParameterKey(TFrmMain& form, int key, const char* query, PartOfReply part,
                  CaptionRewrite rewrite) {
  form.RunKeyHandler([&] {
    // There is no parameter to step in the automatic function or in DC resistance.
    if (main_text::kAuto.Matches(form.CB1->text()) ||
        form.Context().State().bridgeMode == BridgeMode::Dcr) {
      return;
    }
    const auto showPart = [&](const std::string& reply) {
      if (const auto caption = rewrite(form.CB1->text(), ToQt(part(reply)))) {
        form.CB1->setText(*caption);
      }
      form.UpdateListSwitch();
    };
    AskInTurn(form.Context(), {{command::PressKey(key), {}}, {query, showPart}});
  });
}

}  // namespace

void TFrmMain::rbtn3Click() {
  ParameterKey(*this, command::key::kSecondary, command::kAskSecondary, &SecondaryParamName,
               &WithSecondary);
}

void TFrmMain::rbtn4Click() {
  ParameterKey(*this, command::key::kCircuit, command::kAskEquivalent, &EquivalentLetter,
               &WithEquivalent);
}

// --- Statistics, hold, NULL ---

namespace {

// Pressing the key of the statistic that is on turns statistics off, any other key switches
// straight to its own.
void StatisticsKey(TFrmMain& form, const std::string& name) {
  form.RunKeyHandler([&] {
    PanelContext& context = form.Context();
    const std::string next = context.State().statistic == name ? std::string() : name;
    if (context.Tell(next.empty() ? std::string(command::kStatisticOff)
                                  : command::kStatistic + next)) {
      form.ShowStatistic(next);
    }
  });
}

}  // namespace

void TFrmMain::rbtn12Click() { StatisticsKey(*this, "MAX"); }

void TFrmMain::rbtn13Click() { StatisticsKey(*this, "MIN"); }

void TFrmMain::rbtn14Click() { StatisticsKey(*this, "AVG"); }

void TFrmMain::rbtn10Click() {
  RunUnderPanelLock([this] {
    PollerControls& controls = context_.Controls();
    controls.SetPollPaused(!controls.PollPaused());
  });
}

void TFrmMain::rbtn7Click() {
  RunKeyHandler([this] {
    // The flag records which command went out last, whatever the meter answered; one that met
    // a lost line did not go out.
    bool& deviationOn = context_.State().deviationOn;
    deviationOn = !deviationOn;
    if (!context_.Tell(deviationOn ? command::kDeviationOn : command::kDeviationOff) &&
        context_.LineLost()) {
      deviationOn = !deviationOn;
    }
  });
}

// --- Comparator switch ---

void TFrmMain::cb6Change() {
  RunGuarded(this, [this] {
    if (!context_.Connected()) {
      return;
    }
    const QString picked = cb6->currentText();
    // A pick that met a lost line: the switch shows again what the meter has.
    const auto undoPick = [this] {
      if (context_.LineLost()) cb6->setCurrentIndex(1 - cb6->currentIndex());
    };
    if (main_text::kOffOnItems[1].Matches(picked)) {
      if (!context_.Tell(command::kComparatorOn)) {
        undoPick();
        return;
      }
      context_.SetBinQuery(true);
      ShowBinLayout();
    } else if (main_text::kOffOnItems[0].Matches(picked)) {
      if (!context_.Tell(command::kComparatorOff)) {
        undoPick();
        return;
      }
      context_.SetBinQuery(false);
      RestoreReadingLayout();
    }
  });
}

}  // namespace benchbridge
