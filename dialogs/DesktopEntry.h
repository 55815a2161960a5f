#pragma once
// Launchers for the program: freedesktop desktop entries that start it with
// the argument "/starup" in its own folder.
#include <string>

namespace korvane {

// Exec's quoting of one argument, before the escapes of string values: in
// double quotes with '"', '`', '$' and '\' escaped, '%' doubled.
std::string QuoteExecArgument(const std::string& argument);

// Exec's value (before the string escapes) starting target with "/starup":
// the quoted target, or for a target holding '%' the shell started with the
// target as an argument, as GLib refuses a program path holding "%%".
std::string DesktopExecLine(const std::string& Target);

// The entry's text: Type=Application, Name, Exec = DesktopExecLine(Target),
// Path = the target's folder without its trailing '/'.
std::string DesktopEntryText(const std::string& Target, const std::string& Name);

// Writes <Folder>/<Name>.desktop (replacing one that is there) and makes it
// executable. Throws std::runtime_error with the system's text on failure; a
// failed write leaves an existing entry as it was.
void CreateShortcut(const std::string& Target, const std::string& Folder, const std::string& Name);

}  // namespace korvane
