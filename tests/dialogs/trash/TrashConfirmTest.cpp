// The question and the failure message around trashing, answered as a user would.
#include <QLineEdit>
#include <QWidget>
#include <cstdlib>

#include <gtest/gtest.h>

#include "config/Config.h"
#include "dialogs/trash/FileQuestions.h"
#include "dialogs/trash/MoveToForm.h"
#include "dialogs/trash/Trash.h"
#include "tests/support/ModalAnswers.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

using test::BoxAnswerer;

class TrashConfirm : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_DATA_HOME", (FDir / "data").c_str(), 1); }
  void TearDown() override { unsetenv("XDG_DATA_HOME"); }

  test::TTempDir FDir;
  QWidget FOwner;
  TFileQuestions FQuestions{&FOwner};
};

TEST_F(TrashConfirm, YesTrashesTheFile) {
  const std::string path = FDir.WriteFile("clip.mp4", "x");
  BoxAnswerer user({QMessageBox::Yes});
  EXPECT_TRUE(MoveToRecycleBin(path, FQuestions));
  EXPECT_EQ(test::ReadFile(FDir / "data/Trash/files/clip.mp4"), "x");
  ASSERT_EQ(user.seen.size(), 1u);
  EXPECT_TRUE(user.seen[0].text.contains(QStringLiteral("ゴミ箱に移動しますか?")));
  EXPECT_TRUE(user.seen[0].text.contains(QStringLiteral("clip.mp4")));
  EXPECT_EQ(user.seen[0].owner, &FOwner);
  EXPECT_TRUE(user.seen[0].yesIsDefault);
  EXPECT_TRUE(user.seen[0].plainText);
}

TEST_F(TrashConfirm, NoKeepsTheFile) {
  const std::string path = FDir.WriteFile("clip.mp4", "x");
  BoxAnswerer user({QMessageBox::No});
  EXPECT_FALSE(MoveToRecycleBin(path, FQuestions));
  EXPECT_EQ(test::ReadFile(path), "x");
  EXPECT_EQ(user.seen.size(), 1u);
}

TEST_F(TrashConfirm, FailureIsShownWithItsReason) {
  BoxAnswerer user({QMessageBox::Yes, QMessageBox::Ok});
  EXPECT_FALSE(MoveToRecycleBin(FDir / "<h1>gone\xff&lt;.mp4", FQuestions));
  ASSERT_EQ(user.seen.size(), 2u);
  EXPECT_TRUE(user.seen[1].text.contains(QStringLiteral("<h1>gone\uFFFD&lt;.mp4")));
  EXPECT_TRUE(user.seen[1].plainText);
  EXPECT_TRUE(user.seen[1].text.contains(QStringLiteral("No such file")));
  EXPECT_EQ(user.seen[1].owner, &FOwner);
}

// The targets' dialog keeps a path that is not a full one out of the store.
TEST_F(TrashConfirm, TheTargetsDialogTakesOnlyFullPaths) {
  TConfig store;
  store.FMoveTo[8] = "kept as read";
  TMoveToForm form(&FOwner, store);
  auto* first = form.findChild<QLineEdit*>("EditMoveTo1");
  ASSERT_NE(first, nullptr);
  first->setText("relative/path");
  BoxAnswerer user({QMessageBox::Ok});
  form.accept();
  ASSERT_EQ(user.seen.size(), 1u);
  EXPECT_TRUE(user.seen[0].text.contains(QStringLiteral("送り先1")));
  EXPECT_EQ(store.FMoveTo[0], "");
  first->setText(QString::fromStdString(FDir / "to"));
  form.accept();
  EXPECT_EQ(store.FMoveTo[0], FDir / "to");
  EXPECT_EQ(store.FMoveTo[8], "kept as read");
}

}  // namespace
}  // namespace korvane
