#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>


#include <algorithm>
#include <cstring>
#include <fstream>

#include "tests/e2e/DesktopDriver.h"
#include "tests/e2e/Images.h"
#include "harness/KorvaneProcess.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

// Whether the process holds the signal back or catches it: from then on it is not killed by it.
bool TakesCareOf(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  unsigned long long mask = 0;
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigBlk:", 0) == 0 || line.rfind("SigCgt:", 0) == 0) mask |= std::stoull(line.substr(7), nullptr, 16);
  return mask & (1ull << (signal - 1));
}

class MainFormWholeProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
  }
  TTempDir media;
};

TEST_F(MainFormWholeProgram, PlaysAFolderOfThreeClipsThroughToTheEnd) {
  const std::string clips = media.MakeDir("clips");
  // Made out of order: the list plays them sorted.
  std::vector<std::string> expected;
  for (const char* name : {"c.mp4", "a.mp4", "B.mp4"}) ASSERT_FALSE(MakeClip(clips, name, 2).empty());
  expected = {clips + "/a.mp4", clips + "/B.mp4", clips + "/c.mp4"};

  TKorvaneProcess korvane({clips});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();

  std::vector<std::string> played;
  bool pictureSeen = false;
  const bool ended = WaitUntil([&] {
    // Files opened ahead are open too, but only the one playing is named in the caption.
    const std::vector<std::string> open = korvane.PlayingFilesBelow(clips);
    for (const std::string& path : open)
      if (played.empty() || played.back() != path) played.push_back(path);
    if (!open.empty() && !pictureSeen && korvane.Screenshot(media / "shot.png"))
      // A test pattern has hundreds of colours, a blank panel one.
      pictureSeen = Colours(media / "shot.png", MiddleRegion(media / "shot.png")) > 50;
    return played.size() >= expected.size() && korvane.OpenFilesBelow(clips).empty();
  }, 40s);
  EXPECT_TRUE(ended) << korvane.Stderr();
  EXPECT_EQ(played, expected);
  EXPECT_TRUE(pictureSeen);
  EXPECT_TRUE(korvane.Running());

  korvane.Close();
  EXPECT_EQ(korvane.WaitForExit(10s), 0) << korvane.Stderr();
}

TEST_F(MainFormWholeProgram, ShowsItsIconAndClosingTheWindowSavesTheSettingsAndEnds) {
  TKorvaneProcess korvane({});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
  EXPECT_EQ(korvane.Caption(), "MainForm");
  EXPECT_NE(CommandOutput("xprop -id " + std::to_string(korvane.Window()) + " _NET_WM_ICON").find("Icon ("), std::string::npos)
      << "the window carries no icon";
  korvane.Close();
  EXPECT_EQ(korvane.WaitForExit(10s), 0) << korvane.Stderr();
  EXPECT_FALSE(ReadFile(korvane.IniPath()).empty());
}

// Names differing only in case are two files here, and a name that is not
// UTF-8 comes through the command line byte for byte.
TEST_F(MainFormWholeProgram, PlaysClipAndclipAndANameThatIsNotUtf8) {
  const std::string clips = media.MakeDir("clips");
  std::vector<std::string> expected;
  for (const char* name : {"Clip.mp4", "clip.mp4"}) expected.push_back(MakeClip(clips, name, 2));
  expected.push_back(MakeClip(media.Path(), "caf\xE9.mp4", 2));
  for (const std::string& clip : expected) ASSERT_FALSE(clip.empty());

  TKorvaneProcess korvane({clips, expected.back()});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(korvane.SeenOpenBelow(media.Path(), expected.size(), 40s), expected) << korvane.Stderr();
}

