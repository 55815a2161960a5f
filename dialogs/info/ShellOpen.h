#pragma once
// Opens a document, folder, address or program with the desktop's default
// handler and never disturbs the user when that fails. What to open and with
// which working folder is decided here; an opener carries it out.
#include <string>
#include <vector>

namespace korvane {

class TShellOpener {
 public:
  virtual ~TShellOpener() = default;
  // An absolute file or folder path.
  virtual void OpenPath(const std::string& path, const std::string& workingDir) = 0;
  // An address with its scheme, e.g. "https://..." or "MailTo:...".
  virtual void OpenAddress(const std::string& address, const std::string& workingDir) = 0;
  virtual void StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& workingDir) = 0;
  // The full path of an executable name found on PATH, or "".
  virtual std::string FindProgram(const std::string& name) = 0;
};

// Everything up to and including the last '/' or ':'; "" when there is neither.
std::string ShellWorkingDir(const std::string& fileName);

// Decides and asks opener, first rule that fits: "" opens nothing; the volume
// mixer name "sndvol32.exe" starts the first mixer installed (none: nothing);
// an existing file or folder opens as a path, made absolute; an address (a
// scheme of two or more characters before ':') opens as it stands; a bare name
// found on PATH starts as a program with the parameters; anything else opens as
// a path. The working folder is ShellWorkingDir(fileName) throughout.
void ShellOpenWith(TShellOpener& opener, const std::string& fileName, const std::string& parameters);

// Through the installed opener, else the desktop (QDesktopServices, detached
// processes; needs a QGuiApplication). Never throws.
void ShellOpen(const std::string& fileName, const std::string& parameters);

// Makes ShellOpen use opener (nullptr: the desktop again); returns the one before.
// For tests that watch what the program opens.
TShellOpener* InstallShellOpener(TShellOpener* opener);

// The first executable file called name in the folders of pathList ("a:b:c"), or "".
std::string FindOnPath(const std::string& name, const std::string& pathList);

}  // namespace korvane
