#include "app/window/MainForm.h"
#include "app/startup/StartFailure.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <unistd.h>
#include <algorithm>
#include <QSlider>
#include <QTest>
#include <cstdlib>
#include <map>

#include "app/window/FullScreen.h"
#include "base/Paths.h"
#include "base/Utf.h"
#include "config/Config.h"
#include "search/FindFile.h"
#include "tests/support/ModalAnswers.h"
#include "tests/support/FakePlayer.h"
#include "harness/TempDir.h"

namespace korvane::test {
namespace {

class MainFormTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "MainFormTest";
    static char* argv[] = {name, nullptr};
    // Never destroyed: a QApplication torn down by the exit handlers, after
    // gtest_main has returned, crashes in Qt's own clean-up.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
  }

  MainFormTest() { setenv("KORVANE_INI", ini.c_str(), 1); }

  std::unique_ptr<TMainForm> MakeForm() {
    return std::make_unique<TMainForm>(
        [](QWidget*) { return PlayerHost{std::make_unique<TFakePlayer>(), nullptr, {}}; }, FindFileThread(),
        std::vector<std::string>{});
  }
  static TFakePlayer& Fake(TMainForm& form) { return dynamic_cast<TFakePlayer&>(form.Player()); }
  template <typename T>
  static T* Child(TMainForm& form, const char* name) { return form.findChild<T*>(QString::fromLatin1(name)); }
  static void ProcessEventsFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
  }

  TTempDir dir;
  std::string ini = dir / "Korvane.ini";
};

TEST_F(MainFormTest, MenuItemsCarryTheirCaptionsShortCutsAndTags) {
  dir.WriteFile("Korvane.ini", "[MoveTo]\nFMoveTo1=" + dir / "kept&sorted" + "\n");
  auto form = MakeForm();
  struct Item { const char* caption; const char* shortcut; int tag; };
  const std::map<std::string, Item> expected = {
      {"MenuRewindFirst", {"最初まで巻戻し", "Home", 0}},  {"MenuMinus60", {"60秒巻戻し", "PgUp", -60}},
      {"MenuMinus30", {"30秒巻戻し", "Ctrl+Left", -30}},  {"MenuMinus10", {"10秒巻戻し", "Left", -10}},
      {"MenuPlus10", {"10秒早送り", "Right", 10}},        {"MenuPlus30", {"30秒早送り", "Ctrl+Right", 30}},
      {"MenuPlus60", {"60秒早送り", "PgDown", 60}},       {"MenuEndMinus10", {"終了10秒前", "End", 0}},
      {"MenuPrevMedia", {"前のメディアに移動", "Up", 0}}, {"MenuNextMedia", {"次のメディアに移動", "Down", 0}},
      {"MenuRename", {"ファイル名変更", "F2", 0}},        {"MenuTrashFile", {"ゴミ箱に捨てる", "Del", 0}},
      {"MenuMute", {"Mute", "Ctrl+M", -1}},               {"MenuVolume0", {"0%", "Ctrl+0", 0}},
      {"MenuVolume50", {"50%", "Ctrl+5", 50}},            {"MenuVolume90", {"90%", "Ctrl+9", 90}},
      {"MenuVolume100", {"100%", "Ctrl+A", 100}},         {"MenuPlayerProp", {"プレイヤーのプロパティ確認...", "", 0}},
      {"MenuConf", {"設定...", "", 0}},                   {"MenuVersion", {"このプログラムのバージョン...", "", 0}},
      {"MenuUndoTrash", {"ゴミ箱から戻す", "Ctrl+Z", 0}},      {"MenuSpeedUp", {"再生速度を上げる", "]", 1}},
      {"MenuSpeedDown", {"再生速度を下げる", "[", -1}},   {"MenuSpeedNormal", {"標準の速度", "Backspace", 0}},
      {"MenuFullScreen", {"全画面表示", "F11", 0}},     {"MenuPosition0", {"0%", "0", 0}},
      {"MenuPosition50", {"50%", "5", 50}},               {"MenuPosition90", {"90%", "9", 90}},
      {"MenuMoveTo1", {"送り先1へ移動 (kept&&sorted)", "Alt+1", 0}}, {"MenuMoveTo9", {"送り先9へ移動", "Alt+9", 0}},
      {"MenuMoveToConf", {"送り先の設定...", "", 0}},
  };
  for (const auto& [name, item] : expected) {
    auto* action = Child<QAction>(*form, name.c_str());
    ASSERT_NE(action, nullptr) << name;
    EXPECT_EQ(action->text().toStdString(), item.caption) << name;
    EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(item.shortcut))) << name;
    EXPECT_EQ(action->property("Tag").toInt(), item.tag) << name;
  }
  EXPECT_EQ(form->findChildren<QAction*>(QRegularExpression("^Menu")).size(), 52);
  // A target's item is there only to be used once its folder is set.
  EXPECT_TRUE(Child<QAction>(*form, "MenuMoveTo1")->isEnabled());
  EXPECT_FALSE(Child<QAction>(*form, "MenuMoveTo9")->isEnabled());
}

