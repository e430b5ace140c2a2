#pragma once
// Typing rules of the dialogs' entry boxes. A key filter sees every typed character before the
// box does and discards those the box does not take; keys that type nothing (arrows, Delete,
// Esc) always pass. The length limit of a box holds for typing only: a text the program puts
// into the box is shown whole.

#include <QKeyEvent>
#include <QLineEdit>
#include <QObject>
#include <functional>

namespace benchbridge {

enum class KeySet {
  kDigits,         // backspace, tab, carriage return, 0 .. 9
  kSignedDecimal,  // the same and "+", "-", "."
};

// At most limit characters may be typed into box (0: no limit).
void SetTypingLimit(QLineEdit& box, int limit);

// True when the key press must not reach the box.
bool DiscardsKey(const QLineEdit& box, const QKeyEvent& key, KeySet keys);

// Runs a dialog's key handler (true: discard) for every key press on the boxes it watches.
class KeyPressFilter : public QObject {
 public:
  using Handler = std::function<bool(const QLineEdit& box, const QKeyEvent& key)>;
  KeyPressFilter(QObject* parent, Handler handler);
  void Watch(QLineEdit& box);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Handler handler_;
};

}  // namespace benchbridge
