#include "app/window/ListEntries.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "dialogs/QtText.h"

namespace korvane {

namespace {

constexpr int kPathRole = Qt::UserRole;

}  // namespace

std::string EntryPath(const QComboBox& list, int index) {
  return list.itemData(index, kPathRole).toByteArray().toStdString();
}

void AppendEntry(QComboBox& list, const std::string& path) {
  // A combo box selects the first entry added to it by itself; the list's
  // selection changes only by the user or by the moves through the list.
  const QSignalBlocker quiet(&list);
  const int index = list.currentIndex();
  list.addItem(ShownText(path), QByteArray::fromStdString(path));
  list.setCurrentIndex(index);
}

}  // namespace korvane