TEST_F(MainFormTest, StartsWithItsDesignTextsAndSetsThePlayerUp) {
  auto form = MakeForm();
  EXPECT_EQ(form->windowTitle(), "MainForm");
  EXPECT_EQ(form->font().pixelSize(), 13);
  EXPECT_EQ(form->font().family(), "ＭＳ ゴシック");
  EXPECT_EQ(form->StatusText(2), "[ESC] to Break");
  EXPECT_EQ(form->StatusText(0), "");
  EXPECT_EQ(Child<QLabel>(*form, "StatusPanel0")->width(), 300);
  EXPECT_EQ(Child<QLabel>(*form, "StatusPanel1")->width(), 75);
  for (const char* label : {"LblOpenState", "LblPlayState", "LblStatusTxt"})
    EXPECT_EQ(Child<QLabel>(*form, label)->text(), "") << label;
  auto* list = Child<QComboBox>(*form, "ComboList");
  EXPECT_FALSE(list->isEditable());
  EXPECT_EQ(list->maxVisibleItems(), 20);
  EXPECT_TRUE(form->acceptDrops());
  EXPECT_TRUE(Fake(*form).StretchToFit);
}

TEST_F(MainFormTest, TicksRunFromTheEventLoop) {
  auto form = MakeForm();
  form->show();
  // The first tick finds nothing waiting; a loaded machine may take a while to run it.
  for (int i = 0; i < 500 && form->StatusText(2) != ""; ++i) ProcessEventsFor(10);
  EXPECT_EQ(form->StatusText(2), "");
}

TEST_F(MainFormTest, UpAndDownOnAnEmptyListClearTheURL) {
  auto form = MakeForm();
  Child<QAction>(*form, "MenuNextMedia")->trigger();
  Child<QAction>(*form, "MenuPrevMedia")->trigger();
  EXPECT_EQ(Fake(*form).URLsPut, (std::vector<std::u16string>{u"", u""}));
  EXPECT_EQ(Child<QComboBox>(*form, "ComboList")->currentIndex(), -1);
}

TEST_F(MainFormTest, ResizingPlacesThePictureInItsPanel) {
  auto form = MakeForm();
  form->show();
  form->resize(800, 600);
  ProcessEventsFor(50);
  auto* panel = Child<QWidget>(*form, "PnlMain");
  ASSERT_FALSE(Fake(*form).ObjectRects.empty());
  const PlayerRect& last = Fake(*form).ObjectRects.back();
  EXPECT_EQ(last.right, panel->width());
  EXPECT_EQ(last.bottom, panel->height());
  EXPECT_EQ(Fake(*form).Calls.back(), "SetObjectRects 0,0," + std::to_string(panel->width()) + "," +
                                          std::to_string(panel->height()));
}

