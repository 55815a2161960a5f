// The settings dialog driven as a user would: focus moves, typed text, clicks.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "config/ConfigForm.h"
#include "config/UpDown.h"
#include "harness/TempDir.h"

namespace korvane {
namespace {

std::vector<std::string> Items(const TNameSet& set) { return {set.begin(), set.end()}; }

class ConfigDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main.resize(800, 600);
    main.show();
  }
  void TearDown() override {
    form.hide();
  }

  template <typename T>
  T* Find(const char* name) {
    T* w = form.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QLineEdit* Size() { return Find<QLineEdit>("EditLowerSize"); }
  QLineEdit* Sample() { return Find<QLineEdit>("EditSample"); }
  QPlainTextEdit* Names() { return Find<QPlainTextEdit>("MemIgnoreList"); }

  void Show() {
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  }
  void Click(const char* name) { QTest::mouseClick(Find<QWidget>(name), Qt::LeftButton); }
  // Focuses the field, replaces its text by typing, then tabs out of it.
  void TypeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
  }
  int32_t Tag() { return Size()->property("Tag").toInt(); }

  TConfig store;
  QWidget main;
  TConfigForm form{&main, store};
};

TEST_F(ConfigDialogTest, ShowsTheDefaults) {
  Show();
  EXPECT_EQ(form.windowTitle(), "ConfigForm");
  EXPECT_EQ(form.size(), QSize(382, 285));
  EXPECT_FALSE(Find<QCheckBox>("ChkReadOnly")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("ChkHidden")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("ChkSysFile")->isChecked());
  EXPECT_EQ(Names()->toPlainText(), "");
  EXPECT_EQ(Find<QPlainTextEdit>("MemIgnoreExt")->toPlainText(), "");
  EXPECT_EQ(Size()->text(), "512000");
  EXPECT_EQ(Tag(), 512000);
  EXPECT_EQ(Sample()->text(), "0");
  EXPECT_LE((form.frameGeometry().center() - main.frameGeometry().center()).manhattanLength(), 40);
}

TEST_F(ConfigDialogTest, InvalidSizeRestoresTheAcceptedValue) {
  Show();
  for (const char* bad : {"abc", "-5", "4294967296", "", "12 ", "0x"}) {
    TypeInto(Size(), bad);
    EXPECT_EQ(Size()->text(), "512000") << bad;
    EXPECT_EQ(Tag(), 512000) << bad;
  }
  TypeInto(Size(), "007");
  EXPECT_EQ(Size()->text(), "007");
  EXPECT_EQ(Tag(), 7);
  TypeInto(Size(), " $400");
  EXPECT_EQ(Tag(), 1024);
  TypeInto(Size(), "0");
  EXPECT_EQ(Tag(), 0);
  TypeInto(Size(), "junk");
  EXPECT_EQ(Size()->text(), "0");
}

TEST_F(ConfigDialogTest, MultipliersUseTheSample) {
  Show();
  TypeInto(Sample(), "500");
  Click("BtnKB");
  EXPECT_EQ(Size()->text(), "512000");
  TypeInto(Sample(), "999");
  Click("BtnMB");
  EXPECT_EQ(Size()->text(), "1047527424");
  EXPECT_EQ(Tag(), 1047527424);
  TypeInto(Sample(), "0");
  Click("BtnKB");
  EXPECT_EQ(Tag(), 0);
}

TEST_F(ConfigDialogTest, SampleAboveTheRangeStaysButTheLastPositionCounts) {
  Show();
  TypeInto(Sample(), "500");
  TypeInto(Sample(), "1500");
  EXPECT_EQ(Sample()->text(), "1500");
  Click("BtnKB");
  EXPECT_EQ(Tag(), 512000);
  TypeInto(Sample(), "-3");
  EXPECT_EQ(Sample()->text(), "500");
  TypeInto(Sample(), "abc");
  EXPECT_EQ(Sample()->text(), "500");
}

TEST_F(ConfigDialogTest, UpDownWraps) {
  Show();
  const auto arrows = Find<TUpDown>("UpdnSample")->findChildren<QToolButton*>();
  ASSERT_EQ(arrows.size(), 2);
  QToolButton* up = arrows[0]->arrowType() == Qt::UpArrow ? arrows[0] : arrows[1];
  QToolButton* down = up == arrows[0] ? arrows[1] : arrows[0];
  QTest::mouseClick(down, Qt::LeftButton);
  EXPECT_EQ(Sample()->text(), "999");
  QTest::mouseClick(up, Qt::LeftButton);
  EXPECT_EQ(Sample()->text(), "0");
  QTest::mouseClick(up, Qt::LeftButton);
  EXPECT_EQ(Sample()->text(), "1");
  Click("BtnMB");
  EXPECT_EQ(Tag(), 1048576);
}

TEST_F(ConfigDialogTest, CancelCloseAndEscapeLeaveTheStoreAlone) {
  Show();
  TypeInto(Size(), "1000");
  Click("ChkHidden");
  Click("BtnCancel");
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(store.FLowerSize, 512000);
  EXPECT_TRUE(store.FHidden);

  Show();
  EXPECT_EQ(Size()->text(), "512000");
  EXPECT_TRUE(Find<QCheckBox>("ChkHidden")->isChecked());
  TypeInto(Size(), "1000");
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  QTest::keyClick(Find<QWidget>("BtnApply"), Qt::Key_Return);
  EXPECT_TRUE(form.isVisible());
  form.close();  // what the title bar's close button does
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(store.FLowerSize, 512000);
}

