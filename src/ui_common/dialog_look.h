#pragma once
// The common look of the setting dialogs: the design's font asked for by name (an installed CJK
// face stands in where it is missing), a fixed client area centred over the main window, the
// pale "info" colour of the entry boxes and the disabled boxes used as headings.

#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QString>

namespace benchbridge {

// "微软雅黑" with stand-ins, pixelSize pixels high.
QFont DialogFont(int pixelSize);

// Fixed client area, no resizing, the dialog font, centred over its parent when it has one.
// Escape closes nothing: only the dialog's own keys and the window's close box do (a list
// opened inside still closes on Escape by itself).
void SetUpDialogWindow(QDialog& dialog, int width, int height, int fontPixelSize);

// Children of parent with their objectName, at the given place (width/height 0: a size that fits).
QLabel* MakeLabel(QWidget* parent, const QString& name, QRect place, const QString& text = {});
QLineEdit* MakeEntryBox(QWidget* parent, const QString& name, QRect place);
QLineEdit* MakeHeadingBox(QWidget* parent, const QString& name, QRect place, const QString& text);
QComboBox* MakeList(QWidget* parent, const QString& name, QRect place);
QPushButton* MakeButton(QWidget* parent, const QString& name, QRect place);

// Places a dialog over the middle of its parent window.
void CentreOverParent(QDialog& dialog);

}  // namespace benchbridge
