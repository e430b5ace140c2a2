// The sweep window as the panel sees it: opened with Ctrl+Shift+S or from the display's context
// menu, usable while connected. While a sweep holds the line the operator's keys and lists wait
// (Disconnect and Close stay usable); a disconnect or close first ends the sweep, which sets the
// swept setting back while the line is still there; after a sweep the settings rows are read
// back from the meter.

#include <QAction>
#include <QComboBox>
#include <QPushButton>

#include "fit_label.h"
#include "handler_guard.h"
#include "lease_sweep_line.h"
#include "model_abilities.h"
#include "qt_text.h"
#include "sweep_window.h"
#include "uFrmMain.h"

namespace benchbridge {
namespace {

// A settings row's value: the free-value label where it stands in for the list, else the list.
std::optional<int> RowValue(const QComboBox* list, const FitLabel* freeValue) {
  QString text;
  if (freeValue != nullptr && !freeValue->isHidden()) {
    text = freeValue->text();
  } else if (list != nullptr) {
    text = list->currentText();
  }
  return SettingValueFromText(ToStd(text));
}

SweepLimits FreeOrListed(const ModelAbilities& model, const std::vector<int>& items,
                         const IntRange& range) {
  if (model.family == ModelFamily::kListed) return {0, 0, items};
  return {range.lowest, range.highest, {}};
}

}  // namespace

class PanelSweepHost final : public SweepHost {
 public:
  explicit PanelSweepHost(TFrmMain& panel) : panel_(panel) {}

  SweepMeter Meter() const override {
    SweepMeter meter;
    meter.connected = panel_.Session().State() == SessionState::kConnected;
    meter.model = panel_.Context().State().modelName;
    const ModelAbilities& model = AbilitiesOf(meter.model);
    meter.frequency =
        FreeOrListed(model, model.frequenciesHz, model.frequencyRangeHz.value_or(IntRange{}));
    meter.level = FreeOrListed(model, model.levelsMv, kLevelRangeMv);
    meter.bias = {kBiasRangeMv.lowest, kBiasRangeMv.highest, {}};
    meter.frequencyHz = RowValue(panel_.cb4, panel_.bb44);
    meter.levelMv = RowValue(panel_.cb2, panel_.bb22);
    meter.biasMv = RowValue(nullptr, panel_.bb33);
    return meter;
  }

  std::unique_ptr<SweepLine> TakeLine(std::function<void()> takenBack) override {
    return LeaseSweepLine::Take(panel_.Session(), std::move(takenBack));
  }

  void SetSweeping(bool sweeping) override { panel_.SetSweeping(sweeping); }
  void ReadBack() override { panel_.ReadBackSettings(); }
  CsvContext ExportContext() const override { return panel_.ExportContextNow(); }

 private:
  TFrmMain& panel_;
};

void TFrmMain::WireSweep() {
  sweepHost_ = std::make_shared<PanelSweepHost>(*this);
  sweepAction = new QAction(this);
  sweepAction->setObjectName(QStringLiteral("sweepAction"));
  sweepAction->setText(QStringLiteral("Sweep…"));
  sweepAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  sweepAction->setShortcutContext(Qt::WindowShortcut);
  addAction(sweepAction);
  connect(sweepAction, &QAction::triggered, this, [this] { OpenSweepWindow(); });
}

SweepWindow* TFrmMain::Sweep() const { return sweepWindow_.data(); }

void TFrmMain::OpenSweepWindow() {
  RunGuarded(this, [this] {
    if (context_.ShuttingDown()) return;
    if (!sweepWindow_) sweepWindow_ = new SweepWindow(*sweepHost_, this);
    sweepWindow_->MeterChanged();
    sweepWindow_->show();
    sweepWindow_->raise();
    sweepWindow_->activateWindow();
  });
}

void TFrmMain::SetSweeping(bool sweeping) {
  if (context_.ShuttingDown() || sweeping == sweeping_) return;
  sweeping_ = sweeping;
  const auto selectors = Selectors();
  const bool connected = session_->State() == SessionState::kConnected;
  for (std::size_t i = 0; i < selectors.size(); ++i) {
    if (sweeping) {
      selectorsBeforeSweep_[i] = selectors[i]->isEnabled();
      selectors[i]->setEnabled(false);
    } else if (connected) {
      // A line lost meanwhile left them off, as it does.
      selectors[i]->setEnabled(selectorsBeforeSweep_[i]);
    }
  }
  // Inside a disconnect or close the handler that ends the sweep holds the panel lock itself.
  if (!endingSweep_) SetPanelButtonsEnabled(true);  // only what KeyUsable leaves while sweeping
}

void TFrmMain::EndSweep() {
  if (!sweepWindow_) return;
  endingSweep_ = true;
  ScopeExit done([this] { endingSweep_ = false; });
  sweepWindow_->EndSweepNow();
}

void TFrmMain::SweepMeterChanged() {
  if (sweepWindow_ && !context_.ShuttingDown()) sweepWindow_->MeterChanged();
}

void TFrmMain::CloseSweepWindow() {
  // At shutdown: it goes now, while the host it calls is still there.
  delete sweepWindow_.data();
}

}  // namespace benchbridge
