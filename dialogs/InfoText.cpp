#include <algorithm>

#include "base/Format.h"
#include "base/Paths.h"
#include "dialogs/Info.h"

namespace korvane {

std::string ApplicationTitle(const std::string& exePath) {
  std::string title = ExtractFileName(exePath);
  title.resize(std::min(title.find('.'), title.size()));
  for (size_t i = 1; i < title.size(); ++i) {
    if (title[i] >= 'A' && title[i] <= 'Z') title[i] = static_cast<char>(title[i] + 32);
  }
  return title;
}

std::string InfoFormCaption(const std::string& title, const std::string& fileVersion, const std::string& formName) {
  return title + " " + Format("Ver.%s", {fileVersion}) + " - " + formName;
}

std::string OsVersionLine(const std::string& description) {
  std::string line = description;
  const size_t at = line.find("Microsoft ");
  if (at != std::string::npos) line.erase(at, 10);
  return line;
}

FormPosition CenteredOnWorkArea(int workLeft, int workTop, int workRight, int workBottom, int width, int height) {
  return {(workRight - workLeft - width) / 2, (workBottom - workTop - height) / 2};
}

}  // namespace korvane