TEST_F(ConfigDialogTest, ApplyTakesAJustTypedBound) {
  Show();
  Size()->setFocus(Qt::TabFocusReason);
  Size()->selectAll();
  QTest::keyClicks(Size(), "1000");
  Click("ChkReadOnly");
  Click("BtnApply");
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(store.FLowerSize, 1000);
  EXPECT_TRUE(store.FReadOnly);
}

TEST_F(ConfigDialogTest, ApplyWithoutEditsKeepsBothSets) {
  const std::string wide = std::string(200, 'w') + " name.mp4";
  for (const std::string& name : {wide, std::string("Thumbs.db"), std::string("no\u00a0break.txt"), std::string("bad\xff.mp4")})
    store.FIgnoreList.Add(name);
  for (const char* ext : {"", ".db", ".INI"}) store.FIgnoreExt.Add(ext);
  const auto names = Items(store.FIgnoreList);
  const auto exts = Items(store.FIgnoreExt);
  Show();
  Click("BtnApply");
  EXPECT_EQ(Items(store.FIgnoreList), names);
  EXPECT_EQ(Items(store.FIgnoreExt), exts);
}

TEST_F(ConfigDialogTest, PastedLinesAreTrimmedAndBlankOnesAreEmptyNames) {
  Show();
  Names()->setFocus();
  QTest::keyClicks(Names(), "  a.txt  ");
  QTest::keyClick(Names(), Qt::Key_Return);
  QTest::keyClick(Names(), Qt::Key_Return);
  QTest::keyClicks(Names(), "b.txt");
  QTest::keyClick(Names(), Qt::Key_Return);
  Click("BtnApply");
  EXPECT_EQ(Items(store.FIgnoreList), (std::vector<std::string>{"", "a.txt", "b.txt"}));
}

// A set holding only the empty string, from the ini file or from a single
// Enter in the memo, survives showing and applying without edits.
TEST_F(ConfigDialogTest, ASetOfOnlyTheEmptyNameSurvivesShowAndApply) {
  test::TTempDir dir;
  store.LoadFromFile(dir.WriteFile("Korvane.ini", "[IgnoreExt]\nListCount=1\n"));
  ASSERT_EQ(Items(store.FIgnoreExt), std::vector<std::string>{""});
  for (int round = 0; round < 2; ++round) {
    Show();
    Click("BtnApply");
    EXPECT_EQ(Items(store.FIgnoreExt), std::vector<std::string>{""}) << round;
  }
  store.FIgnoreList.Clear();
  Show();
  QTest::keyClick(Names(), Qt::Key_Return);
  Click("BtnApply");
  Show();
  Click("BtnApply");
  EXPECT_EQ(Items(store.FIgnoreList), std::vector<std::string>{""});
}

// A file or folder dragged from a file manager brings its address and its path
// as text; no field takes it. Plain text may still be dropped.
TEST_F(ConfigDialogTest, FieldsRefuseDroppedFiles) {
  Show();
  auto drop = [](QWidget* target, bool withUrl) {
    QMimeData data;
    if (withUrl) data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/clips"))});
    data.setText(withUrl ? QStringLiteral("file:///tmp/clips") : QStringLiteral("typed"));
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return enter.isAccepted() || dropped.isAccepted();
  };
  for (QWidget* field : {static_cast<QWidget*>(Names()->viewport()),
                         Find<QPlainTextEdit>("MemIgnoreExt")->viewport(), static_cast<QWidget*>(Size()),
                         static_cast<QWidget*>(Sample())}) {
    EXPECT_FALSE(drop(field, true)) << field->parent()->objectName().toStdString();
  }
  EXPECT_EQ(Names()->toPlainText(), "");
  EXPECT_EQ(Size()->text(), "512000");
  EXPECT_EQ(Sample()->text(), "0");
  EXPECT_TRUE(drop(Names()->viewport(), false));
  EXPECT_EQ(Names()->toPlainText(), "typed");
}

TEST_F(ConfigDialogTest, RemovedLineShrinksTheIniList) {
  test::TTempDir dir;
  const std::string ini = dir.WriteFile("Korvane.ini", "[IgnoreList]\nListCount=3\n0=a.txt\n1=b.txt\n2=c.txt\n");
  store.LoadFromFile(ini);
  Show();
  ASSERT_EQ(Names()->toPlainText(), "a.txt\nb.txt\nc.txt");
  Names()->setFocus();
  QTest::keyClick(Names(), Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(Names(), Qt::Key_Down);
  QTest::keyClick(Names(), Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(Names(), Qt::Key_Delete);
  ASSERT_EQ(Names()->toPlainText(), "a.txt\nc.txt");
  Click("BtnApply");
  store.SaveToFile(ini);  // what a normal exit does
  EXPECT_EQ(test::ReadFile(ini),
            "[IgnoreList]\nListCount=2\n0=a.txt\n1=c.txt\n2=c.txt\n"
            "[IgnoreAttr]\nFReadOnly=0\nFHidden=1\nFSysFile=1\n"
            "[IgnoreExt]\nListCount=0\n"
            "[LowerSize]\nFLowerSize=512000\n");
  TConfig reloaded;
  reloaded.LoadFromFile(ini);
  EXPECT_EQ(Items(reloaded.FIgnoreList), (std::vector<std::string>{"a.txt", "c.txt"}));
}

}  // namespace
}  // namespace korvane
