#include "app/StartUp.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(HandOffText, EmptyArgumentsAreSkippedAndRelativePathsTakeTheLaunchFolder) {
  EXPECT_EQ(HandOffText({}, "/home/u"), "");
  EXPECT_EQ(HandOffText({"", ""}, "/home/u"), "");
  EXPECT_EQ(HandOffText({"My Videos", "", "/d/a,b.wmv", "/starup"}, "/home/u"),
            "\"/home/u/My Videos\",\"/d/a,b.wmv\",/starup");
  EXPECT_EQ(HandOffText({"x.mp4"}, "/"), "/x.mp4");
  EXPECT_EQ(HandOffText({"x.mp4"}, ""), "x.mp4");  // no folder to go by: as it is
}

}  // namespace
}  // namespace korvane
