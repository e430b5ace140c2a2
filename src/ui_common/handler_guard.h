#pragma once
// Every handler of the panel runs inside RunGuarded: an unexpected failure is reported in a
// generic error box and never reaches Qt's event loop (where it would end the program).

#include <QString>
#include <QWidget>
#include <exception>
#include <utility>

#include "qt_text.h"

namespace benchbridge {

// A modal error box over parent with the given text. Never throws.
void ShowErrorBox(QWidget* parent, const QString& text) noexcept;

template <typename Handler>
void RunGuarded(QWidget* parent, Handler&& handler) noexcept {
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& error) {
    ShowErrorBox(parent, ToQt(error.what()));
  } catch (...) {
    ShowErrorBox(parent, QStringLiteral("Unexpected error."));
  }
}

// Runs on every way out of a scope: the panel's "release the lock on every way out" rules.
template <typename Action>
class ScopeExit {
 public:
  explicit ScopeExit(Action action) : action_(std::move(action)) {}
  ~ScopeExit() {
    try {
      action_();
    } catch (...) {
      // A failure while releasing must not replace the failure being reported.
    }
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Action action_;
};

}  // namespace benchbridge
