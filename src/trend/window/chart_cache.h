#pragma once
// A chart's own items (axis labels are text documents, slow to paint) change only when the
// axes move; cached as pixmaps they cost a copy per redraw instead of a layout of their text.

class QGraphicsItem;

namespace benchbridge {

// Caches every item below root but except (which changes at every redraw anyway).
void CacheStillParts(QGraphicsItem* root, const QGraphicsItem* except = nullptr);

}  // namespace benchbridge
