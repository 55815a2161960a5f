#include "dialogs/trash/Rename.h"

#include <gtest/gtest.h>

#include "base/Utf.h"
#include "platform/FileMove.h"
#include "tests/support/FakePlayer.h"
#include "harness/TempDir.h"

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
  test::TTempDir dir;
  const RenamePlan plan = PlanRename(dir.WriteFile("take1.avi", "clip"), "take1");
  EXPECT_FALSE(MoveFileNoReplace(plan.path, plan.NewPath("sub/x")));
  dir.MakeDir("sub");
  ASSERT_TRUE(MoveFileNoReplace(plan.path, plan.NewPath("sub/x")));
  EXPECT_EQ(test::ReadFile(dir / "sub/x.avi"), "clip");
}

// The rename command over the fake player and real files.
class RenameCommand : public ::testing::Test {
 protected:
  void Load(const std::string& path, const std::u16string& title) {
    test::FakeMediaInfo info;
    info.name = title;
    FPlayer.SetMedia(ToWide(path), info);
    FPlayer.setURL(ToWide(path));
  }
  // Answers the question with text, or cancels when text is absent.
  AskNewName Answer(std::optional<std::string> text) {
    return [this, text](const RenamePlan& plan, std::string& typed) {
      FAsked.push_back(plan.Prompt() + "|" + typed);
      if (text) typed = *text;
      return text.has_value();
    };
  }

  // Records each refusal.
  TellRefusal Record() {
    return [this](const std::string& why) { FRefused.push_back(why); };
  }

  test::TTempDir FDir;
  test::TFakePlayer FPlayer;
  std::vector<std::string> FAsked;
  std::vector<std::string> FRefused;
};

TEST_F(RenameCommand, NothingWithoutMedia) {
  EXPECT_FALSE(RenameCurrentMedia(FPlayer, Answer("x"), Record()));
  EXPECT_TRUE(FAsked.empty());
}

TEST_F(RenameCommand, CancelKeepsTheFileOkRenamesIt) {
  const std::string path = FDir.WriteFile("take1.avi", "clip");
  Load(path, u"Interview");
  const auto moved = RenameCurrentMedia(FPlayer, Answer(std::nullopt), Record());
  EXPECT_FALSE(moved);
  EXPECT_EQ(test::ReadFile(path), "clip");
  ASSERT_EQ(FAsked, std::vector<std::string>{FDir.Path() + "/\ntake1\n.avi|take1Interview"});
  EXPECT_EQ(RenameCurrentMedia(FPlayer, Answer("take1Interview"), Record()), FDir / "take1Interview.avi");
  EXPECT_EQ(test::ReadFile(FDir / "take1Interview.avi"), "clip");
  EXPECT_EQ(FPlayer.URL(), ToWide(path)) << "the player is not told";
}

TEST_F(RenameCommand, ExistingTargetFailsAndBothKeepTheirBytes) {
  const std::string path = FDir.WriteFile("a.mp4", "mine");
  FDir.WriteFile("b.mp4", "theirs");
  Load(path, u"a");
  EXPECT_FALSE(RenameCurrentMedia(FPlayer, Answer("b"), Record()));
  EXPECT_EQ(test::ReadFile(path), "mine");
  EXPECT_EQ(test::ReadFile(FDir / "b.mp4"), "theirs");
}

TEST_F(RenameCommand, FailingPlayerQueryEndsBeforeTheQuestion) {
  const std::string path = FDir.WriteFile("a.mp4", "mine");
  Load(path, u"a");
  FPlayer.FailNext("name");
  EXPECT_THROW(RenameCurrentMedia(FPlayer, Answer("b"), Record()), TPlayerError);
  EXPECT_TRUE(FAsked.empty());
  EXPECT_EQ(test::ReadFile(path), "mine");
}

// The title comes from the file's content: a '/' in it must not lead the file
// into a sibling folder, nor a NUL cut the name.
TEST_F(RenameCommand, TheTitleNeverLeadsTheFileOutOfItsFolder) {
  const std::string path = FDir.WriteFile("take1.avi", "clip");
  FDir.MakeDir("take1Live");
  Load(path, std::u16string(u"Live/20\0""20", 10));
  EXPECT_EQ(RenameCurrentMedia(FPlayer, Answer(std::nullopt), Record()), std::nullopt);
  ASSERT_EQ(FAsked.size(), 1u);
  EXPECT_EQ(FAsked[0].substr(FAsked[0].find('|') + 1), "take1Live2020");
  Load(path, u"Live/2020");
  EXPECT_EQ(RenameCurrentMedia(FPlayer, [](const RenamePlan&, std::string&) { return true; }, Record()),
            FDir / "take1Live2020.avi");
  EXPECT_EQ(test::ReadFile(FDir / "take1Live2020.avi"), "clip");
  EXPECT_TRUE(FRefused.empty());
}

// The file system's limit is 255 bytes of a name, extension included; longer
// names and a typed NUL are refused with a word, before anything moves.
TEST_F(RenameCommand, ANameTooLongInBytesOrHoldingANulIsRefusedWithAWord) {
  const std::string path = FDir.WriteFile("a.mp4", "mine");
  Load(path, u"a");
  std::string e200;
  for (int i = 0; i < 200; ++i) e200 += "\xC3\xA9";  // 200 characters, 400 bytes
  for (const std::string& typed : {e200, std::string(252, 'x'), std::string("b\0c", 3), "sub/" + e200}) {
    FRefused.clear();
    EXPECT_EQ(RenameCurrentMedia(FPlayer, Answer(typed), Record()), std::nullopt) << typed.size();
    EXPECT_EQ(FRefused.size(), 1u) << typed.size();
    EXPECT_EQ(test::ReadFile(path), "mine");
  }
  EXPECT_NE(FRefused[0].find("255"), std::string::npos) << FRefused[0];
  const std::string longest(251, 'x');
  EXPECT_EQ(RenameCurrentMedia(FPlayer, Answer(longest), Record()), FDir / (longest + ".mp4"));
  EXPECT_EQ(test::ReadFile(FDir / (longest + ".mp4")), "mine");
}

}  // namespace
}  // namespace korvane
