// Creation of the main window: the design layout, then the start-up steps in their fixed order,
// which leave the panel unconnected with only the port list, connect and close usable.

#include "uFrmMain.h"

#include <QComboBox>
#include <QFrame>
#include <QPushButton>
#include <QScreen>
#include <utility>

#include "fit_label.h"
#include "panel_input_gate.h"
#include "panel_look.h"
#include "port_combo_box.h"

namespace benchbridge {

namespace {

constexpr int kClientWidth = 979;
constexpr int kClientHeight = 359;

}  // namespace

TFrmMain::TFrmMain(const std::filesystem::path& home, QWidget* parent)
    : TFrmMain(HomeFolders::In(home), parent) {}

TFrmMain::TFrmMain(HomeFolders folders, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      context_(std::move(folders)),
      ownerLoop_(this),
      session_(std::make_unique<MeterSession>(
          SessionPlace{context_.Folders().config, context_.Link(), context_.Controls(),
                       context_.Log(), ownerLoop_},
          static_cast<ConnectSteps*>(this))) {
  setObjectName(QStringLiteral("FrmMain"));
  setWindowTitle(QStringLiteral("台式电桥"));
  setFixedSize(kClientWidth, kClientHeight);
  setFont(PanelFont(Face::YaHei, 14));
  context_.SetPanel(this);
  context_.SetSession(session_.get());
  session_->AddListener(this);
  inputGate_ = new PanelInputGate(this);
  BuildControls();
  WireFrame();
  WireConnection();
  // The operator's ways out are never lost to the panel lock: dropped while it is held, the
  // first of them runs once it is let go.
  inputGate_->Remember(rbtnQ, 0, [this] { rbtnQClick(); });
  inputGate_->Remember(nullptr, Qt::Key_Escape, [this] { tact1Execute(); });
  inputGate_->Remember(rbtn1, 0, [this] {
    if (session_->Connected()) rbtn1Click();  // only ever a Disconnect
  });

  // 1. The design texts that only stand for what the meter will tell.
  for (FitLabel* label : {LLs1, LLs2, LLs3, LLs4, LLs5, LLs6, LLs888, LLs999, CB1}) {
    label->setText(QString());
  }
  cb2->clear();
  cb4->clear();
  bb33->setText(QString());
  // 2. The channel lock and the empty identification came with the context.
  // 3. - 4.
  FillPortList();
  LoadSettings();
  // 5.
  SaveReadingLayout();
  // 6.
  for (QComboBox* selector : Selectors()) {
    selector->setEnabled(false);
  }
  // 7.
  SetPanelButtonsEnabled(false);
  ReleaseToConnectKeys();

  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  // Called on whichever thread wrote the line; the panel hears of it on its own.
  context_.Log().SetLossListener([this](const std::optional<LogLoss>& loss) {
    QMetaObject::invokeMethod(
        this, [this, loss] { LogLossChanged(loss); }, Qt::QueuedConnection);
  });

  WireKeys();
  WireSettingControls();
  WireDialogKeys();
  WireTrend();
  WireSweep();
}

TFrmMain::~TFrmMain() {
  // Closing normally shut down already; a window destroyed without closing (a test, an
  // exception unwinding main) must still not leave the poller running into freed state.
  Shutdown();
  context_.Log().SetLossListener({});
  context_.SetSession(nullptr);
}

std::array<QPushButton*, 14> TFrmMain::Buttons() const {
  return {rbtn1, rbtn2, rbtn3,  rbtn4,  rbtn5,  rbtn6,  rbtn7,
          rbtn8, rbtn9, rbtn10, rbtn12, rbtn13, rbtn14, rbtnQ};
}

std::array<FitLabel*, 6> TFrmMain::ReadingLabels() const {
  return {LLs1, LLs2, LLs3, LLs4, LLs5, LLs6};
}

std::array<QComboBox*, 7> TFrmMain::Selectors() const {
  return {cb2, cb4, cb5, cb6, cb7, cb8, cb9};
}

}  // namespace benchbridge
