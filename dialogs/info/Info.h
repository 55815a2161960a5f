#pragma once
// The About dialog and the rules behind its texts and place.
#include <string>

class QWidget;

namespace korvane {

// Builds a fresh About dialog owned by owner, runs it modally and destroys it.
void ShowAboutDialog(QWidget* owner);

// The program's name as captions show it: the executable's file name cut at its
// first '.', the first character kept, the rest in lower case.
std::string ApplicationTitle(const std::string& exePath);
// "<title> Ver.<version> - <formName>".
std::string InfoFormCaption(const std::string& title, const std::string& fileVersion, const std::string& formName);
// The description without its first "Microsoft ".
std::string OsVersionLine(const std::string& description);

struct FormPosition {
  int left = 0;
  int top = 0;
};
// Half the work area's free width and height, halves rounded toward zero; the
// work area's own left and top are not added.
FormPosition CenteredOnWorkArea(int workLeft, int workTop, int workRight, int workBottom, int width, int height);

}  // namespace korvane
