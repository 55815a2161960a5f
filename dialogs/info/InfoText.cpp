#include <algorithm>

#include "base/AsciiText.h"
#include "base/Format.h"
#include "base/Paths.h"
#include "dialogs/info/Info.h"

namespace korvane {

std::string ApplicationTitle(const std::string& exePath) {
  std::string title = ExtractFileName(exePath);
  title.resize(std::min(title.find('.'), title.size()));
  return title.empty() ? title : title.front() + AsciiLower(title.substr(1));
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
