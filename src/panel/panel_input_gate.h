#pragma once
// The panel lock's hold on the operator's input. While a handler holds the lock the GUI thread
// is mostly blocked in exchanges with the meter, so clicks and keys meant for the panel wait in
// the queues and would land once the lock is let go, on keys that are enabled again by then.
// Closed, the gate drops every mouse and key input for the main window's widgets (keys, lists,
// value labels, and with them the openers of the dialogs); dialogs and message boxes are windows
// of their own and keep their input.
//
// Input events carry no clock that can be compared with the lock's across window systems (X
// server time on X11, a counter of the test tools offscreen), so the release does not decide by
// time stamps: Open drains the queues with the gate still closed, so all that arrived while the
// lock was on is delivered to the gate and dropped, and only then lets input through. The drain
// ends when the queues hold no more input for the panel, not after some time, so neither the
// length of the exchange nor the speed of the machine changes what is dropped.

#include <QObject>

class QWidget;

namespace benchbridge {

class PanelInputGate : public QObject {
 public:
  // Watches the application's events for window (the main window), as its child.
  explicit PanelInputGate(QWidget* window);

  void Close() { closed_ = true; }
  // Drops what queued while closed, then lets input through again.
  void Open();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  bool closed_ = false;
  unsigned dropped_ = 0;
};

}  // namespace benchbridge