TEST_F(MainFormTest, PathsFromTheCommandLinePlayFromTheFirstFile) {
  const std::string a = dir.WriteFile("in/a.mp4", std::string(600000, 'x'));
  dir.WriteFile("in/b.mp4", std::string(600000, 'x'));
  auto form = std::make_unique<TMainForm>(
      [](QWidget*) { return PlayerHost{std::make_unique<TFakePlayer>(), nullptr, {}}; }, FindFileThread(),
      std::vector<std::string>{"", dir / "in"});
  form->show();
  auto* list = Child<QComboBox>(*form, "ComboList");
  for (int i = 0; i < 300 && list->count() < 2; ++i) ProcessEventsFor(10);
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentIndex(), 0);
  EXPECT_EQ(Fake(*form).URLsPut, std::vector<std::u16string>{ToWide(a)});
  EXPECT_EQ(form->StatusText(1), "0.57[MB]");
}

// The ini path is the one worked out at the start, whatever changes later.
TEST_F(MainFormTest, TheSettingsAreSavedAtTheEnd) {
  auto form = MakeForm();
  setenv("KORVANE_INI", (dir / "later.ini").c_str(), 1);
  form.reset();
  EXPECT_FALSE(ReadFile(ini).empty());
  EXPECT_TRUE(ReadFile(dir / "later.ini").empty());
}

// A folder that is missing, or an ini that the user made read-only.
// The save comes after the window has closed: a box then would stand unseen.
TEST_F(MainFormTest, AFailedSaveAfterTheCloseIsReportedOnStderr) {
  const std::string readOnly = dir.WriteFile("ro/Korvane.ini", "[LowerSize]\nFLowerSize=7\n");
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  for (const std::string& path : {dir / "missing/Korvane.ini", readOnly}) {
    setenv("KORVANE_INI", path.c_str(), 1);
    auto form = MakeForm();
    BoxAnswerer user({QMessageBox::Ok});
    testing::internal::CaptureStderr();
    form.reset();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(user.seen.empty());
    EXPECT_NE(said.find("the settings were not saved: " + path + " に書き込めません"), std::string::npos) << said;
  }
  EXPECT_EQ(ReadFile(readOnly), "[LowerSize]\nFLowerSize=7\n");
}

TEST_F(MainFormTest, APlayerThatCannotStartIsReportedAndEndsWithAFailure) {
  testing::internal::CaptureStderr();
  const int status = RunReportingStartFailure([] {
    TMainForm form([](QWidget*) -> PlayerHost { throw TPlayerError("mpv_initialize failed"); }, FindFileThread(), {});
    return 0;
  });
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("cannot start: mpv_initialize failed"), std::string::npos) << err;
}

class MainFormControls : public MainFormTest {
 protected:
  MainFormControls() : form(MakeForm()), fake(Fake(*form)) {
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    fake.AvailabilityFollowsState = true;
    clip = dir.WriteFile("intro.mp4", "data");
  }
  void OpenClip() { fake.setURL(ToWide(clip)); }
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(form->windowHandle(), key, modifiers);
  }

  std::unique_ptr<TMainForm> form;
  TFakePlayer& fake;
  std::string clip;
};

TEST_F(MainFormControls, SpaceTogglesWhateverTheModifiers) {
  OpenClip();
  Press(Qt::Key_Space);
  EXPECT_EQ(fake.PlayState, wmppsPlaying);
  Press(Qt::Key_Space, Qt::ControlModifier);
  EXPECT_EQ(fake.PlayState, wmppsPaused);
  Press(Qt::Key_Space, Qt::ShiftModifier);
  EXPECT_EQ(fake.PlayState, wmppsPlaying);
}

TEST_F(MainFormControls, SpaceInTheFocusedListTogglesWithoutOpeningIt) {
  OpenClip();
  auto* list = Child<QComboBox>(*form, "ComboList");
  list->setFocus();
  Press(Qt::Key_Space);
  Press(Qt::Key_Space);
  EXPECT_EQ(fake.PlayState, wmppsPaused);
  EXPECT_FALSE(list->view()->isVisible());
}

