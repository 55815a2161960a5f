#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "config/Config.h"
#include "tests/config/ChildProcess.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

using test::TTempDir;

// A file of the given size; sparse, so large sizes cost nothing.
std::string MakeFile(const TTempDir& dir, const std::string& name, off_t size) {
  const std::string path = dir.WriteFile(name, "");
  EXPECT_EQ(::truncate(path.c_str(), size), 0);
  return path;
}

class ConfigFilterTest : public ::testing::Test {
 protected:
  TTempDir dir;
  TConfig config;
};

TEST_F(ConfigFilterTest, DefaultBoundIsInclusive) {
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "big.mp4", 600000)));
  EXPECT_FALSE(config.AcceptFile(MakeFile(dir, "small.mp4", 500000)));
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "exact.mp4", 512000)));
  EXPECT_FALSE(config.AcceptFile(MakeFile(dir, "one less.mp4", 511999)));
}

TEST_F(ConfigFilterTest, FilesOfFourGibibytesPass) {
  const std::string path = MakeFile(dir, "huge.mkv", off_t{4} << 30);
  EXPECT_EQ(FileSizeOf(path), int64_t{4} << 30);
  EXPECT_TRUE(config.AcceptFile(path));
}

TEST_F(ConfigFilterTest, HiddenAndSystemFilesFailWhateverTheirSize) {
  const std::string hidden = MakeFile(dir, ".secret.mp4", 600000);
  const std::string inHiddenFolder = MakeFile(dir, ".folder/visible.mp4", 600000);
  const std::string fifo = dir / "pipe.mp4";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_FALSE(config.AcceptFile(hidden));
  EXPECT_TRUE(config.AcceptFile(inHiddenFolder));
  EXPECT_FALSE(config.AcceptFile(fifo));
  EXPECT_FALSE(config.AcceptFile(dir.Path()));

  config.FHidden = false;
  config.FSysFile = false;
  EXPECT_TRUE(config.AcceptFile(hidden));
  // Not regular: no size to compare, and a FIFO is never opened.
  EXPECT_FALSE(config.AcceptFile(fifo));
  config.FLowerSize = -1;
  EXPECT_TRUE(config.AcceptFile(fifo));
}

TEST_F(ConfigFilterTest, MissingFileFailsUnlessNothingIsAsked) {
  const std::string gone = dir / "gone.mp4";
  EXPECT_FALSE(config.AcceptFile(gone));
  config.FHidden = false;
  config.FSysFile = false;
  config.FLowerSize = 0;
  EXPECT_FALSE(config.AcceptFile(gone));  // its size cannot be had
  config.FLowerSize = -1;
  EXPECT_TRUE(config.AcceptFile(gone));
  EXPECT_EQ(FileSizeOf(gone), -1);
}

TEST_F(ConfigFilterTest, ExtensionsMatchIgnoringCase) {
  config.FLowerSize = 0;
  config.FIgnoreExt.Add(".db");
  EXPECT_FALSE(config.AcceptFile(MakeFile(dir, "Cache.DB", 10)));
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "movie.mp4", 10)));
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "db", 10)));
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "x.db.mp4", 10)));
}

TEST_F(ConfigFilterTest, EntryWithoutDotMatchesNothing) {
  config.FLowerSize = 0;
  config.FIgnoreExt.Add("db");
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "a.db", 10)));
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "db", 10)));
}

TEST_F(ConfigFilterTest, ExtensionIsFromTheLastDot) {
  config.FLowerSize = 0;
  config.FHidden = false;
  const std::string tar = MakeFile(dir, "archive.tar.gz", 10);
  const std::string trailingDot = MakeFile(dir, "name.", 10);
  const std::string dotFile = MakeFile(dir, ".mp4", 10);
  config.FIgnoreExt.Add(".tar.gz");
  EXPECT_TRUE(config.AcceptFile(tar));
  config.FIgnoreExt.Add(".gz");
  EXPECT_FALSE(config.AcceptFile(tar));
  EXPECT_TRUE(config.AcceptFile(trailingDot));
  config.FIgnoreExt.Add(".");
  EXPECT_FALSE(config.AcceptFile(trailingDot));
  EXPECT_TRUE(config.AcceptFile(dotFile));
  config.FIgnoreExt.Add(".MP4");
  EXPECT_FALSE(config.AcceptFile(dotFile));
}

TEST_F(ConfigFilterTest, EmptyExtensionEntryDropsFilesWithoutExtension) {
  config.FLowerSize = 0;
  config.FIgnoreExt.Add("");
  EXPECT_FALSE(config.AcceptFile(MakeFile(dir, "README", 10)));
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "clip.mkv", 10)));
}

TEST_F(ConfigFilterTest, NamesMatchIgnoringCaseAndEmptyNameMatchesNothing) {
  config.FLowerSize = 0;
  config.FIgnoreList.Add("Thumbs.db");
  config.FIgnoreList.Add("");
  config.FIgnoreList.Add("Ärger.mp4");
  EXPECT_FALSE(config.AcceptFile(MakeFile(dir, "THUMBS.DB", 10)));
  EXPECT_FALSE(config.AcceptFile(MakeFile(dir, "sub/thumbs.db", 10)));
  EXPECT_FALSE(config.AcceptFile(MakeFile(dir, "äRGER.MP4", 10)));
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "Thumbs.db.bak", 10)));
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "other", 10)));
}

TEST_F(ConfigFilterTest, NonUtf8NamesAreFoundAndMatched) {
  config.FLowerSize = 0;
  const std::string odd = MakeFile(dir, "bad\xff\xfe name.mp4", 10);
  EXPECT_TRUE(config.AcceptFile(odd));
  config.FIgnoreList.Add("BAD\xff\xfe NAME.MP4");
  EXPECT_FALSE(config.AcceptFile(odd));
}

// Permission checks must be met as an ordinary user: root may write and read anything.
TEST_F(ConfigFilterTest, ReadOnlyAndUnreadableFilesAsAnOrdinaryUser) {
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  const std::string readOnly = MakeFile(dir, "readonly.mp4", 600000);
  const std::string unreadable = MakeFile(dir, "unreadable.mp4", 0);
  ASSERT_EQ(::chmod(readOnly.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(unreadable.c_str(), 0200), 0);
  const int code = test::RunInChild([&] {
    if (!test::BecomeNobody()) return test::kChildSkip;
    TConfig c;
    if (!c.AcceptFile(readOnly)) return 1;
    c.FReadOnly = true;
    if (c.AcceptFile(readOnly)) return 2;
    c.FReadOnly = false;
    c.FLowerSize = 0;
    if (c.AcceptFile(unreadable)) return 3;
    if (FileSizeOf(unreadable) != -1) return 4;
    if (FileSizeOf(readOnly) != 600000) return 5;
    return 0;
  });
  if (code == test::kChildSkip) GTEST_SKIP() << "cannot become nobody";
  EXPECT_EQ(code, 0);
}

TEST_F(ConfigFilterTest, ZeroBoundPassesEmptyFiles) {
  config.FLowerSize = 0;
  EXPECT_TRUE(config.AcceptFile(MakeFile(dir, "empty.mp4", 0)));
  EXPECT_EQ(FileSizeOf(dir / "empty.mp4"), 0);
  EXPECT_EQ(FileSizeOf(dir.Path()), -1);
}

}  // namespace
}  // namespace korvane
