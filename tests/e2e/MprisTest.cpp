#include <gtest/gtest.h>

#include "harness/KorvaneProcess.h"
#include "harness/SessionBus.h"

namespace korvane::test {
namespace {

using namespace std::chrono_literals;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(MprisWholeProgram, TheDesktopControlsPauseAndMoveToTheNextFile) {
  if (std::string reason = WholeProgramSkipReason(); !reason.empty()) GTEST_SKIP() << reason;
  if (CommandOutput("command -v dbus-daemon").empty()) GTEST_SKIP() << "dbus-daemon is not installed";
  TTempDir media;
  const std::string clips = media.MakeDir("clips");
  for (const char* name : {"a.mp4", "b.mp4"}) ASSERT_FALSE(MakeClip(clips, name, 30).empty());
  TPrivateSessionBus bus;
  ASSERT_TRUE(bus.Up());

  TKorvaneProcess korvane({clips});
  ASSERT_NE(korvane.Window(), 0u) << korvane.Stderr();
  const auto playing = [&](const std::string& path) {
    return korvane.PlayingFilesBelow(clips) == std::vector<std::string>{path} && Has(MprisProperty("PlaybackStatus"), "\"Playing\"");
  };
  ASSERT_TRUE(WaitUntil([&] { return playing(clips + "/a.mp4"); }, kStartUp)) << korvane.Stderr();

  // Paused first, so that only the command can move on to the next file.
  MprisCall("org.mpris.MediaPlayer2.Player.PlayPause");
  EXPECT_TRUE(WaitUntil([&] { return Has(MprisProperty("PlaybackStatus"), "\"Paused\""); }, 10s))
      << MprisProperty("PlaybackStatus");

  MprisCall("org.mpris.MediaPlayer2.Player.Next");
  EXPECT_TRUE(WaitUntil([&] { return playing(clips + "/b.mp4"); }, 30s)) << korvane.Stderr();
  EXPECT_TRUE(WaitUntil([&] { return Has(MprisProperty("Metadata"), "file://" + clips + "/b.mp4"); }, 10s))
      << MprisProperty("Metadata");
}

}  // namespace
}  // namespace korvane::test
