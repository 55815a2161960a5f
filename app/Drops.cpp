#include "app/Drops.h"

#include <QDragMoveEvent>
#include <QMimeData>

#include "base/Paths.h"

namespace korvane {

namespace {

// A dropped path is cut to the length the drop buffer has always had.
constexpr size_t kMaxDroppedPath = 260;

// A local file URL's path as bytes, taken from its percent-encoded form:
// QUrl::toLocalFile would replace the bytes of a name that is not UTF-8.
std::string LocalPathBytes(const QUrl& url) {
  return PercentDecodePath(url.path(QUrl::FullyEncoded).toStdString());
}

}  // namespace

void AcceptUrlDrag(QDragMoveEvent& event) {
  if (event.mimeData()->hasUrls()) event.acceptProposedAction();
}

std::vector<std::string> DroppedPaths(const QList<QUrl>& urls) {
  std::vector<std::string> paths;
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) continue;
    std::string path = LocalPathBytes(url);
    if (path.size() > kMaxDroppedPath) path.resize(kMaxDroppedPath);
    paths.push_back(std::move(path));
  }
  return paths;
}

}  // namespace korvane
