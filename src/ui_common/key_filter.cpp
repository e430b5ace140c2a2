#include "key_filter.h"

#include <QVariant>

namespace benchbridge {

namespace {

constexpr const char* kTypingLimit = "typingLimit";

bool IsControl(QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }

bool Accepted(QChar c, KeySet keys) {
  if (c == u'\b' || c == u'\t' || c == u'\r') return true;
  if (c >= u'0' && c <= u'9') return true;
  return keys == KeySet::kSignedDecimal && (c == u'+' || c == u'-' || c == u'.');
}

// Keys that are no typed character where the meter's operators come from: they edit or leave
// the box and are never filtered.
bool TypesNothing(const QKeyEvent& key) {
  return key.text().isEmpty() || key.key() == Qt::Key_Delete || key.key() == Qt::Key_Escape;
}

}  // namespace

void SetTypingLimit(QLineEdit& box, int limit) { box.setProperty(kTypingLimit, limit); }

bool DiscardsKey(const QLineEdit& box, const QKeyEvent& key, KeySet keys) {
  if (TypesNothing(key)) return false;
  qsizetype typed = 0;
  for (const QChar c : key.text()) {
    if (!Accepted(c, keys)) return true;
    if (!IsControl(c)) ++typed;
  }
  const int limit = box.property(kTypingLimit).toInt();
  if (limit <= 0 || typed == 0) return false;
  return box.text().size() - box.selectedText().size() + typed > limit;
}

KeyPressFilter::KeyPressFilter(QObject* parent, Handler handler)
    : QObject(parent), handler_(std::move(handler)) {}

void KeyPressFilter::Watch(QLineEdit& box) { box.installEventFilter(this); }

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* box = qobject_cast<const QLineEdit*>(watched);
  if (box == nullptr) return false;
  try {
    return handler_(*box, static_cast<const QKeyEvent&>(*event));
  } catch (...) {
    return true;  // a key the filter could not judge is not typed
  }
}

}  // namespace benchbridge
