#include "dialogs/DesktopEntry.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/TempDir.h"

namespace korvane {
namespace {

using test::ReadFile;
using test::TempDir;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

int EntriesIn(const std::string& folder) {
  int n = 0;
  if (DIR* d = opendir(folder.c_str())) {
    while (const dirent* e = readdir(d)) n += e->d_name[0] != '.' || (e->d_name[1] && e->d_name[1] != '.') ? 1 : 0;
    closedir(d);
  }
  return n;
}

TEST(InfoDesktopEntry, WrittenExecutableAndOverwritten) {
  TempDir dir;
  const std::string desktop = dir.MakeDir("Desktop");
  dir.WriteFile("Desktop/Korvane.desktop", "old entry");
  CreateShortcut("/opt/tools/Korvane", desktop + "/", "Korvane");
  const std::string entry = desktop + "/Korvane.desktop";
  EXPECT_EQ(ReadFile(entry),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Korvane\n"
            "Exec=\"/opt/tools/Korvane\" /starup\n"
            "Path=/opt/tools\n");
  EXPECT_EQ(ModeOf(entry), 0755u);
  EXPECT_EQ(EntriesIn(desktop), 1);
  if (std::system("command -v desktop-file-validate >/dev/null") == 0) {
    EXPECT_EQ(std::system(("desktop-file-validate " + entry).c_str()), 0);
  }
}

TEST(InfoDesktopEntry, ExecQuotingOfAwkwardPaths) {
  EXPECT_EQ(QuoteExecArgument("/opt/My $Apps/100%/\"K\"`x`\\Korvane"),
            "\"/opt/My \\$Apps/100%%/\\\"K\\\"\\`x\\`\\\\Korvane\"");
  TempDir dir;
  CreateShortcut("/opt/My Apps/Korvane", dir.Path(), "Korvane");
  EXPECT_NE(ReadFile(dir / "Korvane.desktop").find("Path=/opt/My Apps\n"), std::string::npos);
}

// What a stand-in for the program saw when GLib started it: its working folder,
// then its argv one a line.
std::string LaunchThroughGLib(const TempDir& dir, const std::string& folder) {
  const std::string seen = dir / "seen";
  const std::string target = dir.WriteFile(folder + "/Korvane",
                                           "#!/bin/sh\n{ pwd -P; printf '%s\\n' \"$0\" \"$@\"; } > '" + seen +
                                               ".part' && mv '" + seen + ".part' '" + seen + "'\n");
  chmod(target.c_str(), 0755);
  std::remove(seen.c_str());
  CreateShortcut(target, dir.Path(), "Korvane");
  const std::string entry = dir / "Korvane.desktop";
  if (std::system(("desktop-file-validate '" + entry + "'").c_str()) != 0) return "invalid entry";
  if (std::system(("gio launch '" + entry + "'").c_str()) != 0) return "not launched";
  for (int i = 0; i < 200 && access(seen.c_str(), F_OK) != 0; ++i) usleep(50000);
  return ReadFile(seen);
}

TEST(InfoDesktopEntry, GLibStartsTheProgramInItsFolder) {
  TempDir dir;
  for (const std::string folder : {"plain", "100% of \"$HOME\" `x` \\ 'q' %f"}) {
    SCOPED_TRACE(folder);
    const std::string path = dir.MakeDir(folder);
    char* real = realpath(path.c_str(), nullptr);
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(LaunchThroughGLib(dir, folder), std::string(real) + "\n" + path + "/Korvane\n/starup\n");
    free(real);
  }
}

TEST(InfoDesktopEntry, FailuresRaiseTheSystemText) {
  TempDir dir;
  try {
    CreateShortcut("/opt/Korvane", dir / "no such folder", "Korvane");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "No such file or directory");
  }
  EXPECT_THROW(CreateShortcut("/opt/Korvane", "", "Korvane"), std::runtime_error);
  EXPECT_THROW(CreateShortcut("/opt/Korvane", dir.WriteFile("plain file", "x"), "Korvane"), std::runtime_error);
  // An entry name taken by a folder: the error, and no temporary file left behind.
  const std::string desktop = dir.MakeDir("Desktop");
  dir.MakeDir("Desktop/Korvane.desktop");
  EXPECT_THROW(CreateShortcut("/opt/Korvane", desktop, "Korvane"), std::runtime_error);
  EXPECT_EQ(EntriesIn(desktop), 1);
}

}  // namespace
}  // namespace korvane
