#pragma once
// Launchers for the program: freedesktop desktop entries that start it with
// the argument "/starup" in its own folder.
#include <string>

namespace korvane {

// Exec's quoting: the argument in double quotes with '"', '`', '$' and '\'
// escaped, '%' doubled; then the string escapes of the value itself.
std::string DesktopExecArgument(const std::string& argument);

// The entry's text: Type=Application, Name, Exec of target with "/starup",
// Path = the target's folder without its trailing '/'.
std::string DesktopEntryText(const std::string& Target, const std::string& Name);

// Writes <Folder>/<Name>.desktop (replacing one that is there) and makes it
// executable. Throws std::runtime_error with the system's text on failure; a
// failed write leaves an existing entry as it was.
void CreateShortcut(const std::string& Target, const std::string& Folder, const std::string& Name);

}  // namespace korvane
