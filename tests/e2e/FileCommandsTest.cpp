// The two commands that change the user's files, on the real program: F2
// renames the playing file, Delete sends the selected one to the trash.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "tests/e2e/DesktopDriver.h"
#include "tests/e2e/Images.h"
#include "harness/KorvaneProcess.h"
#include "harness/SessionBus.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

class MainFormWholeProgramFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
    for (const char* tool : {"gio", "dbus-run-session"})
      if (CommandOutput(std::string("command -v ") + tool).empty()) GTEST_SKIP() << tool << " is not installed";
    clips = media.MakeDir("clips");
  }

  bool WaitForOpen(TKorvaneProcess& korvane, const std::string& path) {
    return WaitUntil([&] {
      const std::vector<std::string> open = korvane.OpenFilesBelow(clips);
      return std::find(open.begin(), open.end(), path) != open.end();
    }, 20s);
  }
  bool WaitForPlaying(TKorvaneProcess& korvane, const std::string& path) {
    return WaitUntil([&] { return korvane.PlayingFilesBelow(clips) == std::vector<std::string>{path}; }, 20s);
  }

  // Presses keys on the main window and waits for the dialog they open.
  unsigned long OpenDialog(TKorvaneProcess& korvane, const std::string& keys, const std::string& caption) {
    korvane.Key(keys);
    return WaitForDialog(korvane, caption, 15s);
  }

  // gio's view of the program's trash (in its own data folder, on the clips'
  // file system), through the desktop's trash service on a private bus.
  std::string Gio(const TKorvaneProcess& korvane, const std::vector<std::string>& arguments) {
    TTempDir home;
    std::vector<std::string> command{"env", "-u", "DBUS_SESSION_BUS_ADDRESS"};
    for (const std::string& variable : PrivateHome(home.Path())) command.push_back(variable);
    command.push_back("XDG_DATA_HOME=" + korvane.DataHome());
    for (const char* part : {"dbus-run-session", "--", "gio", "trash"}) command.push_back(part);
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunTool(command, false).out;
  }

  static constexpr char kAnySize[] = "[LowerSize]\nFLowerSize=0\n";
  TTempDir media;
  std::string clips;
};

TEST_F(MainFormWholeProgramFiles, F2RenamesThePlayingFileButNeverOntoAnother) {
  const std::string a = MakeClip(clips, "a.mp4", 20), b = MakeClip(clips, "b.mp4", 20);
  ASSERT_FALSE(a.empty() || b.empty());
  const std::string aBytes = ReadFile(a), bBytes = ReadFile(b);
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a)) << korvane.Stderr();

  // The proposal is the file's name, fully selected: typing replaces it.
  unsigned long dialog = OpenDialog(korvane, "F2", "ファイル名変更");
  ASSERT_NE(dialog, 0u) << korvane.Stderr();
  TypeTo(dialog, "b");
  KeyTo(dialog, "Return");
  ASSERT_TRUE(WaitUntilHidden(korvane, dialog, 10s));

  // The next dialog shows once the refused move is behind: both files as they were.
  dialog = OpenDialog(korvane, "F2", "ファイル名変更");
  ASSERT_NE(dialog, 0u);
  EXPECT_EQ(ReadFile(a), aBytes);
  EXPECT_EQ(ReadFile(b), bBytes);
  KeyTo(dialog, "ctrl+a");
  TypeTo(dialog, "renamed");
  KeyTo(dialog, "Return");
  const std::string renamed = clips + "/renamed.mp4";
  ASSERT_TRUE(WaitUntil([&] { return Exists(renamed); }, 10s));
  EXPECT_FALSE(Exists(a));
  EXPECT_EQ(ReadFile(renamed), aBytes);
  EXPECT_EQ(ReadFile(b), bBytes);

  // The new path is the list's last entry; the old one, now missing, stays before it.
  korvane.Key("Down");
  ASSERT_TRUE(WaitForPlaying(korvane, b));
  korvane.Key("Down");
  EXPECT_TRUE(WaitForPlaying(korvane, renamed));
  EXPECT_TRUE(korvane.Running());
}

TEST_F(MainFormWholeProgramFiles, DeleteAsksThenTrashesRestorablyAndPlaysTheNext) {
  const std::string a = MakeClip(clips, "a.mp4", 20), b = MakeClip(clips, "b.mp4", 20),
                    c = MakeClip(clips, "c.mp4", 20);
  ASSERT_FALSE(a.empty() || b.empty() || c.empty());
  const std::string bBytes = ReadFile(b);
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a)) << korvane.Stderr();

  // Declined: the file stays, playback goes on with the next one all the same.
  unsigned long box = OpenDialog(korvane, "Delete", "ファイルの削除");
  ASSERT_NE(box, 0u) << korvane.Stderr();
  KeyTo(box, "Escape");
  ASSERT_TRUE(WaitForPlaying(korvane, b));
  EXPECT_TRUE(Exists(a));

  // Confirmed with the default button.
  box = OpenDialog(korvane, "Delete", "ファイルの削除");
  ASSERT_NE(box, 0u);
  KeyTo(box, "Return");
  ASSERT_TRUE(WaitForPlaying(korvane, c));
  EXPECT_FALSE(Exists(b));
  EXPECT_EQ(ReadFile(korvane.DataHome() + "/Trash/files/b.mp4"), bBytes);

  // The desktop sees it in its trash under its old place, and can bring it back.
  EXPECT_EQ(Gio(korvane, {"--list"}), "trash:///b.mp4\t" + b);
  Gio(korvane, {"--restore", "trash:///b.mp4"});
  EXPECT_EQ(ReadFile(b), bBytes);
  EXPECT_EQ(Gio(korvane, {"--list"}), "");
  EXPECT_TRUE(korvane.Running());
}

