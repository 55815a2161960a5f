#pragma once
// The status bar's three panels: two of fixed width, the last takes the rest.
#include <QString>
#include <string>
#include <vector>

class QLabel;
class QStatusBar;

namespace korvane {

class TStatusPanels {
 public:
  explicit TStatusPanels(QStatusBar& bar);
  // An index outside the panels is ignored.
  void SetText(const std::string& text, int index);
  QString Text(int index) const;

 private:
  std::vector<QLabel*> FPanels;
  // What each panel was last given: the tick rewrites them 100 times a second.
  std::vector<std::string> FTexts;
};

}  // namespace korvane
