#pragma once
// The panel lock's hold on the operator's input. While a handler holds the lock the GUI thread
// is mostly blocked in exchanges with the meter, so clicks and keys meant for the panel wait in
// the queues and would land once the lock is let go, on keys that are enabled again by then.
// Closed, the gate drops every mouse and key input for the main window's widgets (keys, lists,
// value labels, and with them the openers of the dialogs); dialogs and message boxes are windows
// of their own and keep their input.
//
// A few inputs must never be lost (the operator's way out: Disconnect, Close, Esc): the gate
// remembers the most important of them that it dropped, and Open hands it to the window's event
// queue once, after the drain.
//
// Input events carry no clock that can be compared with the lock's across window systems (X
// server time on X11, a counter of the test tools offscreen), so the release does not decide by
// time stamps: Open drains the queues with the gate still closed, so all that arrived while the
// lock was on is delivered to the gate and dropped, and only then lets input through. The drain
// ends when the queues hold no more input for the panel, not after some time, so neither the
// length of the exchange nor the speed of the machine changes what is dropped.

#include <QObject>
#include <functional>
#include <vector>

class QWidget;

namespace benchbridge {

class PanelInputGate : public QObject {
 public:
  // Watches the application's events for window (the main window), as its child.
  explicit PanelInputGate(QWidget* window);

  void Close() { closed_ = true; }
  // Drops what queued while closed, then lets input through again; a remembered input's action
  // is then posted to run once.
  void Open();

  // A click on key (or, with key null, the keyboard key qtKey) dropped while closed runs action
  // after the next Open. Of several remembered inputs the one kept first wins.
  void Remember(QWidget* key, int qtKey, std::function<void()> action);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Kept {
    QWidget* key;
    int qtKey;
    std::function<void()> action;
  };
  void NoteDropped(QObject* watched, const QEvent& event);

  QWidget* window_;
  bool closed_ = false;
  unsigned dropped_ = 0;
  std::vector<Kept> kept_;
  std::size_t pending_ = 0;  // index into kept_ + 1; 0: nothing remembered
};

}  // namespace benchbridge
