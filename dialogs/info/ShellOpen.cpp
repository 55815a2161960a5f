#include "dialogs/info/ShellOpen.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "base/Paths.h"
#include "base/TextCompare.h"
#include "dialogs/QtText.h"

namespace korvane {
namespace {

const std::vector<std::vector<std::string>> kMixers = {
    {"pavucontrol"}, {"pavucontrol-qt"}, {"gnome-control-center", "sound"}};

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool IsAddress(const std::string& s) {
  const size_t colon = s.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!letter(s[0])) return false;
  for (size_t i = 1; i < colon; ++i) {
    const char c = s[i];
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

// Blank-separated words; double quotes group blanks into one word.
std::vector<std::string> SplitParameters(const std::string& parameters) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, inWord = false;
  for (char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == kPathDelim) return path;
  char buf[4096];
  if (!getcwd(buf, sizeof buf)) return path;
  return IncludeTrailingPathDelimiter(buf) + path;
}

void StartMixer(TShellOpener& opener, const std::vector<std::string>& parameters, const std::string& dir) {
  for (const auto& mixer : kMixers) {
    const std::string program = opener.FindProgram(mixer[0]);
    if (program.empty()) continue;
    std::vector<std::string> arguments(mixer.begin() + 1, mixer.end());
    arguments.insert(arguments.end(), parameters.begin(), parameters.end());
    opener.StartDetached(program, arguments, dir);
    return;
  }
}

TShellOpener* installedOpener = nullptr;

// The desktop's handlers start in folders of their own choosing: only the
// programs started here get the working folder.
class TDesktopOpener : public TShellOpener {
 public:
  void OpenPath(const std::string& path, const std::string&) override {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QtText(path)));
  }
  void OpenAddress(const std::string& address, const std::string&) override {
    QDesktopServices::openUrl(QUrl(QtText(address), QUrl::TolerantMode));
  }
  void StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& workingDir) override {
    QStringList args;
    for (const auto& a : arguments) args << QtText(a);
    QProcess::startDetached(QtText(program), args, QtText(workingDir));
  }
  std::string FindProgram(const std::string& name) override {
    const char* path = getenv("PATH");
    return FindOnPath(name, path ? path : "/usr/local/bin:/usr/bin:/bin");
  }
};

}  // namespace

std::string ShellWorkingDir(const std::string& fileName) {
  const size_t last = fileName.find_last_of("/:");
  return last == std::string::npos ? "" : fileName.substr(0, last + 1);
}

void ShellOpenWith(TShellOpener& opener, const std::string& fileName, const std::string& parameters) {
  if (fileName.empty()) return;
  const std::string dir = ShellWorkingDir(fileName);
  if (SameTextIgnoreCase(fileName, "sndvol32.exe")) {
    StartMixer(opener, SplitParameters(parameters), dir);
  } else if (Exists(fileName)) {
    opener.OpenPath(Absolute(fileName), dir);
  } else if (IsAddress(fileName)) {
    opener.OpenAddress(fileName, dir);
  } else {
    const bool bareName = fileName.find(kPathDelim) == std::string::npos;
    const std::string program = bareName ? opener.FindProgram(fileName) : "";
    if (!program.empty()) {
      opener.StartDetached(program, SplitParameters(parameters), dir);
    } else {
      opener.OpenPath(Absolute(fileName), dir);
    }
  }
}

void ShellOpen(const std::string& fileName, const std::string& parameters) {
  try {
    if (installedOpener) return ShellOpenWith(*installedOpener, fileName, parameters);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    TDesktopOpener opener;
    ShellOpenWith(opener, fileName, parameters);
  } catch (...) {
  }
}

TShellOpener* InstallShellOpener(TShellOpener* opener) { return std::exchange(installedOpener, opener); }

std::string FindOnPath(const std::string& name, const std::string& pathList) {
  if (name.empty() || name.find(kPathDelim) != std::string::npos) return "";
  size_t pos = 0;
  while (pos <= pathList.size()) {
    const size_t colon = std::min(pathList.find(':', pos), pathList.size());
    const std::string dir = pathList.substr(pos, colon - pos);
    pos = colon + 1;
    if (dir.empty()) continue;
    const std::string candidate = IncludeTrailingPathDelimiter(dir) + name;
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return "";
}

}  // namespace korvane
