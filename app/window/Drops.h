#pragma once
// Files dropped on the window: what a drag must carry, and which paths a drop
// hands to the search.
#include <QList>
#include <QUrl>
#include <string>
#include <vector>

class QDragMoveEvent;

namespace korvane {

// Takes a drag that carries URLs; any other is left refused.
void AcceptUrlDrag(QDragMoveEvent& event);

// The path of each dropped local file or folder, in order, as the bytes of its
// name (not UTF-8 ones too) and cut to 260 bytes; other URLs give none.
std::vector<std::string> DroppedPaths(const QList<QUrl>& urls);

}  // namespace korvane
