#pragma once
// The panel is drawn in device pixels as designed (979 x 359, every control at its place),
// whatever scale the desktop asks Qt for: its DPI (Xft.dpi on X11, QT_FONT_DPI) or a scale
// factor it exports (QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS). Someone who wants the panel
// larger says so on purpose: BENCHBRIDGE_SCALE=1.5 draws everything one and a half times as
// large. Runs before the QApplication is made, since Qt settles its scaling then.

namespace benchbridge {

void PinScreenScaling();

}  // namespace benchbridge
