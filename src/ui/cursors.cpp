#include "ui/cursors.h"

#include <QCoreApplication>
#include <QPixmap>
#include <map>

// Resources compiled into a static library must be pulled in by name.
static void initZorvaResources() { Q_INIT_RESOURCE(zorva); }

namespace zorva {

namespace {
std::map<int, QCursor>& registry() {
  static std::map<int, QCursor> cursors;
  return cursors;
}

QCursor loadCursor(const char* resource) {
  const QPixmap image(QString(":/cursors/") + resource);
  if (image.isNull()) return QCursor(Qt::ArrowCursor);
  // The hot spot is the centre of the image.
  return QCursor(image, image.width() / 2, image.height() / 2);
}
}  // namespace

void registerZorvaCursors() {
  if (!registry().empty()) return;
  initZorvaResources();
  // Cursors hold pixmaps, which must go while the application still exists.
  qAddPostRoutine([] { registry().clear(); });
  registry()[kCurveRotateCursor] = loadCursor("CURVEROTATE");
  registry()[kCurveExpandCursor] = loadCursor("CURVEEXPAND");
}

QCursor zorvaCursor(int number) {
  const auto it = registry().find(number);
  return it == registry().end() ? QCursor(Qt::ArrowCursor) : it->second;
}

}  // namespace zorva
