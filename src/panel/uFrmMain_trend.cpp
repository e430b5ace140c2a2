// The trend window as the panel sees it: opened from the display's context menu or with Ctrl+T,
// and fed with what the display shows (readings, bins, where readings stopped). It talks to no
// meter. Until its first opening it does not exist, and feeding it costs one test per text.

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "bilingual.h"
#include "bin_limit.h"
#include "fit_label.h"
#include "handler_guard.h"
#include "log_writer.h"
#include "qt_text.h"
#include "trend_window.h"
#include "uFrmComp.h"
#include "uFrmMain.h"

namespace benchbridge {
namespace {

inline constexpr Bilingual kTrendMenuItem{"趋势和统计…", "Trend and statistics…"};

// The meter as its identification named it: "LX2110, serial SN0042, version V1.02".
std::string MeterIdentity(const StateRecord& state) {
  std::string identity = state.idnModel;
  if (!state.idnSerial.empty()) identity += ", serial " + state.idnSerial;
  if (!state.idnVersion.empty()) identity += ", version " + state.idnVersion;
  return identity;
}

// A settings row as the display shows it: its caption, then the free value where that label
// stands in for the list, else the list's choice.
std::string SettingsRow(const FitLabel* caption, const QComboBox* list, const FitLabel* freeValue) {
  QString value;
  if (freeValue != nullptr && !freeValue->isHidden()) {
    value = freeValue->text();
  } else if (list != nullptr) {
    value = list->currentText();
  }
  return ToStd((caption->text() + QLatin1Char(' ') + value).trimmed());
}

CsvContext ExportContextOf(const TFrmMain& panel, const StateRecord& state) {
  CsvContext context;
  context.identity = MeterIdentity(state);
  context.function = ToStd(panel.CB1->text());
  context.settingsRows = {
      SettingsRow(panel.lbl2, panel.cb2, panel.bb22), SettingsRow(panel.lbl3, nullptr, panel.bb33),
      SettingsRow(panel.lbl4, panel.cb4, panel.bb44), SettingsRow(panel.lbl5, panel.cb5, nullptr),
      SettingsRow(panel.lbl6, panel.cb6, nullptr),    SettingsRow(panel.lbl7, panel.cb7, nullptr),
      SettingsRow(panel.lbl8, panel.cb8, nullptr),    SettingsRow(panel.lbl9, panel.cb9, nullptr)};
  return context;
}

TimeMs Now() { return ToTimeMs(std::chrono::system_clock::now()); }

// A number of the comparator dialog's boxes; NaN when empty, skipped ("------") or not a number.
double BoxNumber(const QLineEdit& box) {
  try {
    return CheckBinLimit(ToStd(box.text())) == BinLimitCheck::kSkipped
               ? ComparatorLimits::kUnset
               : TextToFloat(ToStd(box.text()));
  } catch (const ConversionError&) {
    return ComparatorLimits::kUnset;
  }
}

// The factor of a prefix list's item (" " is none).
double PrefixFactor(const QString& item) {
  static const std::pair<const char*, double> kFactors[] = {
      {"M", 1e6}, {"k", 1e3}, {"m", 1e-3}, {"\u03BC", 1e-6}, {"n", 1e-9}, {"p", 1e-12}};
  for (const auto& [prefix, factor] : kFactors) {
    if (item == QString::fromUtf8(prefix)) return factor;
  }
  return 1;
}

}  // namespace

void TFrmMain::WireTrend() {
  trendAction = new QAction(this);
  trendAction->setObjectName(QStringLiteral("trendAction"));
  trendAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  trendAction->setShortcutContext(Qt::WindowShortcut);
  addAction(trendAction);
  connect(trendAction, &QAction::triggered, this, [this] { OpenTrendWindow(); });

  // The menu belongs to the display's labels that keep their presses to themselves (readings,
  // settings rows): a press on the background and the other labels moves the window, with
  // whichever button.
  for (QWidget* child : Panel1->findChildren<FitLabel*>(Qt::FindDirectChildrenOnly)) {
    if (!child->testAttribute(Qt::WA_NoMousePropagation)) continue;
    child->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(child, &QWidget::customContextMenuRequested, this,
            [this, child](const QPoint& at) { ShowTrendMenu(child->mapToGlobal(at)); });
  }
}

void TFrmMain::ShowTrendMenu(const QPoint& globalPos) {
  RunGuarded(this, [&] {
    trendAction->setText(context_.Pick(kTrendMenuItem));
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("trendMenu"));
    menu.addAction(trendAction);
    menu.addAction(sweepAction);
    menu.exec(globalPos);
  });
}

TrendWindow* TFrmMain::Trend() const { return trendWindow_.data(); }

CsvContext TFrmMain::ExportContextNow() const { return ExportContextOf(*this, context_.State()); }

void TFrmMain::OpenTrendWindow() {
  RunGuarded(this, [this] {
    if (context_.ShuttingDown()) return;
    if (!trendWindow_) {
      // Taken first: a reading logged while the window is being built is shown live, not twice.
      const auto now = std::chrono::system_clock::now();
      trendWindow_ = new TrendWindow(this);
      if (trendComparator_) trendWindow_->SetComparator(*trendComparator_);
      trendWindow_->SetExportContextSource([this] { return ExportContextNow(); });
      trendWindow_->LoadHistory(context_.Log().LogDir() / (FormatLogDate(now) + "_new.log"),
                                ToTimeMs(now));
    }
    trendWindow_->show();
    trendWindow_->raise();
    trendWindow_->activateWindow();
  });
}

void TFrmMain::TrendReading(const Reading& reading) {
  if (trendWindow_) trendWindow_->AddReading(reading, Now(), context_.State().deviationOn);
}

void TFrmMain::TrendBin(const std::string& text) {
  if (trendWindow_) trendWindow_->AddBin(text);
}

void TFrmMain::TrendGap() {
  if (trendWindow_) trendWindow_->MarkGap();
}

void TFrmMain::ReadingRejected() { TrendGap(); }

void TFrmMain::TrendComparator(const TFrmComp& dialog) {
  ComparatorLimits limits;
  limits.on = dialog.c1->currentIndex() == 1;
  try {
    limits.nominal =
        TextToFloat(ToStd(dialog.edt1->text())) * PrefixFactor(dialog.c13->currentText());
  } catch (const ConversionError&) {
    limits.nominal = ComparatorLimits::kUnset;
  }
  const std::array<const QLineEdit*, 6> boxes{dialog.edt2, dialog.edt3, dialog.edt4,
                                              dialog.edt5, dialog.edt6, dialog.edt7};
  for (std::size_t bin = 0; bin < 3; ++bin) {
    limits.low[bin] = BoxNumber(*boxes[2 * bin]);
    limits.high[bin] = BoxNumber(*boxes[2 * bin + 1]);
  }
  trendComparator_ = std::make_shared<ComparatorLimits>(limits);
  if (trendWindow_) trendWindow_->SetComparator(limits);
}

void TFrmMain::CloseTrendWindow() {
  if (trendWindow_) trendWindow_->close();
}

}  // namespace benchbridge
