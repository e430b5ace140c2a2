#pragma once
// Colours and the key look of the front panel (its fonts are in design_fonts.h).

#include <QColor>
#include <QWidget>

#include "design_fonts.h"

namespace benchbridge {

namespace colour {
inline constexpr QRgb kWhite = 0xFFFFFF;
inline constexpr QRgb kBlack = 0x000000;
inline constexpr QRgb kAqua = 0x00FFFF;
inline constexpr QRgb kYellow = 0xFFFF00;
inline constexpr QRgb kFuchsia = 0xFF00FF;
inline constexpr QRgb kDisplay = 0x000000;      // the desktop-background colour of the display
inline constexpr QRgb kMenuText = 0x000000;     // behind the settings lists
inline constexpr QRgb kStatusStrip = 0xD7E4F2;  // light inactive caption
}  // namespace colour

// Text colour of a label or a drop-down list (the colour its caption or items are drawn in);
// disabled, it is drawn dimmer. TextColour is the enabled one.
void SetTextColour(QWidget* widget, QColor colour);
QColor TextColour(const QWidget* widget);

// Opaque background of a label, list or frame.
void SetBackground(QWidget* widget, QColor colour);

// The key look: flat keys that light up under the pointer.
QString KeyStyleSheet();

}  // namespace benchbridge
