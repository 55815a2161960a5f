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

// Why an entry that starts Target would be unsafe: another user could put a
// program of his at that path, because Target or a folder above it (also
// where a link on the way leads) belongs to another user, may be written to
// by group or others (a sticky folder of root's only when Target's part in it
// is ours or root's), or is a temporary folder such as /tmp. "" when safe.
std::string WhyLauncherIsUnsafe(const std::string& Target);

// Writes <Folder>/<Name>.desktop (replacing one that is there) and makes it
// executable. Throws std::runtime_error with the system's text on failure, or
// with WhyLauncherIsUnsafe(Target) before anything is written; a failed write
// leaves an existing entry as it was.
void CreateShortcut(const std::string& Target, const std::string& Folder, const std::string& Name);

}  // namespace korvane