TEST_F(MainFormControls, ShortCutsWinOverAFocusedTrackBar) {
  OpenClip();
  auto* balance = Child<QSlider>(*form, "TrackBalance");
  balance->setFocus();
  fake.Position = 20;
  Press(Qt::Key_Left);
  Press(Qt::Key_Right, Qt::ControlModifier);
  Press(Qt::Key_PageDown);
  Press(Qt::Key_Home);
  Press(Qt::Key_End);
  EXPECT_EQ(fake.PositionsPut, (std::vector<double>{10.0, 40.0, 100.0, 0.0, 286.12}));
  EXPECT_EQ(balance->value(), 0);
}

TEST_F(MainFormControls, UpAndDownMoveThroughTheListEvenWhenItHasTheFocus) {
  FindFileThread().AddPath(dir.WriteFile("first.mp4", std::string(600000, 'x')));
  FindFileThread().AddPath(dir.WriteFile("second.mp4", std::string(600000, 'x')));
  auto* list = Child<QComboBox>(*form, "ComboList");
  for (int i = 0; i < 300 && list->count() < 2; ++i) ProcessEventsFor(10);
  ASSERT_EQ(list->count(), 2);
  list->setFocus();
  Press(Qt::Key_Down);
  EXPECT_EQ(list->currentIndex(), 1);
  Press(Qt::Key_Up);
  Press(Qt::Key_Up);
  EXPECT_EQ(list->currentIndex(), -1);
  EXPECT_EQ(fake.URLsPut.back(), u"");
}

