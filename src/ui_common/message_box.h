#pragma once
// The panel's message boxes: a title, an icon, a text and one OK button, modal over the window.

#include <QMessageBox>
#include <QString>
#include <QWidget>

namespace benchbridge {

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                    const QString& text);

}  // namespace benchbridge
