#pragma once
// The main window's view as plain fields, for the list and tick tests.
#include <string>
#include <vector>

#include "app/logic/MainView.h"

namespace korvane::test {

struct TFakeView : IMainView {
  std::vector<std::string> items;
  int index = -1;
  std::string panels[3] = {"", "", "[ESC] to Break"};

  int ItemCount() const override { return static_cast<int>(items.size()); }
  std::string Item(int i) const override { return items.at(static_cast<size_t>(i)); }
  void AppendItem(const std::string& path) override { items.push_back(path); }
  int ItemIndex() const override { return index; }
  void SetItemIndex(int i) override { index = i; }
  void SetStatusText(const std::string& text, int i) override { panels[i] = text; }
};

}  // namespace korvane::test