TEST_F(MainFormControls, VolumeShortCutsAndTheBalanceBar) {
  Press(Qt::Key_5, Qt::ControlModifier);
  EXPECT_EQ(fake.Volume, 50);
  Press(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(fake.Volume, 100);
  Press(Qt::Key_M, Qt::ControlModifier);
  Press(Qt::Key_0, Qt::ControlModifier);
  EXPECT_TRUE(fake.Mute);
  EXPECT_EQ(fake.Volume, 0);
  Child<QSlider>(*form, "TrackBalance")->setValue(-50);
  EXPECT_EQ(fake.Balance, -50);
}

TEST_F(MainFormControls, F11ShowsThePictureAloneWithEveryKeyAndF11OrEscGoesBack) {
  OpenClip();
  const QRect before = form->geometry();
  const std::vector<QWidget*> chrome = {form->menuBar(), Child<QWidget>(*form, "Panel1"), Child<QWidget>(*form, "Panel2"),
                                        Child<QWidget>(*form, "StatusBar")};
  for (const bool byEscape : {false, true}) {
    Press(Qt::Key_F11);
    EXPECT_TRUE(form->isFullScreen());
    EXPECT_EQ(form->geometry(), form->screen()->geometry());
    for (QWidget* widget : chrome) EXPECT_FALSE(widget->isVisible()) << widget->objectName().toStdString();
    EXPECT_EQ(Child<QWidget>(*form, "PnlMain")->palette().color(QPalette::Window), QColor(Qt::black));
    Press(Qt::Key_Right);  // the menu's keys, with the menu hidden, also those of a sub-menu
    Press(Qt::Key_5);
    Press(byEscape ? Qt::Key_Escape : Qt::Key_F11);
    EXPECT_FALSE(form->isFullScreen());
    EXPECT_EQ(form->geometry(), before);
    for (QWidget* widget : chrome) EXPECT_TRUE(widget->isVisible()) << widget->objectName().toStdString();
    EXPECT_EQ(Child<QWidget>(*form, "PnlMain")->palette().color(QPalette::Window), QColor(Qt::white));
  }
  EXPECT_EQ(fake.PositionsPut, (std::vector<double>{10.0, 148.06, 158.06, 148.06}));
}

TEST_F(MainFormControls, InFullScreenThePointerHidesAfterASecondStillUntilItMoves) {
  Press(Qt::Key_F11);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  ProcessEventsFor(kPointerHideMs + 300);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
  QTest::mouseMove(form->windowHandle(), QPoint(100, 100));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  ProcessEventsFor(kPointerHideMs + 300);
  EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
  Press(Qt::Key_F11);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MainFormControls, ADoubleClickTogglesFullScreenAndLeavesPlayAsItWas) {
  OpenClip();
  fake.Click(1, 0, 60, 10);
  ASSERT_EQ(fake.PlayState, wmppsPlaying);
  fake.DoubleClick(1, 0, 60, 10);
  EXPECT_TRUE(form->isFullScreen());
  EXPECT_EQ(fake.PlayState, wmppsPlaying);
  fake.DoubleClick(1, 0, 10, 10);  // in the margin: no toggle to take back
  EXPECT_FALSE(form->isFullScreen());
  EXPECT_EQ(fake.PlayState, wmppsPlaying);
}

// F11, Esc and a double click on the picture change nothing behind a modal
// dialog or while the window is minimised, in full screen or not. Esc goes to
// the form itself: Qt would hold a key for a blocked window back anyway.
TEST_F(MainFormControls, FullScreenWaitsForAnOpenDialogAndANormalWindow) {
  OpenClip();
  auto* fullScreen = Child<QAction>(*form, "MenuFullScreen");
  const auto inFullScreen = [&] { return form->menuBar()->isHidden(); };  // the chrome is what it hides
  const auto everyAsk = [&] {
    std::vector<bool> after;
    fullScreen->trigger();
    after.push_back(inFullScreen());
    QTest::keyClick(form.get(), Qt::Key_Escape);
    after.push_back(inFullScreen());
    fake.DoubleClick(1, 0, 60, 10);
    after.push_back(inFullScreen());
    return after;
  };
  for (const bool full : {false, true}) {
    SCOPED_TRACE(full ? "full screen" : "window");
    form->showNormal();
    if (full) fullScreen->trigger();
    ASSERT_EQ(inFullScreen(), full);
    std::vector<bool> duringDialog;
    {
      TModalAnswerer answer([&](QWidget* dialog) {
        if (duringDialog.empty()) duringDialog = everyAsk();
        dialog->close();
      });
      Child<QAction>(*form, "MenuConf")->trigger();
    }
    EXPECT_EQ(duringDialog, std::vector<bool>(3, full));
    form->showMinimized();
    EXPECT_EQ(everyAsk(), std::vector<bool>(3, full));
  }
}

TEST_F(MainFormControls, TheLabelsAndTheCaptionFollowThePlayer) {
  OpenClip();
  EXPECT_EQ(Child<QLabel>(*form, "LblOpenState")->text(), "MediaOpen");
  EXPECT_EQ(Child<QLabel>(*form, "LblPlayState")->text(), "Ready");
  EXPECT_EQ(Child<QLabel>(*form, "LblStatusTxt")->text(), QString::fromStdU16String(kStatusReady));
  EXPECT_EQ(form->windowTitle(), "app_mainform_tests 640x480 intro");
  fake.setURL(u"");  // closing keeps the caption
  EXPECT_EQ(form->windowTitle(), "app_mainform_tests 640x480 intro");
  EXPECT_EQ(Child<QLabel>(*form, "LblOpenState")->text(), "PlaylistOpenNoMedia");
}

TEST_F(MainFormControls, AClickInsideTheZoneToggles) {
  OpenClip();
  auto* panel = Child<QWidget>(*form, "PnlMain");
  fake.Click(1, 0, 49, 10);
  EXPECT_EQ(fake.PlayState, wmppsReady);
  fake.Click(1, 0, 50, 0);
  EXPECT_EQ(fake.PlayState, wmppsPlaying);
  fake.Click(1, 0, 60, panel->height() - 100);
  EXPECT_EQ(fake.PlayState, wmppsPlaying);
}

TEST_F(MainFormControls, TheInspectMenuShowsTheDialogsModally) {
  std::vector<std::string> shown;
  TModalAnswerer answer([&](QWidget* dialog) {
    shown.push_back(dialog->metaObject()->className());
    dialog->close();
  });
  Child<QAction>(*form, "MenuPlayerProp")->trigger();
  Child<QAction>(*form, "MenuConf")->trigger();
  Child<QAction>(*form, "MenuVersion")->trigger();
  EXPECT_EQ(shown, (std::vector<std::string>{"korvane::TPropForm", "korvane::TConfigForm", "korvane::TInfoForm"}));
}

class MainFormFileCommands : public MainFormControls {
 protected:
  MainFormFileCommands() { setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1); }
  ~MainFormFileCommands() override { unsetenv("XDG_DATA_HOME"); }

  void Drop(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
  }
  QComboBox* List() { return Child<QComboBox>(*form, "ComboList"); }
  void WaitForEntries(int count) {
    for (int i = 0; i < 300 && List()->count() < count; ++i) ProcessEventsFor(10);
  }
  std::string Big(const std::string& name) { return dir.WriteFile(name, std::string(600000, 'x')); }
  // The offscreen platform does not give the window back its activation after a box.
  void Reactivate() {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
};

TEST_F(MainFormFileCommands, DroppedLocalPathsAreSearchedByteForByteCutTo260Bytes) {
  const std::string folderFile = Big("drop/in.mp4");
  // A file whose path is exactly 260 bytes, dropped with a longer path that starts with it.
  const std::string exact = Big(std::string(259 - dir.Path().size(), 'n'));
  ASSERT_EQ(exact.size(), 260u);
  // One of 258 bytes, dropped with a character of three bytes after it: the cut keeps no part of that.
  const std::string before = Big(std::string(257 - dir.Path().size(), 'u'));
  ASSERT_EQ(before.size(), 258u);
  // A name that is not UTF-8 comes as the file manager writes it, percent-encoded.
  const std::string latin1 = Big("caf\xE9.mp4");
  Drop({QUrl(QStringLiteral("https://example.com/x.mp4")), QUrl::fromLocalFile(QString::fromStdString(dir / "drop")),
        QUrl::fromLocalFile(QString::fromStdString(exact + "/more.mp4")),
        QUrl::fromLocalFile(QString::fromStdString(before + "\u3042/x.mp4")),
        QUrl::fromEncoded(QByteArray::fromStdString("file://" + PercentEncodePath(latin1)))});
  WaitForEntries(4);
  ASSERT_EQ(List()->count(), 4);
  std::vector<std::string> entries;
  for (int i = 0; i < 4; ++i) entries.push_back(List()->itemData(i).toByteArray().toStdString());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{latin1, folderFile, exact, before}));
}

