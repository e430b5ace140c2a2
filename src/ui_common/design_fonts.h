#pragma once
// The fonts the design asks for by their Windows names. Where they are missing an installed CJK
// face stands in, so the Chinese captions and μ, Ω, θ still show, on the panel and in its dialogs.

#include <QFont>

namespace benchbridge {

enum class Face { YaHei, SimHei, YouYuan };

// Font of the given face with a character height of pixelSize pixels.
QFont PanelFont(Face face, int pixelSize);

}  // namespace benchbridge
