#include "app/startup/CommandLine.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "dialogs/info/VersionInfo.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

using test::TTempDir;

TEST(CommandLine, OnlyTheTwoOptionsBeforeTheEndMarkerAreOptions) {
  EXPECT_EQ(ParseOptions({}).answer, TOptionAnswer::None);
  EXPECT_EQ(ParseOptions({"/m/a.mp4", "--help"}).answer, TOptionAnswer::Help);
  EXPECT_EQ(ParseOptions({"--version", "--help"}).answer, TOptionAnswer::Version);
  const TCommandLineOptions paths = ParseOptions({"-h", "-help", "--HELP", "-V", "/starup", "-", "---"});
  EXPECT_EQ(paths.answer, TOptionAnswer::None);
  EXPECT_FALSE(paths.endOfOptions);
  const TCommandLineOptions ended = ParseOptions({"x", "--", "--help", "--"});
  EXPECT_EQ(ended.answer, TOptionAnswer::None);
  EXPECT_EQ(ended.endOfOptions, 1u);
}

TEST(CommandLine, TheFirstEndMarkerIsDroppedAndTheRestStaysInOrder) {
  char name[] = "Korvane", a[] = "a", dashes[] = "--", dashes2[] = "--", help[] = "--help";
  char* argv[] = {name, a, dashes, dashes2, help, nullptr};
  int argc = 5;
  EXPECT_FALSE(AnswerOptions(argc, argv));
  ASSERT_EQ(argc, 4);
  EXPECT_STREQ(argv[1], "a");
  EXPECT_STREQ(argv[2], "--");
  EXPECT_STREQ(argv[3], "--help");
  EXPECT_EQ(argv[4], nullptr);

  char* empty[] = {nullptr};
  int none = 0;
  EXPECT_FALSE(AnswerOptions(none, empty));
}

struct ProgramRun {
  int status = -1;
  std::string out;
};

// The program with no display to open a window on, no session bus, and a
// home and runtime folder of its own.
ProgramRun RunProgram(const std::string& exe, const std::string& home, const std::string& arg) {
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS HOME=" + home +
                              " XDG_DATA_HOME=" + home + "/data XDG_CONFIG_HOME=" + home + "/config XDG_CACHE_HOME=" +
                              home + "/cache XDG_RUNTIME_DIR=" + home + "/runtime " + exe + " " + arg;
  ProgramRun run;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return run;
}

bool IsEmptyFolder(const std::string& path) {
  DIR* dir = opendir(path.c_str());
  if (!dir) return false;
  int entries = 0;
  while (readdir(dir)) ++entries;
  closedir(dir);
  return entries == 2;
}

TEST(CommandLine, TheProgramAnswersWithoutWindowOrLock) {
  const char* build = std::getenv("KORVANE_BUILD_DIR");
  const std::string exe = std::string(build ? build : ".") + "/Korvane";
  if (!build || access(exe.c_str(), X_OK) != 0) GTEST_SKIP() << "the program has not been built";
  TTempDir home;
  const std::string runtime = home.MakeDir("runtime");
  // Open to others, the folder would not be used: the lock would go elsewhere.
  ASSERT_EQ(chmod(runtime.c_str(), 0700), 0);

  const ProgramRun version = RunProgram(exe, home.Path(), "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Korvane " + GetVersionValue("FileVersion", exe) + "\n");
  EXPECT_NE(GetVersionValue("FileVersion", exe), "");

  const ProgramRun help = RunProgram(exe, home.Path(), "/m/a.mp4 --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, HelpText("Korvane"));
  EXPECT_TRUE(IsEmptyFolder(runtime)) << "no lock, no hand-off socket";

  EXPECT_EQ(RunProgram(exe, home.Path(), "--version >/dev/full").status, 1);

  // The front alone answers the options itself, and says what it misses for a window.
  const std::string front = home.WriteFile("Korvane", test::ReadFile(exe));
  ASSERT_EQ(chmod(front.c_str(), 0755), 0);
  EXPECT_EQ(RunProgram(front, home.Path(), "--version").out, version.out);
  const ProgramRun alone = RunProgram(front, home.Path(), "/m/a.mp4 2>&1");
  EXPECT_EQ(alone.status, 1);
  EXPECT_EQ(alone.out, "Korvane: cannot start " + home.Path() + "/Korvane.bin: No such file or directory\n");
}

}  // namespace
}  // namespace korvane
