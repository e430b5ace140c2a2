#include "panel_input_gate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <QWidget>

namespace benchbridge {

namespace {

// A window system's event needs one pass of the event loop to become an input event and one to
// be delivered; two passes without input for the panel mean the queues hold none. The cap only
// guards against an operator who keeps hammering the keys while the lock is let go.
constexpr int kQuietPasses = 2;
constexpr int kMaxPasses = 64;

bool IsOperatorInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
      return true;
    default:
      return false;
  }
}

}  // namespace

PanelInputGate::PanelInputGate(QWidget* window) : QObject(window), window_(window) {
  QCoreApplication::instance()->installEventFilter(this);
}

void PanelInputGate::Open() {
  if (!closed_) return;
  int quiet = 0;
  for (int pass = 0; quiet < kQuietPasses && pass < kMaxPasses; ++pass) {
    const unsigned before = dropped_;
    QCoreApplication::processEvents();
    quiet = dropped_ == before ? quiet + 1 : 0;
  }
  closed_ = false;
  if (pending_ == 0) return;
  std::function<void()> action = kept_[pending_ - 1].action;
  pending_ = 0;
  // Posted: it runs from the event loop, after the handler that let the lock go has ended.
  QMetaObject::invokeMethod(window_, std::move(action), Qt::QueuedConnection);
}

void PanelInputGate::Remember(QWidget* key, int qtKey, std::function<void()> action) {
  kept_.push_back({key, qtKey, std::move(action)});
}

void PanelInputGate::NoteDropped(QObject* watched, const QEvent& event) {
  for (std::size_t i = 0; i < kept_.size() && (pending_ == 0 || i + 1 < pending_); ++i) {
    const Kept& kept = kept_[i];
    const bool clicked =
        kept.key != nullptr && watched == kept.key && event.type() == QEvent::MouseButtonRelease;
    const bool pressed = kept.key == nullptr && event.type() == QEvent::KeyPress &&
                         static_cast<const QKeyEvent&>(event).key() == kept.qtKey;
    if (clicked || pressed) {
      pending_ = i + 1;
      return;
    }
  }
}

bool PanelInputGate::eventFilter(QObject* watched, QEvent* event) {
  if (!closed_ || !watched->isWidgetType() || !IsOperatorInput(event->type()) ||
      static_cast<QWidget*>(watched)->window() != window_) {
    return QObject::eventFilter(watched, event);
  }
  ++dropped_;
  NoteDropped(watched, *event);
  // An accepted shortcut override keeps the window's shortcuts (Esc) from firing on the key.
  event->accept();
  return true;
}

}  // namespace benchbridge
