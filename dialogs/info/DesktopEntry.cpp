#include "dialogs/info/DesktopEntry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
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

bool OwnedByUsOrRoot(const struct stat& st) { return st.st_uid == 0 || st.st_uid == geteuid(); }

// Emptied at boot, so anyone may claim a name in them later.
bool IsTemporaryFolder(const std::string& path) { return path == "/tmp" || path == "/var/tmp" || path == "/dev/shm"; }

// Why someone else could put another program at child in folder; "" when nobody can.
std::string WhyEntryIsOpen(const std::string& folder, const struct stat& parent, const struct stat& child) {
  if (IsTemporaryFolder(folder)) return folder + " is a temporary folder that anyone may write to";
  if (!OwnedByUsOrRoot(parent)) return folder + " belongs to user " + std::to_string(parent.st_uid);
  if ((parent.st_mode & (S_IWGRP | S_IWOTH)) == 0) return "";
  // In a sticky folder of root's only an entry's owner may replace it.
  if ((parent.st_mode & S_ISVTX) && parent.st_uid == 0 && OwnedByUsOrRoot(child)) return "";
  return folder + " may be written to by other users";
}

// Why others could change what path leads to, checking every folder on the
// way; "" when they cannot. Parts that do not exist end the walk (only the
// owner of the last folder could make them), and so does a link, whose
// target is walked separately.
std::string WhyPathIsOpen(const std::string& path) {
  if (path.empty() || path[0] != '/') return path + " is not an absolute path";
  struct stat parent;
  if (lstat("/", &parent) != 0) return "";
  std::string folder = "/";
  for (size_t start = 1; start <= path.size();) {
    const size_t end = std::min(path.find('/', start), path.size());
    if (end == start) {
      start = end + 1;
      continue;
    }
    const std::string child = path.substr(0, end);
    struct stat st;
    if (lstat(child.c_str(), &st) != 0) return "";
    if (const std::string why = WhyEntryIsOpen(folder, parent, st); !why.empty()) return why;
    if (S_ISLNK(st.st_mode)) return "";
    folder = child;
    parent = st;
    start = end + 1;
  }
  if (!OwnedByUsOrRoot(parent)) return path + " belongs to user " + std::to_string(parent.st_uid);
  if (parent.st_mode & (S_IWGRP | S_IWOTH)) return path + " may be written to by other users";
  return "";
}

}  // namespace

std::string WhyLauncherIsUnsafe(const std::string& Target) {
  std::string why = WhyPathIsOpen(Target);
  // A link on the way leads elsewhere: where it leads must be as closed.
  if (char* real = why.empty() ? realpath(Target.c_str(), nullptr) : nullptr) {
    why = WhyPathIsOpen(real);
    free(real);
  }
  if (why.empty()) return "";
  return "No launcher is made for " + Target + ": " + why +
         ", so another program could be put there and run in its place.";
}

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
  if (const std::string why = WhyLauncherIsUnsafe(Target); !why.empty()) throw std::runtime_error(why);
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
