// ReadBackSettings: the settings rows mirror the meter's level, bias, frequency, range, output
// impedance and speed. What is asked and how it is shown depends on the mode on the badge and on
// the model (model_abilities.h); a value that does not apply in the mode is shown fixed, in aqua.

#include <QComboBox>
#include <QStringList>
#include <array>
#include <vector>

#include "ask_steps.h"
#include "fit_label.h"
#include "handler_guard.h"
#include "meter_commands.h"
#include "model_abilities.h"
#include "panel_look.h"
#include "qt_text.h"
#include "uFrmMain.h"

namespace benchbridge {

namespace {

// The items of a listed model's row: its values with the unit, as the meter's lists show them.
QStringList Items(const std::vector<int>& values, const char* unit) {
  QStringList items;
  for (const int value : values) {
    items << QString::number(value) + QLatin1String(unit);
  }
  return items;
}

const QColor kReadColour = QColor::fromRgb(colour::kWhite);
const QColor kFixedColour = QColor::fromRgb(colour::kAqua);

void ShowValue(FitLabel* label, const QString& text, const QColor& colour) {
  label->setText(text);
  SetTextColour(label, colour);
  label->show();
}

// A second-family row: the model's items, the reply's item selected (case ignored, none when
// nothing matches), the free-value label hidden.
void ShowChoice(QComboBox* list, FitLabel* freeValue, const QStringList& items,
                const QString& selected) {
  list->clear();
  list->addItems(items);
  freeValue->hide();
  list->show();
  list->setCurrentIndex(list->findText(selected, Qt::MatchFixedString));
  SetTextColour(list, kReadColour);
}

// A read level or frequency, shown by model family: as a free value, as a choice of the model's
// list, or not at all (a model the program does not know).
void ShowRead(ModelFamily family, QComboBox* list, FitLabel* freeValue, const QStringList& items,
              const QString& text) {
  if (family == ModelFamily::kFreeValues) {
    list->hide();
    ShowValue(freeValue, text, kReadColour);
  } else if (family == ModelFamily::kListed) {
    ShowChoice(list, freeValue, items, text);
  }
}

// A value that does not apply in the mode, in place of the list.
void ShowFixed(QComboBox* list, FitLabel* freeValue, const QString& text) {
  list->hide();
  ShowValue(freeValue, text, kFixedColour);
}

void SelectRead(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  SetTextColour(list, kReadColour);
}

}  // namespace

void TFrmMain::ReadBackSettings() {
  const std::array<QComboBox*, 6> lists{cb2, cb4, cb5, cb6, cb7, cb8};
  for (QComboBox* list : lists) {
    list->setEnabled(false);
  }
  ScopeExit enableAgain([this, &lists] {
    if (!context_.ShuttingDown()) {
      for (QComboBox* list : lists) {
        list->setEnabled(true);
      }
    }
  });

  const std::optional<BridgeMode> mode = context_.State().bridgeMode;
  const ModelAbilities& model = AbilitiesOf(context_.State().modelName);
  const ModelFamily family = model.family;
  const bool lcr = mode == BridgeMode::Lcr;
  const bool dcr = mode == BridgeMode::Dcr;

  // What does not apply in the mode is shown without asking. Only DCR and ECA fix values, and
  // they fix all they fix before the first row that is asked, so showing them first keeps the
  // order of the rows.
  if (dcr || mode == BridgeMode::Eca) {
    ShowFixed(cb2, bb22, dcr ? QStringLiteral("0mV") : QStringLiteral("1000mV"));
    ShowValue(bb33, QStringLiteral("1500mV"), kFixedColour);
  }
  if (dcr) {
    ShowFixed(cb4, bb44, QStringLiteral("0Hz"));
  }

  // Level and bias are asked in LCR only (not at all when the badge shows none of the three
  // modes); the frequency in every mode but DCR. Range, output impedance and speed select by
  // position, so either language's items work.
  std::vector<AskStep> steps;
  if (lcr) {
    steps.push_back({command::kAskLevel, [&](const std::string& level) {
                       ShowRead(family, cb2, bb22, Items(model.levelsMv, "mV"),
                                ToQt(level) + QStringLiteral("mV"));
                     }});
    steps.push_back({command::kAskBias, [&](const std::string& bias) {
                       ShowValue(bb33, ToQt(bias) + QStringLiteral("mV"), kReadColour);
                     }});
  }
  if (!dcr) {
    steps.push_back({command::kAskFrequency, [&](const std::string& frequency) {
                       ShowRead(family, cb4, bb44, Items(model.frequenciesHz, "Hz"),
                                ToQt(frequency) + QStringLiteral("Hz"));
                     }});
  }
  steps.push_back({command::kAskAutoRange,
                   [&](const std::string& range) { SelectRead(cb5, range == "ON" ? 0 : 1); }});
  steps.push_back({command::kAskOutputResistance, [&](const std::string& impedance) {
                     SelectRead(cb7, impedance == "0" ? 0 : 1);
                   }});
  steps.push_back({command::kAskSpeed, [&](const std::string& speed) {
                     SelectRead(cb8, speed == "FAST" ? 2 : speed == "MEDium" ? 1 : 0);
                   }});
  AskInTurn(context_, steps);
}

}  // namespace benchbridge
