#include "app/window/Drops.h"

#include <QDragMoveEvent>
#include <QMimeData>

#include <algorithm>

#include "base/Paths.h"
#include "base/Utf.h"

namespace korvane {

namespace {

// A dropped path is cut to the length the drop buffer has always had.
constexpr size_t kMaxDroppedPath = 260;

// A local file URL's path as bytes, taken from its percent-encoded form:
// QUrl::toLocalFile would replace the bytes of a name that is not UTF-8.
std::string LocalPathBytes(const QUrl& url) {
  return PercentDecodePath(url.path(QUrl::FullyEncoded).toStdString());
}

// The longest start of the path within the bound that ends between characters:
// a cut UTF-8 sequence would name no file. A byte that starts no valid
// sequence counts as a character of its own.
void CutPath(std::string& path) {
  size_t end = 0;
  while (end < path.size()) {
    char32_t cp;
    const size_t length = std::max<size_t>(DecodeUtf8(path, end, cp), 1);
    if (end + length > kMaxDroppedPath) break;
    end += length;
  }
  path.resize(end);
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
    CutPath(path);
    paths.push_back(std::move(path));
  }
  return paths;
}

}  // namespace korvane
