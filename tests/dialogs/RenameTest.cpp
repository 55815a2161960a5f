#include "dialogs/Rename.h"

#include <gtest/gtest.h>

#include "platform/FileMove.h"
#include "tests/support/TempDir.h"

namespace korvane {
namespace {

TEST(RenameProposal, TitleEqualToTheNameIsNotRepeated) {
  const RenamePlan plan = PlanRename("/music/intro.avi", "intro");
  EXPECT_EQ(plan.proposal, "intro");
}

TEST(RenameProposal, DifferentTitleIsAppendedWithoutSeparator) {
  const RenamePlan plan = PlanRename("/music/take1.avi", "Interview");
  EXPECT_EQ(plan.proposal, "take1Interview");
  EXPECT_EQ(plan.Prompt(), "/music/\ntake1\n.avi");
  // Exact comparison: a title differing only in case still counts as different.
  EXPECT_EQ(PlanRename("/music/take1.avi", "Take1").proposal, "take1Take1");
}

TEST(RenameProposal, FileWithoutExtensionHasAnEmptyThirdLine) {
  const RenamePlan plan = PlanRename("/music/v1.0/clip", "clip");
  EXPECT_EQ(plan.Prompt(), "/music/v1.0/\nclip\n");
  EXPECT_EQ(plan.NewPath("other"), "/music/v1.0/other");
}

TEST(RenameProposal, NewPathKeepsFolderAndExtension) {
  const RenamePlan plan = PlanRename("/music/take1.avi", "Interview");
  EXPECT_EQ(plan.NewPath(""), "/music/.avi");
  EXPECT_EQ(plan.NewPath(" x "), "/music/ x .avi");
  EXPECT_EQ(plan.NewPath("sub/x"), "/music/sub/x.avi");
}

TEST(RenameProposal, TypedSubfolderMovesThereOnlyWhenItExists) {
  test::TempDir dir;
  const RenamePlan plan = PlanRename(dir.WriteFile("take1.avi", "clip"), "take1");
  EXPECT_FALSE(MoveFileNoReplace(plan.path, plan.NewPath("sub/x")));
  dir.MakeDir("sub");
  ASSERT_TRUE(MoveFileNoReplace(plan.path, plan.NewPath("sub/x")));
  EXPECT_EQ(test::ReadFile(dir / "sub/x.avi"), "clip");
}

}  // namespace
}  // namespace korvane
