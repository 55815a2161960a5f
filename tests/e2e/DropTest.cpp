// Files dropped on the real program's window from another X client.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/DesktopDriver.h"
#include "tests/e2e/KorvaneProcess.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

class MainFormWholeProgramDrop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
  }
  TempDir media;
};

// The picture is most of the window, and where a user lets go of a folder; it
// is a surface of its own, which takes the drag events over it.
TEST_F(MainFormWholeProgramDrop, AFolderDroppedOnThePictureIsSearched) {
  const std::string clips = media.MakeDir("clips");
  const std::string clip = MakeClip(clips, "a.mp4", 4);
  ASSERT_FALSE(clip.empty());
  TKorvaneProcess korvane({});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
  EXPECT_TRUE(DropPaths(korvane.Window(), 360, 275, {clips}));
  EXPECT_TRUE(WaitUntil([&] { return korvane.OpenFilesBelow(clips) == std::vector<std::string>{clip}; }, 20s))
      << korvane.Stderr();
}

}  // namespace
}  // namespace korvane::test
