// The properties dialog as the user sees it, over the fake player.
#include "dialogs/prop/PropForm.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include "base/Utf.h"
#include "tests/support/ModalAnswers.h"
#include "tests/support/FakePlayer.h"

namespace korvane {
namespace {

using test::TFakePlayer;

class PropFormDialog : public ::testing::Test {
 protected:
  void SetUp() override { FMain.setGeometry(100, 100, 800, 600); }

  QPlainTextEdit* Memo(const char* name) { return FForm.findChild<QPlainTextEdit*>(name); }
  QTabWidget* Pages() { return FForm.findChild<QTabWidget*>("PageControl1"); }
  QStringList LinesOf(const char* name) { return Memo(name)->toPlainText().split('\n'); }
  // One showing as the main window gives it: modal, until the user closes it.
  void ShowOnce() {
    QTimer::singleShot(0, &FForm, [this] { FForm.close(); });
    FForm.exec();
  }

  QWidget FMain;
  TFakePlayer FPlayer;
  TPropForm FForm{&FMain, FPlayer};
};

TEST_F(PropFormDialog, LayoutOfTheWindow) {
  EXPECT_EQ(FForm.windowTitle(), "PropForm");
  EXPECT_EQ(FForm.size(), QSize(450, 300));
  ASSERT_NE(Pages(), nullptr);
  ASSERT_EQ(Pages()->count(), 3);
  EXPECT_EQ(Pages()->tabText(0), "IWMPSettings");
  EXPECT_EQ(Pages()->tabText(1), "IWMPMedia");
  EXPECT_EQ(Pages()->tabText(2), "IWMPControls");
  const char* memos[] = {"MemSettings", "MemMedia", "MemControls"};
  for (int i = 0; i < 3; ++i) {
    QPlainTextEdit* memo = Memo(memos[i]);
    ASSERT_NE(memo, nullptr) << memos[i];
    EXPECT_EQ(memo->parentWidget(), Pages()->widget(i));
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_FALSE(memo->testAttribute(Qt::WA_InputMethodEnabled));
  }
}

TEST_F(PropFormDialog, EachShowingTakesAFreshSnapshot) {
  ShowOnce();
  EXPECT_EQ(LinesOf("MemSettings").size(), 14);
  EXPECT_EQ(LinesOf("MemSettings")[1], "IWMPSettings.autoStart\tOFF");
  EXPECT_EQ(LinesOf("MemSettings")[7], "IWMPSettings.mute\tOFF");
  EXPECT_EQ(Memo("MemMedia")->toPlainText(), "No Media");
  EXPECT_EQ(LinesOf("MemControls").size(), 8);

  FPlayer.setMute(!FPlayer.mute());
  FPlayer.setURL(u"/media/clip.mp4");
  ShowOnce();
  EXPECT_EQ(LinesOf("MemSettings")[7], "IWMPSettings.mute\tON");
  EXPECT_EQ(LinesOf("MemMedia").size(), 4);
}

TEST_F(PropFormDialog, FirstTabAtStartThenTheLastChosen) {
  EXPECT_EQ(Pages()->currentIndex(), 0);
  ShowOnce();
  Pages()->setCurrentIndex(2);
  ShowOnce();
  EXPECT_EQ(Pages()->currentIndex(), 2);
}

TEST_F(PropFormDialog, CentredOnTheMainWindow) {
  QPoint centre;
  QTimer::singleShot(0, &FForm, [&] {
    centre = FForm.frameGeometry().center();
    FForm.close();
  });
  FForm.exec();
  EXPECT_LE((centre - FMain.frameGeometry().center()).manhattanLength(), 2);
}

TEST_F(PropFormDialog, FailedQueryKeepsEarlierLinesAndShowsTheError) {
  ShowOnce();  // a snapshot that must not survive into the failing showing
  FPlayer.FailNext("mute");
  test::BoxAnswerer user({QMessageBox::Ok});
  QTimer::singleShot(200, &FForm, [this] { FForm.close(); });
  FForm.exec();
  EXPECT_EQ(LinesOf("MemSettings").size(), 7);
  EXPECT_EQ(Memo("MemMedia")->toPlainText(), "");
  EXPECT_EQ(Memo("MemControls")->toPlainText(), "");
  ASSERT_EQ(user.seen.size(), 1u);
  EXPECT_EQ(user.seen[0].owner, &FForm);
  EXPECT_TRUE(user.seen[0].plainText);
}

TEST_F(PropFormDialog, HugeAndManyTagsFillThePage) {
  test::FakeMediaInfo info;
  info.attributes.emplace_back(u"Comment", std::u16string(100 * 1024, u'x'));
  for (int i = 0; i < 500; ++i) info.attributes.emplace_back(u"Tag" + ToWide(std::to_string(i)), u"value");
  FPlayer.SetMedia(u"/media/tagged.mkv", info);
  FPlayer.setURL(u"/media/tagged.mkv");
  Pages()->setCurrentIndex(1);
  QTimer::singleShot(0, &FForm, [this] {
    Memo("MemMedia")->horizontalScrollBar()->setValue(Memo("MemMedia")->horizontalScrollBar()->maximum());
    Memo("MemMedia")->viewport()->repaint();  // drawn, not only filled
    FForm.close();
  });
  FForm.exec();
  EXPECT_EQ(Memo("MemMedia")->blockCount(), 4 + 501);
  EXPECT_EQ(LinesOf("MemMedia")[4].size(), static_cast<qsizetype>(std::string("IWMPMedia.Comment\t").size() + 100 * 1024));
}

}  // namespace
}  // namespace korvane
