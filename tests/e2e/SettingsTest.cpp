// The settings dialog on the real program: what is applied filters the files
// of a folder dropped afterwards, is in the ini file after a normal exit and
// filters the search of the next run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/DesktopDriver.h"
#include "config/Config.h"
#include "harness/KorvaneProcess.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

long long SizeOf(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

class MainFormWholeProgramSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
    clips = media.MakeDir("clips");
  }

  // Every clip the program opens until the list is played through.
  std::vector<std::string> PlayedThrough(TKorvaneProcess& korvane) {
    std::vector<std::string> played;
    WaitUntil([&] {
      const std::vector<std::string> open = korvane.OpenFilesBelow(clips);
      for (const std::string& path : open)
        if (std::find(played.begin(), played.end(), path) == played.end()) played.push_back(path);
      return !played.empty() && open.empty();
    }, 60s);
    return played;
  }

  TTempDir media;
  std::string clips;
};

TEST_F(MainFormWholeProgramSettings, AppliedSettingsFilterADroppedFolderAndTheNextRun) {
  // Sorted first, a clip below the bound to be set; then one to keep; then one
  // above the bound whose name goes on the ignore list.
  const std::string small = MakeClip(clips, "a-small.mp4", 1), kept = MakeClip(clips, "b-kept.mp4", 4),
                    ignored = MakeClip(clips, "c-ignored.mp4", 4);
  ASSERT_FALSE(small.empty() || kept.empty() || ignored.empty());
  ASSERT_LT(SizeOf(small), SizeOf(kept));
  const std::string bound = std::to_string((SizeOf(small) + SizeOf(kept)) / 2);

  std::string savedIni;
  {
    TKorvaneProcess korvane({});
    ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
    ASSERT_TRUE(ChooseMenu(korvane, 2, 1));  // 確認 > 設定...
    const unsigned long dialog = WaitForDialog(korvane, "ConfigForm", 15s);
    ASSERT_NE(dialog, 0u) << korvane.Stderr();
    ClickAt(dialog, 260, 50);  // EditLowerSize
    KeyTo(dialog, "ctrl+a");
    TypeTo(dialog, bound);
    ClickAt(dialog, 100, 184);  // MemIgnoreList
    TypeTo(dialog, "c-ignored.mp4");
    ClickAt(dialog, 237, 260);  // BtnApply
    ASSERT_TRUE(WaitUntilHidden(korvane, dialog, 10s));

    ASSERT_TRUE(DropPaths(korvane, 360, 30, {clips}));  // onto the media list
    EXPECT_EQ(PlayedThrough(korvane), std::vector<std::string>{kept}) << korvane.Stderr();

    korvane.Close();
    ASSERT_EQ(korvane.WaitForExit(10s), 0) << korvane.Stderr();
    savedIni = ReadFile(korvane.IniPath());
  }
  EXPECT_NE(savedIni.find("FLowerSize=" + bound + "\n"), std::string::npos) << savedIni;
  EXPECT_NE(savedIni.find("[IgnoreList]\nListCount=1\n0=c-ignored.mp4\n"), std::string::npos) << savedIni;

  TKorvaneProcess next({clips}, savedIni);
  EXPECT_EQ(PlayedThrough(next), std::vector<std::string>{kept}) << next.Stderr();
}

// A save that fails once the window has closed says so on stderr: a box then
// would stand unseen and hold the exit.
TEST_F(MainFormWholeProgramSettings, ASaveThatFailsAfterTheCloseIsReportedOnStderr) {
  TKorvaneProcess korvane({});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
  // A folder where the ini goes: nothing can be renamed over it, not even by root.
  std::remove(korvane.IniPath().c_str());
  ASSERT_EQ(mkdir(korvane.IniPath().c_str(), 0700), 0);
  korvane.Close();
  ASSERT_EQ(korvane.WaitForExit(15s), 0) << korvane.Stderr();
  EXPECT_NE(korvane.Stderr().find("the settings were not saved"), std::string::npos) << korvane.Stderr();
}

std::vector<std::string> Items(const TNameSet& set) { return {set.begin(), set.end()}; }

// A copy of the program with its ini beside it, as a user unpacks it: the
// entries after a gap in the numbered keys and the byte order mark survive a
// normal close, also when the program's file is replaced while it runs.
TEST_F(MainFormWholeProgramSettings, AReplacedProgramSavesToItsOwnIniAndKeepsEveryEntry) {
  TTempDir home;
  // The front and the full program it starts.
  const std::vector<std::string> names = {"Korvane", "Korvane.bin"};
  const std::string build = KorvanePath().substr(0, KorvanePath().rfind('/') + 1);
  std::vector<std::string> binaries;
  for (const std::string& name : names) {
    binaries.push_back(ReadFile(build + name));
    ASSERT_EQ(chmod(home.WriteFile(name, binaries.back()).c_str(), 0755), 0);
  }
  const std::string program = home / "Korvane";
  const std::string ini = home.WriteFile("Korvane.ini",
                                         "\xEF\xBB\xBF[IgnoreAttr]\r\nFHidden=0\r\n"
                                         "[IgnoreList]\r\nListCount=3\r\n2=keep-me.txt\r\n"
                                         "[IgnoreExt]\r\nListCount=10\r\n5=.keepext\r\n");
  TKorvaneProcess korvane({}, TStartOptions{.program = program});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();

  // An upgrade writes each new file beside the old one and renames it over.
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string next = home.WriteFile(names[i] + ".new", binaries[i]);
    ASSERT_EQ(std::rename(next.c_str(), (home / names[i]).c_str()), 0);
  }
  // Asked again while it runs: a request that arrives while the window is still
  // being set up may go unanswered.
  auto nextAsk = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitUntil([&] {
    if (!korvane.Running()) return true;
    if (std::chrono::steady_clock::now() >= nextAsk) {
      korvane.Close();
      nextAsk += 1s;
    }
    return false;
  }, 20s));
  ASSERT_EQ(korvane.WaitForExit(0ms), 0) << korvane.Stderr();

  EXPECT_EQ(access((home / "Korvane (deleted).ini").c_str(), F_OK), -1);
  const std::string saved = ReadFile(ini);
  EXPECT_TRUE(saved.starts_with("\xEF\xBB\xBF[IgnoreAttr]\r\nFHidden=0\r\n")) << saved;
  TConfig reloaded;
  reloaded.LoadFromFile(ini);
  EXPECT_FALSE(reloaded.FHidden);
  EXPECT_EQ(Items(reloaded.FIgnoreList), (std::vector<std::string>{"", "keep-me.txt"})) << saved;
  EXPECT_EQ(Items(reloaded.FIgnoreExt), (std::vector<std::string>{"", ".keepext"})) << saved;
}

}  // namespace
}  // namespace korvane::test