TEST_F(MainFormFileCommands, RenameProposesBaseAndTitleAndAppendsTheNewPath) {
  Press(Qt::Key_F2);  // no media: nothing asked
  const std::string take = Big("take1.avi");
  FakeMediaInfo info;
  info.name = u"Interview";
  fake.SetMedia(ToWide(take), info);
  FindFileThread().AddPath(take);
  WaitForEntries(1);
  QString proposed, prompt;
  TModalAnswerer answer([&](QWidget* dialog) {
    auto* edit = dialog->findChild<QLineEdit*>();
    for (QLabel* label : dialog->findChildren<QLabel*>()) prompt += label->text();
    proposed = edit->text();
    edit->setText(QStringLiteral("renamed"));
    qobject_cast<QDialog*>(dialog)->accept();
  });
  Press(Qt::Key_F2);
  EXPECT_EQ(proposed, "take1Interview");
  EXPECT_TRUE(prompt.contains(QString::fromStdString(dir.Path() + "/"))) << prompt.toStdString();
  ASSERT_EQ(List()->count(), 2);
  EXPECT_EQ(List()->itemData(1).toByteArray().toStdString(), dir / "renamed.avi");
  EXPECT_EQ(List()->currentIndex(), 0);
  EXPECT_EQ(ToNarrow(fake.URL()), take);  // the player is not told
  EXPECT_FALSE(ReadFile(dir / "renamed.avi").empty());
}

