#pragma once
// The program's settings: which found files stay out of the media list. Loaded
// from the ini file at start, changed in the settings dialog, saved at a
// normal end.
#include <array>
#include <cstdint>
#include <string>

#include "config/NameSet.h"

namespace korvane {

// The settings dialog's controls as plain values, so the store can fill and
// read them without a window.
struct ConfigFormView {
  bool ChkReadOnly = false;
  bool ChkHidden = false;
  bool ChkSysFile = false;
  std::string MemIgnoreList;  // lines separated by CR LF, LF or CR
  std::string MemIgnoreExt;
  std::string EditLowerSizeText;
  int32_t EditLowerSizeTag = 0;  // the field's last accepted bound
};

class TConfig {
 public:
  bool FReadOnly = false;  // ignore files the user may not write
  bool FHidden = true;     // ignore files whose name begins with "."
  bool FSysFile = true;    // ignore anything that is not a regular file
  TNameSet FIgnoreList;    // file names (no folder) to ignore
  TNameSet FIgnoreExt;     // extensions to ignore, with their dot
  int32_t FLowerSize = 512000;  // files smaller than this are ignored
  // The folders Alt+1 .. Alt+9 send the playing file to, as the ini holds them
  // ([MoveTo] FMoveTo1 ..); see MoveTarget for which count.
  std::array<std::string, 9> FMoveTo;

  TConfig() = default;

  // True when the found file belongs in the media list. Never fails: a file
  // that is gone or unreadable is left out.
  bool AcceptFile(const std::string& path) const;

  // Overwrites every value the ini file holds; anything missing or malformed
  // keeps its current value. Never throws.
  void LoadFromFile(const std::string& iniPath);
  // Writes every value, keeping the file's other lines. Throws
  // std::runtime_error("<path> に書き込めません") and leaves the old file whole
  // when it cannot be written.
  void SaveToFile(const std::string& iniPath) const;

  // Target n (1 .. 9): its folder when that is an absolute path an ini line
  // can hold, else "" (unset: a relative path or garbage is kept, never used).
  std::string MoveTarget(int n) const;

  void ToForm(ConfigFormView& view) const;
  void FromForm(const ConfigFormView& view);
};

// Whether text fits on one ini line (no CR or LF), and a move target: a full
// path that does.
bool FitsIniLine(const std::string& text);
bool IsMoveTargetPath(const std::string& folder);

// The file's size in bytes, or -1 when it is no regular file or cannot be
// opened for reading.
int64_t FileSizeOf(const std::string& path);

// The ini file: the executable's own path (as at start) with ".ini" appended to its name, or
// the file that the environment variable KORVANE_INI names. When the
// executable's folder takes no new files or is an installed copy's, the user's
// $XDG_CONFIG_HOME/Korvane/Korvane.ini instead.
std::string ConfigFilePath();
// True for an executable in the folder that installing puts it in
// (<prefix>/lib/korvane/), which then never takes the ini file.
bool IsInstalledCopy(const std::string& executable);
// The choice behind ConfigFilePath; creates the user's folder when it picks it.
std::string ChooseConfigFile(const std::string& besideExecutable, bool folderWritable, const std::string& userConfigHome);

}  // namespace korvane
