#pragma once
// What the About dialog's links reach on the desktop: the file manager's
// properties window and the user's folders.
#include <string>

namespace korvane {

// Asks the file manager to show the file's properties; nothing when none answers.
void ShowFileProperties(const std::string& FileName);

// The user's desktop folder (XDG DESKTOP directory), the autostart folder, and
// no send-to folder at all ("").
std::string GetDesktopFolder();
std::string GetStartupFolder();
std::string GetSendToFolder();

}  // namespace korvane
