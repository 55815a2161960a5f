#pragma once
// The media list's entries in its combo box: each shows its path's display
// text and keeps the path's bytes.
#include <string>

class QComboBox;

namespace korvane {

std::string EntryPath(const QComboBox& list, int index);
// Adds an entry without changing the selection or running the select handler.
void AppendEntry(QComboBox& list, const std::string& path);

}  // namespace korvane
