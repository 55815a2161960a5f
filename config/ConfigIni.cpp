// Loading and saving the settings: the ini file's keys, in the order written.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "base/Format.h"
#include "base/IntParse.h"
#include "base/Paths.h"
#include "config/Config.h"
#include "config/Profile.h"
#include "platform/OwnExecutable.h"

namespace korvane {
namespace {

constexpr const char* kAttrSection = "IgnoreAttr";
constexpr const char* kListSection = "IgnoreList";
constexpr const char* kExtSection = "IgnoreExt";
constexpr const char* kSizeSection = "LowerSize";
constexpr const char* kCountKey = "ListCount";
constexpr const char* kMoveSection = "MoveTo";

std::string MoveKey(size_t i) { return "FMoveTo" + std::to_string(i + 1); }

int32_t ReadInt(const TProfile& ini, const char* section, const char* key, int32_t fallback) {
  const auto value = ini.ReadString(section, key);
  return value ? StrToIntDef(*value, fallback) : fallback;
}

bool ReadBool(const TProfile& ini, const char* key, bool fallback) {
  const auto value = ini.ReadString(kAttrSection, key);
  if (!value) return fallback;
  const auto number = ParseInt(*value);
  return number ? *number != 0 : fallback;
}

// The number a numbered item key stands for: decimal digits without a leading
// zero, within the signed 32-bit range.
std::optional<int32_t> ItemNumber(std::string_view key) {
  if (key.empty() || key.size() > 10 || (key.size() > 1 && key.front() == '0')) return std::nullopt;
  int64_t n = 0;
  for (const char c : key) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n <= INT32_MAX ? std::optional<int32_t>(static_cast<int32_t>(n)) : std::nullopt;
}

// Items 0 .. ListCount-1, a missing one as the empty string. Only the keys the
// section holds are visited, so a huge count costs no more than the file's own
// lines: every missing number stands for the same empty string, which the set
// holds once.
void ReadList(const TProfile& ini, const char* section, TNameSet& set) {
  const int32_t count = ReadInt(ini, section, kCountKey, 0);
  if (count <= 0) return;
  std::vector<int32_t> present;
  for (const std::string& key : ini.KeyNames(section)) {
    if (const auto i = ItemNumber(key); i && *i < count) present.push_back(*i);
  }
  // In key order, so that of two names equal ignoring case the lower key's spelling stays.
  std::sort(present.begin(), present.end());
  for (const int32_t i : present) set.Add(ini.ReadString(section, std::to_string(i)).value_or(""));
  if (present.size() < static_cast<size_t>(count)) set.Add("");
}

void WriteList(TProfile& ini, const char* section, const TNameSet& set) {
  ini.WriteString(section, kCountKey, std::to_string(set.Count()));
  for (size_t i = 0; i < set.Count(); ++i) ini.WriteString(section, std::to_string(i), set[i]);
}

}  // namespace

void TConfig::LoadFromFile(const std::string& iniPath) {
  try {
    const TProfile ini = TProfile::Load(iniPath);
    FReadOnly = ReadBool(ini, "FReadOnly", FReadOnly);
    FHidden = ReadBool(ini, "FHidden", FHidden);
    FSysFile = ReadBool(ini, "FSysFile", FSysFile);
    ReadList(ini, kListSection, FIgnoreList);
    ReadList(ini, kExtSection, FIgnoreExt);
    FLowerSize = ReadInt(ini, kSizeSection, "FLowerSize", FLowerSize);
    for (size_t i = 0; i < FMoveTo.size(); ++i) FMoveTo[i] = ini.ReadString(kMoveSection, MoveKey(i)).value_or(FMoveTo[i]);
  } catch (const std::exception&) {
    // An ini file too large for memory: what was read so far stays.
  }
}

void TConfig::SaveToFile(const std::string& iniPath) const {
  try {
    std::optional<TProfile> ini = TProfile::Read(iniPath);
    if (!ini) throw std::runtime_error("unreadable");
    ini->WriteString(kAttrSection, "FReadOnly", FReadOnly ? "1" : "0");
    ini->WriteString(kAttrSection, "FHidden", FHidden ? "1" : "0");
    ini->WriteString(kAttrSection, "FSysFile", FSysFile ? "1" : "0");
    WriteList(*ini, kListSection, FIgnoreList);
    WriteList(*ini, kExtSection, FIgnoreExt);
    ini->WriteString(kSizeSection, "FLowerSize", std::to_string(FLowerSize));
    // Only targets that are or were set; a value that would break its line never goes in.
    for (size_t i = 0; i < FMoveTo.size(); ++i) {
      const bool inFile = ini->ReadString(kMoveSection, MoveKey(i)).has_value();
      if ((inFile || !FMoveTo[i].empty()) && FitsIniLine(FMoveTo[i]))
        ini->WriteString(kMoveSection, MoveKey(i), FMoveTo[i]);
    }
    ReplaceFileAtomically(iniPath, ini->Text());
  } catch (const std::exception&) {
    throw std::runtime_error(Format("%s に書き込めません", {iniPath}));
  }
}

std::string ChooseConfigFile(const std::string& besideExecutable, bool folderWritable, const std::string& userConfigHome) {
  if (folderWritable || userConfigHome.empty()) return besideExecutable;
  const std::string folder = userConfigHome + "/Korvane";
  ::mkdir(userConfigHome.c_str(), 0700);
  ::mkdir(folder.c_str(), 0700);
  return folder + "/Korvane.ini";
}

namespace {

std::string UserConfigHome() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return xdg;
  if (const char* home = std::getenv("HOME"); home && *home == '/') return std::string(home) + "/.config";
  return "";
}

}  // namespace

bool IsInstalledCopy(const std::string& executable) {
  const std::string folder = ExtractFilePath(executable);
  const std::string installed = "/" KORVANE_APP_INSTALL_DIR "/";
  return folder.size() >= installed.size() && folder.compare(folder.size() - installed.size(), installed.size(), installed) == 0;
}

std::string ConfigFilePath() {
  if (const char* named = std::getenv("KORVANE_INI"); named && *named) return named;
  const std::string& executable = OwnExecutablePath();
  if (executable.empty()) return "Korvane.ini";
  // Saving replaces the file through a new one beside it, so the folder must take new files.
  // An installed copy's folder belongs to the package manager even when root may write there.
  const bool writable = !IsInstalledCopy(executable) && ::access(ExtractFilePath(executable).c_str(), W_OK) == 0;
  return ChooseConfigFile(executable + ".ini", writable, UserConfigHome());
}

}  // namespace korvane