TEST_F(MainFormFileCommands, DeleteTrashesTheSelectedFileAndMovesOn) {
  Press(Qt::Key_Delete);  // nothing selected: nothing asked
  const std::string only = Big("only.mp4");
  FindFileThread().AddPath(only);
  WaitForEntries(1);
  ASSERT_EQ(List()->currentIndex(), 0);
  BoxAnswerer answer({QMessageBox::Yes});
  Press(Qt::Key_Delete);
  EXPECT_EQ(access(only.c_str(), F_OK), -1);
  EXPECT_EQ(access((dir / "data/Trash/files/only.mp4").c_str(), F_OK), 0);
  EXPECT_EQ(List()->currentIndex(), 0);
  EXPECT_EQ(fake.URLsPut.back(), u"");
}

TEST_F(MainFormFileCommands, DecliningTheTrashStillMovesOn) {
  const std::string a = Big("a.mp4"), b = Big("b.mp4");
  FindFileThread().AddPath(dir.Path());
  WaitForEntries(2);
  BoxAnswerer answer({QMessageBox::No});
  Press(Qt::Key_Delete);
  EXPECT_EQ(access(a.c_str(), F_OK), 0);
  EXPECT_EQ(List()->currentIndex(), 1);
  EXPECT_EQ(ToNarrow(fake.URL()), b);
}

TEST_F(MainFormFileCommands, AFileEndingWhileDeleteAsksIsNotSkippedPast) {
  Big("a.mp4");
  const std::string b = Big("b.mp4");
  Big("c.mp4");
  FindFileThread().AddPath(dir.Path());
  WaitForEntries(3);
  ASSERT_EQ(List()->currentIndex(), 0);
  // The file asked about ends while the box is up, and the ticks move the list on.
  BoxAnswerer answer({QMessageBox::No}, [&](QMessageBox&) {
    if (List()->currentIndex() != 0) return true;
    fake.FinishMedia();
    return false;
  });
  Press(Qt::Key_Delete);
  EXPECT_EQ(List()->currentIndex(), 1);
  EXPECT_EQ(ToNarrow(fake.URL()), b);
}

TEST_F(MainFormFileCommands, CtrlZBringsTrashedFilesBackNewestFirstAndPlaysThem) {
  Press(Qt::Key_Z, Qt::ControlModifier);  // nothing to undo: nothing happens
  const std::string a = Big("a.mp4"), b = Big("b.mp4");
  Big("c.mp4");
  FindFileThread().AddPath(dir.Path());
  WaitForEntries(3);
  {
    TModalAnswerer yes([](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    for (int i = 0; i < 2; ++i) {
      Press(Qt::Key_Delete);
      Reactivate();
    }
  }
  ASSERT_EQ(List()->currentIndex(), 2);
  // b's name is taken meanwhile: b stays in the trash, the box says why, and
  // the next Ctrl+Z goes on to a.
  dir.WriteFile("b.mp4", "new");
  QString told;
  TModalAnswerer ok([&](QWidget* box) {
    told = qobject_cast<QMessageBox*>(box)->text();
    qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
  });
  Press(Qt::Key_Z, Qt::ControlModifier);
  Reactivate();
  EXPECT_TRUE(told.contains(QStringLiteral("同じ名前"))) << told.toStdString();
  EXPECT_EQ(ReadFile(b), "new");
  EXPECT_EQ(List()->currentIndex(), 2);
  Press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(ReadFile(a), std::string(600000, 'x'));
  EXPECT_EQ(List()->currentIndex(), 0);
  EXPECT_EQ(ToNarrow(fake.URL()), a);
  EXPECT_EQ(fake.PlayState, wmppsPlaying);
  EXPECT_EQ(access((dir / "data/Trash/info/a.mp4.trashinfo").c_str(), F_OK), -1);
  EXPECT_EQ(List()->count(), 3);
}

}  // namespace
}  // namespace korvane::test
