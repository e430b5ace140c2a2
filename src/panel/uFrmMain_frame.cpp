// The frame of the borderless window: moving it by its background, Esc and the close key, what
// happens when it closes, and the panel lock that the handlers hold while they work.

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>
#include <algorithm>

#include "fit_label.h"
#include "handler_guard.h"
#include "panel_input_gate.h"
#include "uFrmMain.h"

namespace benchbridge {

namespace {

// Esc while a list is dropped down is the list's: Qt offers the key to the window's shortcuts
// first (the list's popup counts as part of the window), where tact1 would close the program.
// Claiming the shortcut override for the popup leaves the key to it, and it closes alone.
class PopupKeepsEscape : public QObject {
 public:
  explicit PopupKeepsEscape(QObject* parent) : QObject(parent) {
    QCoreApplication::instance()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        QApplication::activePopupWidget() != nullptr) {
      event->accept();
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

void TFrmMain::WireFrame() {
  tact1 = new QAction(this);
  tact1->setObjectName(QStringLiteral("tact1"));
  tact1->setShortcut(QKeySequence(Qt::Key_Escape));
  tact1->setShortcutContext(Qt::WindowShortcut);
  addAction(tact1);
  new PopupKeepsEscape(this);
  connect(tact1, &QAction::triggered, this, [this] { tact1Execute(); });
  connect(rbtnQ, &QPushButton::clicked, this, [this] { rbtnQClick(); });

  // Pressing these grabs the window like a title bar. The other labels of the display keep
  // their presses to themselves, so a double-click on a value label does not start a move.
  QWidget* const movers[] = {Panel1, LLs888, LLs999, bb1, bb2, bb3, bb4, bb5};
  installEventFilter(this);
  for (QWidget* child : Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (std::find(std::begin(movers), std::end(movers), child) == std::end(movers)) {
      child->setAttribute(Qt::WA_NoMousePropagation);
    }
  }
  for (QWidget* mover : movers) {
    mover->installEventFilter(this);
  }
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType()) {
    StartWindowMove();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TFrmMain::StartWindowMove() {
  RunGuarded(this, [this] {
    if (QWidget* grabber = QWidget::mouseGrabber()) {
      grabber->releaseMouse();
    }
    if (QWindow* window = windowHandle()) {
      window->startSystemMove();
    }
  });
}

void TFrmMain::rbtnQClick() {
  RunGuarded(this, [this] { close(); });
}

void TFrmMain::tact1Execute() {
  RunGuarded(this, [this] { close(); });
}

void TFrmMain::closeEvent(QCloseEvent* event) {
  // The close is never refused, whatever happens on the way out.
  RunGuarded(this, [this] { FormClose(); });
  event->accept();
}

void TFrmMain::FormClose() {
  if (session_->State() == SessionState::kClosing) {
    return;  // Esc again while the LOCal exchange is waiting
  }
  EndSweep();             // its setting goes back while the line is still there
  session_->Close(true);  // back to the meter's own front panel first
  Shutdown();
}

void TFrmMain::Shutdown() {
  if (context_.ShuttingDown()) {
    return;
  }
  session_->Close(false);  // a window destroyed without closing sends nothing
  context_.BeginShutdown();
  CloseTrendWindow();
  CloseSweepWindow();
}

void TFrmMain::SetPanelButtonsEnabled(bool enabled) {
  if (context_.ShuttingDown()) {
    return;
  }
  if (enabled) {
    // What queued while the keys were off must find them off.
    inputGate_->Open();
    if (context_.ShuttingDown()) {
      return;
    }
  } else {
    inputGate_->Close();
  }
  for (QPushButton* button : Buttons()) {
    button->setEnabled(enabled && KeyUsable(button));
  }
  QCoreApplication::processEvents();
}

void TFrmMain::ReleaseToConnectKeys() {
  if (context_.ShuttingDown()) {
    return;
  }
  inputGate_->Open();
  if (!context_.ShuttingDown()) {
    rbtn1->setEnabled(true);
    rbtnQ->setEnabled(true);
  }
}

void TFrmMain::RunKeyHandler(const std::function<void()>& act) {
  RunGuarded(this, [&] {
    context_.Controls().SetPollPaused(false);
    SetPanelButtonsEnabled(false);
    ScopeExit release([this] { SetPanelButtonsEnabled(true); });
    if (session_->Connected()) {
      act();
    }
  });
}

}  // namespace benchbridge