// Alt+1 sends the playing file to target 1 without a question, beside a file
// of the same name that stays, and the next plays; Ctrl+Z brings it back and
// plays it. The run's own save keeps the target.
TEST_F(MainFormWholeProgramFiles, AltDigitMovesToItsTargetAndCtrlZBringsItBack) {
  const std::string a = MakeClip(clips, "a.mp4", 20), b = MakeClip(clips, "b.mp4", 20);
  ASSERT_FALSE(a.empty() || b.empty());
  const std::string target = media.MakeDir("kept"), taken = media.WriteFile("kept/a.mp4", "other");
  const std::string aBytes = ReadFile(a);
  TKorvaneProcess korvane({clips}, std::string(kAnySize) + "[MoveTo]\nFMoveTo1=" + target + "\n");
  ASSERT_TRUE(WaitForOpen(korvane, a)) << korvane.Stderr();
  korvane.Key("alt+1");
  ASSERT_TRUE(WaitForPlaying(korvane, b)) << korvane.Stderr();
  EXPECT_FALSE(Exists(a));
  EXPECT_EQ(ReadFile(target + "/a (2).mp4"), aBytes);
  EXPECT_EQ(ReadFile(taken), "other");

  korvane.Key("ctrl+z");
  ASSERT_TRUE(WaitForPlaying(korvane, a)) << korvane.Stderr();
  EXPECT_EQ(ReadFile(a), aBytes);
  EXPECT_FALSE(Exists(target + "/a (2).mp4"));
  korvane.Close();
  ASSERT_EQ(korvane.WaitForExit(10s), 0);
  EXPECT_NE(ReadFile(korvane.IniPath()).find("FMoveTo1=" + target), std::string::npos);
}

// The three commands beyond the first ones, on the real program: Ctrl+Z takes
// the trashed file back and plays it, ] twice plays at 1.5 times shown in the
// status bar, F11 shows the picture alone and F11 again the window as it was.
TEST_F(MainFormWholeProgramFiles, CtrlZUndoesTheTrashThenFasterThenFullScreen) {
  if (CommandOutput("command -v dbus-daemon").empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  const std::string a = MakeClip(clips, "a.mp4", 30), b = MakeClip(clips, "b.mp4", 30);
  ASSERT_FALSE(a.empty() || b.empty());
  const std::string aBytes = ReadFile(a);
  TPrivateSessionBus bus;
  ASSERT_TRUE(bus.Up());
  TKorvaneProcess korvane({clips}, kAnySize);
  ASSERT_TRUE(WaitForOpen(korvane, a)) << korvane.Stderr();
  const unsigned long box = OpenDialog(korvane, "Delete", "ファイルの削除");
  ASSERT_NE(box, 0u) << korvane.Stderr();
  KeyTo(box, "Return");
  ASSERT_TRUE(WaitForPlaying(korvane, b));
  ASSERT_FALSE(Exists(a));

  korvane.Key("ctrl+z");
  ASSERT_TRUE(WaitForPlaying(korvane, a)) << korvane.Stderr();
  EXPECT_EQ(ReadFile(a), aBytes);
  EXPECT_EQ(Gio(korvane, {"--list"}), "");
  EXPECT_TRUE(WaitUntil([&] { return MprisProperty("PlaybackStatus").find("\"Playing\"") != std::string::npos; }, 10s));

  const std::string normal = media / "normal.png", faster = media / "faster.png", full = media / "full.png",
                    back = media / "back.png";
  ASSERT_TRUE(korvane.Screenshot(normal));
  const std::string size = ImageSize(normal);
  const int width = std::atoi(size.c_str()), height = std::atoi(size.substr(size.find('x') + 1).c_str());
  const std::string panel2 = "40x15+" + std::to_string(380) + "+" + std::to_string(height - 17);
  korvane.Key("bracketright");
  korvane.Key("bracketright");
  EXPECT_TRUE(WaitUntil([&] { return MprisProperty("Rate").find("double 1.5") != std::string::npos; }, 5s))
      << MprisProperty("Rate");
  ASSERT_TRUE(WaitUntil([&] { return korvane.Screenshot(faster) && DifferingPixels(normal, faster, panel2) > 0; }, 5s))
      << "status panel 2 shows no speed";

  korvane.Key("F11");
  // The clip (4:3) fills the screen's width: above and below it only black,
  // where the menu and the strips were.
  const std::string above = "1280x20+0+0", below = "1280x20+0+1004";
  EXPECT_TRUE(WaitUntil([&] {
    return korvane.Screenshot(full) && ImageSize(full) == "1280x1024" && Brightest(full, above) == 0 &&
           Brightest(full, below) == 0;
  }, 5s)) << ImageSize(full) << ", brightest above " << Brightest(full, above) << " and below " << Brightest(full, below);
  korvane.Key("F11");
  ASSERT_TRUE(WaitUntil([&] { return korvane.Screenshot(back) && ImageSize(back) == size; }, 5s)) << ImageSize(back);
  // The window takes its size back before its menu bar is drawn again.
  EXPECT_TRUE(WaitUntil([&] {
    return korvane.Screenshot(back) && DifferingPixels(faster, back, std::to_string(width) + "x20+0+0") == 0;
  }, 5s)) << "the menu bar is not back";
  EXPECT_TRUE(korvane.Running());
}

}  // namespace
}  // namespace korvane::test
