#include "chart_cache.h"

#include <QGraphicsItem>

namespace benchbridge {

void CacheStillParts(QGraphicsItem* root, const QGraphicsItem* except) {
  for (QGraphicsItem* child : root->childItems()) {
    if (child == except) continue;
    if (child->cacheMode() == QGraphicsItem::NoCache) {
      child->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    }
    CacheStillParts(child, except);
  }
}

}  // namespace benchbridge
