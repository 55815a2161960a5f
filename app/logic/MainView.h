#pragma once
// What the main window's logic needs of its widgets: the media list's entries
// and selection, and the status bar's panels. The window implements it over its
// combo box and status labels; tests implement it over plain fields.
#include <string>

namespace korvane {

class IMainView {
 public:
  virtual ~IMainView() = default;
  virtual int ItemCount() const = 0;
  virtual std::string Item(int index) const = 0;
  virtual void AppendItem(const std::string& path) = 0;
  // -1 when nothing is selected. Setting it does not run the select handler.
  virtual int ItemIndex() const = 0;
  virtual void SetItemIndex(int index) = 0;
  virtual void SetStatusText(const std::string& text, int index) = 0;
};

}  // namespace korvane
