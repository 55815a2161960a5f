// The two commands that change the user's files, on the real program: F2
// renames the playing file, Delete sends the selected one to the trash.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "tests/e2e/DesktopDriver.h"
#include "tests/e2e/KorvaneProcess.h"

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
    // The program and gio share a trash of their own, on the clips' file system.
    dataHome = media.MakeDir("data");
    if (const char* old = std::getenv("XDG_DATA_HOME")) oldDataHome = old;
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
  }
  void TearDown() override {
    if (oldDataHome) setenv("XDG_DATA_HOME", oldDataHome->c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
  }

  bool WaitForOpen(TKorvaneProcess& korvane, const std::string& path) {
    return WaitUntil([&] {
      const std::vector<std::string> open = korvane.OpenFilesBelow(clips);
      return std::find(open.begin(), open.end(), path) != open.end();
    }, 20s);
  }
  bool WaitForOnlyOpen(TKorvaneProcess& korvane, const std::string& path) {
    return WaitUntil([&] { return korvane.OpenFilesBelow(clips) == std::vector<std::string>{path}; }, 20s);
  }

  // Presses keys on the main window and waits for the dialog they open.
  unsigned long OpenDialog(TKorvaneProcess& korvane, const std::string& keys, const std::string& caption) {
    korvane.Key(keys);
    return WaitForDialog(korvane, caption, 15s);
  }

  // gio's view of the trash, through the desktop's own trash service on a private bus.
  std::string Gio(const std::string& arguments) {
    return CommandOutput("dbus-run-session -- gio trash " + arguments + " 2>/dev/null");
  }

  static constexpr char kAnySize[] = "[LowerSize]\nFLowerSize=0\n";
  TempDir media;
  std::string clips, dataHome;
  std::optional<std::string> oldDataHome;
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
  ASSERT_TRUE(WaitForOnlyOpen(korvane, b));
  korvane.Key("Down");
  EXPECT_TRUE(WaitForOnlyOpen(korvane, renamed));
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
  ASSERT_TRUE(WaitForOnlyOpen(korvane, b));
  EXPECT_TRUE(Exists(a));

  // Confirmed with the default button.
  box = OpenDialog(korvane, "Delete", "ファイルの削除");
  ASSERT_NE(box, 0u);
  KeyTo(box, "Return");
  ASSERT_TRUE(WaitForOnlyOpen(korvane, c));
  EXPECT_FALSE(Exists(b));
  EXPECT_EQ(ReadFile(dataHome + "/Trash/files/b.mp4"), bBytes);

  // The desktop sees it in its trash under its old place, and can bring it back.
  EXPECT_EQ(Gio("--list"), "trash:///b.mp4\t" + b);
  Gio("--restore trash:///b.mp4");
  EXPECT_EQ(ReadFile(b), bBytes);
  EXPECT_EQ(Gio("--list"), "");
  EXPECT_TRUE(korvane.Running());
}

}  // namespace
}  // namespace korvane::test
