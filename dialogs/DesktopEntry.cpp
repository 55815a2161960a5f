#include "dialogs/DesktopEntry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "base/Paths.h"
#include "platform/WholeFile.h"

namespace korvane {
namespace {

// The escapes every string value of a desktop entry takes.
std::string EscapeValue(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

[[noreturn]] void FailWithErrno(int code) { throw std::runtime_error(std::strerror(code)); }


}  // namespace

std::string QuoteExecArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  return quoted + "\"";
}

std::string DesktopExecLine(const std::string& Target) {
  if (Target.find('%') == std::string::npos) return QuoteExecArgument(Target) + " /starup";
  // GLib checks that the program exists before it undoes "%%", so it refuses a
  // program path holding '%'. The shell is started instead, and the path is
  // one of its arguments, where "%%" is undone.
  return "/bin/sh -c " + QuoteExecArgument("exec \"$0\" \"$@\"") + " " + QuoteExecArgument(Target) + " /starup";
}

std::string DesktopEntryText(const std::string& Target, const std::string& Name) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" + EscapeValue(Name) + "\n"
         "Exec=" + EscapeValue(DesktopExecLine(Target)) + "\n"
         "Path=" + EscapeValue(ExcludeTrailingPathDelimiter(ExtractFilePath(Target))) + "\n";
}

void CreateShortcut(const std::string& Target, const std::string& Folder, const std::string& Name) {
  if (Folder.empty()) FailWithErrno(ENOENT);
  const std::string fileName = ExcludeTrailingPathDelimiter(Folder) + "/" + Name + ".desktop";
  // Written beside the entry and renamed over it, so a failure never leaves half an entry.
  std::string temp = ExcludeTrailingPathDelimiter(Folder) + "/." + Name + ".desktop.XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) FailWithErrno(errno);
  try {
    if (!WriteAll(fd, DesktopEntryText(Target, Name))) FailWithErrno(errno);
    if (fchmod(fd, 0755) != 0 || fsync(fd) != 0) FailWithErrno(errno);
  } catch (...) {
    close(fd);
    unlink(temp.c_str());
    throw;
  }
  if (close(fd) != 0 || rename(temp.c_str(), fileName.c_str()) != 0) {
    const int code = errno;
    unlink(temp.c_str());
    FailWithErrno(code);
  }
}

}  // namespace korvane
