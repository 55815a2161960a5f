#include "dialogs/info/DesktopEntry.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "harness/TempDir.h"

namespace korvane {
namespace {

using test::ReadFile;
using test::TTempDir;

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
  TTempDir dir;
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
  TTempDir dir;
  CreateShortcut("/opt/My Apps/Korvane", dir.Path(), "Korvane");
  EXPECT_NE(ReadFile(dir / "Korvane.desktop").find("Path=/opt/My Apps\n"), std::string::npos);
}

// What a stand-in for the program saw when GLib started it: its working folder,
// then its argv one a line.
std::string LaunchThroughGLib(const TTempDir& dir, const std::string& folder) {
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

// A temporary folder under the build tree, which, unlike /tmp, only its owner
// may write to; none (and the test skips) when there is no such build tree.
std::unique_ptr<TTempDir> ClosedTempDir() {
  const char* build = std::getenv("KORVANE_BUILD_DIR");
  if (!build || !WhyLauncherIsUnsafe(std::string(build) + "/Korvane").empty()) return nullptr;
  const std::string before = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
  setenv("TMPDIR", build, 1);
  auto dir = std::make_unique<TTempDir>();
  if (before.empty()) unsetenv("TMPDIR");
  else setenv("TMPDIR", before.c_str(), 1);
  return dir;
}

TEST(InfoDesktopEntry, GLibStartsTheProgramInItsFolder) {
  const std::unique_ptr<TTempDir> closed = ClosedTempDir();
  if (!closed) GTEST_SKIP() << "no build folder closed to other users";
  const TTempDir& dir = *closed;
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
  TTempDir dir;
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

// Whoever can write a folder above the program could put another program at
// its path, which the entry would then start at login.
TEST(InfoDesktopEntry, NoEntryForAProgramThatOthersCouldReplace) {
  const std::unique_ptr<TTempDir> closed = ClosedTempDir();
  if (!closed) GTEST_SKIP() << "no build folder closed to other users";
  const TTempDir& dir = *closed;
  TTempDir tmp;
  const std::string desktop = dir.MakeDir("Desktop");
  const auto program = [&](const std::string& folder, mode_t folderMode) {
    const std::string path = dir.WriteFile(folder + "/Korvane", "#!/bin/sh\n");
    chmod((dir / folder).c_str(), folderMode);
    chmod(path.c_str(), 0755);
    return path;
  };
  const std::string open = program("open/bin", 0755);
  chmod((dir / "open").c_str(), 0777);
  const std::string inTmp = tmp.WriteFile("bin/Korvane", "#!/bin/sh\n");
  const std::string link = dir / "link";
  ASSERT_EQ(symlink(inTmp.c_str(), link.c_str()), 0);
  const std::string writable = program("plain", 0755);
  const std::vector<std::pair<std::string, std::string>> refused = {
      {open, dir / "open may be written to by other users"},
      {program("group", 0775), dir / "group may be written to by other users"},
      {inTmp, "/tmp is a temporary folder"},
      {link, "/tmp is a temporary folder"},
      {writable, writable + " may be written to by other users"}};
  chmod(writable.c_str(), 0757);
  for (const auto& [target, why] : refused) {
    try {
      CreateShortcut(target, desktop, "Korvane");
      ADD_FAILURE() << "an entry for " << target;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("No launcher is made for " + target + ": " + why), std::string::npos)
          << e.what();
    }
  }
  EXPECT_EQ(EntriesIn(desktop), 0);

  // Closed folders, a sticky folder of root's holding our own, and a system program are fine.
  CreateShortcut(program("closed", 0755), desktop, "Closed");
  const std::string ours = program("sticky/ours", 0755);
  chmod((dir / "sticky").c_str(), 01777);
  if (geteuid() == 0) CreateShortcut(ours, desktop, "Sticky");
  CreateShortcut("/bin/sh", desktop, "Shell");
  EXPECT_EQ(EntriesIn(desktop), geteuid() == 0 ? 3 : 2);
}

}  // namespace
}  // namespace korvane
