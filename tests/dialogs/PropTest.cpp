#include "dialogs/Prop.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(PropStateNames, NamesWithinTables) {
  EXPECT_EQ(PlayStateName(wmppsUndefined), "Undefined");
  EXPECT_EQ(PlayStateName(wmppsPlaying), "Playing");
  EXPECT_EQ(PlayStateName(wmppsReady), "Ready");
  EXPECT_EQ(OpenStateName(wmposUndefined), "Undefined");
  EXPECT_EQ(OpenStateName(wmposMediaOpen), "MediaOpen");
  EXPECT_EQ(OpenStateName(21), "OpeningUnknownURL");
}

TEST(PropStateNames, UnknownOutsideTables) {
  EXPECT_EQ(PlayStateName(11), "Unknown");
  EXPECT_EQ(PlayStateName(-1), "Unknown");
  EXPECT_EQ(OpenStateName(22), "Unknown");
  EXPECT_EQ(OpenStateName(-1), "Unknown");
  EXPECT_EQ(OpenStateName(INT32_MIN), "Unknown");
}

}  // namespace
}  // namespace korvane
