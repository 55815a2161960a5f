// Files dropped on the real program's window from another X client.
#include <gtest/gtest.h>

#include "tests/e2e/DesktopDriver.h"
#include "harness/KorvaneProcess.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

class MainFormWholeProgramDrop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
  }
  TTempDir media;
};

// The picture is most of the window, and where a user lets go of a folder; it
// is a surface of its own, which takes the drag events over it. A file whose
// name is not UTF-8 dropped with it is played too.
TEST_F(MainFormWholeProgramDrop, AFolderAndAFileDroppedOnThePictureAreSearchedAndPlayed) {
  const std::string clips = media.MakeDir("clips");
  const std::string clip = MakeClip(clips, "a.mp4", 3);
  const std::string latin1 = MakeClip(media.Path(), "caf\xE9.mp4", 2);
  ASSERT_FALSE(clip.empty() || latin1.empty());
  TKorvaneProcess korvane({});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
  EXPECT_TRUE(DropPaths(korvane, 360, 275, {clips, latin1}));
  EXPECT_EQ(korvane.SeenOpenBelow(media.Path(), 2, 30s), (std::vector<std::string>{latin1, clip})) << korvane.Stderr();
}

}  // namespace
}  // namespace korvane::test