// SIGTERM once as early as the program can take it, once with the window up,
// once with the box of Delete open (the signal ends its loop too; nothing is
// trashed); SIGINT and SIGHUP with the window up.
TEST_F(MainFormWholeProgram, AQuitSignalEndsTheProgramAsClosingTheWindowDoes) {
  const std::string clip = MakeClip(media.Path(), "a.mp4", 4);
  ASSERT_FALSE(clip.empty());
  const std::pair<int, std::string> cases[] = {
      {SIGTERM, "early"}, {SIGTERM, "window"}, {SIGTERM, "box"}, {SIGINT, "window"}, {SIGHUP, "window"}};
  for (const auto& [signal, when] : cases) {
    SCOPED_TRACE(strsignal(signal) + (" " + when));
    TKorvaneProcess korvane({clip});
    if (when == "early") {
      ASSERT_TRUE(WaitUntil([&] { return TakesCareOf(korvane.Pid(), signal); }, 10s));
    } else {
      ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
    }
    if (when == "box") {
      ASSERT_TRUE(WaitUntil([&] { return !korvane.OpenFilesBelow(media.Path()).empty(); }, 20s));
      korvane.Key("Delete");
      ASSERT_NE(WaitForDialog(korvane, "ファイルの削除", 10s), 0u) << korvane.Stderr();
    }
    kill(korvane.Pid(), signal);
    EXPECT_EQ(korvane.WaitForExit(10s), 0) << korvane.Stderr();
    EXPECT_FALSE(ReadFile(korvane.IniPath()).empty());
  }
  EXPECT_FALSE(ReadFile(clip).empty());
}

// An X server that goes away while a file plays: the program ends with status
// 1 and a word on stderr, its settings saved, and no crash on the way out.
TEST_F(MainFormWholeProgram, AnXServerThatGoesAwayEndsTheProgramWithItsSettingsSaved) {
  const std::string clip = MakeClip(media.Path(), "a.mp4", 4);
  ASSERT_FALSE(clip.empty());
  // A display number of this test's own; the server is up once its socket is.
  const std::string number = std::to_string(300 + getpid() % 600);
  const pid_t server = fork();
  if (server == 0) {
    execlp("Xvfb", "Xvfb", (":" + number).c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_TRUE(WaitUntil([&] { return access(("/tmp/.X11-unix/X" + number).c_str(), F_OK) == 0; }, 10s));
  const std::string ownDisplay = ":" + number;
  const std::string testDisplay = std::getenv("DISPLAY");
  setenv("DISPLAY", ownDisplay.c_str(), 1);
  TKorvaneProcess korvane({clip});
  setenv("DISPLAY", testDisplay.c_str(), 1);
  ASSERT_TRUE(WaitUntil([&] { return !korvane.OpenFilesBelow(media.Path()).empty(); }, 20s)) << korvane.Stderr();
  kill(server, SIGKILL);
  waitpid(server, nullptr, 0);
  EXPECT_EQ(korvane.WaitForExit(15s), 1) << korvane.Stderr();
  EXPECT_NE(korvane.Stderr().find("X11 connection broke"), std::string::npos) << korvane.Stderr();
  EXPECT_FALSE(ReadFile(korvane.IniPath()).empty());
}

// On Wayland (scripts/with-weston.sh) a move hides one render window and shows
// another, which takes the hidden one's surface: a folder plays through, every
// file opened ahead, and a SIGTERM then ends the program as a close does.
TEST(WaylandWholeProgram, AFolderOfShortClipsPlaysThroughAndEnds) {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!std::getenv("WAYLAND_DISPLAY") || !platform || std::string(platform) != "wayland")
    GTEST_SKIP() << "not on Wayland: run under scripts/with-weston.sh";
  if (KorvanePath().empty()) GTEST_SKIP() << "build/Korvane has not been built";
  TTempDir media;
  const std::string clips = media.MakeDir("clips");
  std::vector<std::string> expected;
  for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"}) {
    expected.push_back(MakeClip(clips, name, 2));
    ASSERT_FALSE(expected.back().empty());
  }
  TKorvaneProcess korvane({clips});
  EXPECT_EQ(korvane.SeenOpenBelow(clips, expected.size(), 60s), expected) << korvane.Stderr();
  EXPECT_TRUE(WaitUntil([&] { return korvane.OpenFilesBelow(clips).empty(); }, 20s));
  ASSERT_TRUE(korvane.Running()) << korvane.Stderr();
  kill(korvane.Pid(), SIGTERM);
  EXPECT_EQ(korvane.WaitForExit(15s), 0) << korvane.Stderr();
  EXPECT_FALSE(ReadFile(korvane.IniPath()).empty());
}

}  // namespace
}  // namespace korvane::test
