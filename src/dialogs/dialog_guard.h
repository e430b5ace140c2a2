#pragma once
// The dialogs' handlers run inside Guarded: an unexpected failure (a conversion error
// included) is shown in the generic error box and never reaches Qt's event loop.

#include <QMessageBox>
#include <QString>
#include <QWidget>
#include <exception>
#include <utility>

namespace benchbridge {

// A modal box with a title, an icon, the text and one OK button.
void ShowDialogMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                       const QString& text);

// The generic error report; never throws.
void ShowUnexpectedError(QWidget* parent, const QString& text) noexcept;

template <typename Handler>
void Guarded(QWidget* parent, Handler&& handler) noexcept {
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& error) {
    ShowUnexpectedError(parent, QString::fromUtf8(error.what()));
  } catch (...) {
    ShowUnexpectedError(parent, QStringLiteral("Unexpected error."));
  }
}

}  // namespace benchbridge
