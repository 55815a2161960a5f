#include "app/StartUp.h"

#include <gtest/gtest.h>

#include "base/CommaText.h"

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

TEST(HandOffText, EveryByteOfANameReachesTheRunningInstance) {
  const std::vector<std::string> names = {"caf\xE9 \xFF.mp4", "/v/line\nbreak,\"quoted\".mp4"};
  TStringList received;
  SplitCommaText(HandOffText(names, "/home/u"), received);
  EXPECT_EQ(received.Items(), (std::vector<std::string>{"/home/u/" + names[0], names[1]}));
}

}  // namespace
}  // namespace korvane
