#include "base/Paths.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(Paths, SeparatorAndParts) {
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/b"), "/a/b/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/a/b/"), "/a/b/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), "");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
  EXPECT_EQ(ExtractFilePath("/v/clip.mp4"), "/v/");
  EXPECT_EQ(ExtractFilePath("clip.mp4"), "");
  EXPECT_EQ(ExtractFileName("/v/clip.mp4"), "clip.mp4");
}

TEST(Paths, ExtensionIsFromTheLastDotOfTheName) {
  EXPECT_EQ(ExtractFileExt("/v/archive.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileExt("/v.d/noext"), "");
  EXPECT_EQ(ExtractFileExt("/v/name."), ".");
  EXPECT_EQ(ExtractFileExt("/v/.hidden"), ".hidden");
  EXPECT_EQ(StripFileExt("/v.d/a.b.mp4"), "/v.d/a.b");
}

TEST(Paths, PercentDecodingGivesBackEveryByteEncoded) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(PercentDecodePath(PercentEncodePath(all)), all);
  EXPECT_EQ(PercentDecodePath("/v/caf%e9%2Fx"), "/v/caf\xE9/x");
  EXPECT_EQ(PercentDecodePath("100%/%4/%zz%"), "100%/%4/%zz%");
}

}  // namespace
}  // namespace korvane
