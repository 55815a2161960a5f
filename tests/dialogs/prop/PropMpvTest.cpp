// The properties report over the real libmpv player, headless, on a clip
// made by ffmpeg with tags of every size.
#include <QApplication>
#include <QElapsedTimer>
#include <clocale>
#include <regex>

#include <gtest/gtest.h>

#include "base/TextCompare.h"
#include "base/Utf.h"
#include "dialogs/prop/Prop.h"
#include "player/MpvPlayer.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

constexpr int kManyTags = 300;
constexpr size_t kHugeTag = 100 * 1024;

// A one-second clip with a title, an artist, many small tags and one huge one.
std::string MakeTaggedClip(const test::TTempDir& dir) {
  const std::string path = dir / "tagged.mkv";
  std::string command =
      "ffmpeg -v error -y -f lavfi -i testsrc2=size=160x120:rate=10:duration=1 -f lavfi -i sine=duration=1"
      " -shortest -c:v mpeg4 -c:a aac -metadata title='Korvane Clip' -metadata artist='Test Artist'"
      " -metadata comment=" + std::string(kHugeTag, 'x');
  for (int i = 1; i <= kManyTags; ++i) command += " -metadata tag" + std::to_string(i) + "=v" + std::to_string(i);
  return std::system((command + " " + path).c_str()) == 0 ? path : "";
}

MpvPlayerOptions Headless() {
  MpvPlayerOptions options;
  options.headless = true;
  return options;
}

class PropMpvReport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setlocale(LC_NUMERIC, "C"); }  // libmpv's requirement

  static bool Open(TMpvPlayer& player, const std::string& path) {
    player.setURL(ToWide(path));
    QElapsedTimer clock;
    clock.start();
    while (player.openState() != wmposMediaOpen && clock.elapsed() < 20000) {
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return player.openState() == wmposMediaOpen;
  }
  bool Open(const std::string& path) { return Open(FPlayer, path); }
  static std::vector<std::string> MediaLines(TMpvPlayer& player) {
    std::vector<std::string> lines;
    ReportMediaLines(player, lines);
    return lines;
  }

  test::TTempDir FDir;
  TMpvPlayer FPlayer{nullptr, Headless()};
};

// A line for the attribute, its name compared without regard to case (a
// container may keep its tag names in capitals), its value exactly.
bool HasAttribute(const std::vector<std::string>& lines, const std::string& name, const std::string& value) {
  const std::string prefix = "IWMPMedia." + name + "\t";
  for (const std::string& line : lines) {
    if (line.size() == prefix.size() + value.size() && SameTextIgnoreCase(line.substr(0, prefix.size()), prefix) &&
        line.compare(prefix.size(), std::string::npos, value) == 0) {
      return true;
    }
  }
  return false;
}

TEST_F(PropMpvReport, TagsAppearUnderStableNames) {
  const std::string clip = MakeTaggedClip(FDir);
  ASSERT_FALSE(clip.empty()) << "ffmpeg could not make the clip";
  ASSERT_TRUE(Open(clip));

  std::vector<std::string> settings;
  ReportSettingsLines(FPlayer, settings);
  ASSERT_EQ(settings.size(), 14u);
  EXPECT_TRUE(std::regex_match(settings[0], std::regex("TMpvPlayer\\.versionInfo\t.+"))) << settings[0];

  const std::vector<std::string> lines = MediaLines(FPlayer);
  EXPECT_EQ(lines[0], "IWMPMedia.imageSourceWidth\t160");
  EXPECT_EQ(lines[1], "IWMPMedia.imageSourceHeight\t120");
  EXPECT_EQ(lines[2], "IWMPMedia.name\tKorvane Clip");
  EXPECT_EQ(lines[3], "IWMPMedia.sourceURL\t" + clip);
  EXPECT_TRUE(HasAttribute(lines, "title", "Korvane Clip"));
  EXPECT_TRUE(HasAttribute(lines, "artist", "Test Artist"));
  EXPECT_TRUE(HasAttribute(lines, "tag300", "v300"));
  EXPECT_TRUE(HasAttribute(lines, "comment", std::string(kHugeTag, 'x')));
  EXPECT_GE(lines.size(), 4u + 3 + kManyTags);

  TMpvPlayer another(nullptr, Headless());
  ASSERT_TRUE(Open(another, clip));
  EXPECT_EQ(MediaLines(another), lines) << "another opening must report the same names in the same order";
}

}  // namespace
}  // namespace korvane
