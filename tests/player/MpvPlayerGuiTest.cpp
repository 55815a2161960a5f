// The libmpv player with its picture, under a real X server (xvfb-run -a):
// the widget shows the clip's test pattern, and the main window's short-cuts
// still work after a click on the picture. Skipped without DISPLAY.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QMainWindow>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdlib>
#include <memory>

#include "base/Utf.h"
#include "player/ControlStrip.h"
#include "player/MpvPlayer.h"
#include "tests/player/PlayerTestSupport.h"
#include "harness/TestMedia.h"

namespace korvane {
namespace {

using test::WaitFor;

class MpvPlayerGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv(std::getenv("WAYLAND_DISPLAY") ? "WAYLAND_DISPLAY" : "DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no display (run under xvfb-run -a or a Weston)";
    test::EnsureApp(true);
    const QString platform = QGuiApplication::platformName();
    if (platform != "xcb" && platform != "wayland") GTEST_SKIP() << "no window system: " << platform.toStdString();
    qApp->setQuitOnLastWindowClosed(false);
    window = std::make_unique<QMainWindow>();
    window->resize(480, 400);
    auto* panel = new QWidget(window.get());
    window->setCentralWidget(panel);
    player = std::make_unique<TMpvPlayer>(panel);
    log.Attach(*player);
    player->setStretchToFit(true);
    window->show();
    ASSERT_TRUE(WaitFor([&] { return window->windowHandle() && window->windowHandle()->isExposed(); }));
    player->SetObjectRects({0, 0, panel->width(), panel->height()}, {0, 0, panel->width(), panel->height()});
    ASSERT_TRUE(player->RendersVideo()) << "no OpenGL render context";
  }
  void TearDown() override {
    player.reset();
    window.reset();
  }

  QImage GrabPlayer() {
    QWidget* w = player->Widget();
    const QPoint at = w->mapTo(window.get(), QPoint(0, 0));
    return window->screen()->grabWindow(window->winId(), at.x(), at.y(), w->width(), w->height()).toImage();
  }

  std::unique_ptr<QMainWindow> window;
  std::unique_ptr<TMpvPlayer> player;
  test::EventLog log;
};

TEST_F(MpvPlayerGuiTest, WidgetShowsTheTestPattern) {
  player->setURL(ToWide(test::ClipMp4()));
  ASSERT_TRUE(WaitFor([&] { return player->openState() == wmposMediaOpen; })) << log.Joined();
  // Paused on the first frame: it is drawn all the same. The first frames drawn
  // may still be black, and the screen shows them later: wait for the pattern.
  ASSERT_TRUE(WaitFor([&] { return player->FramesRendered() > 0; }, 5000));
  int colours = 0, bright = 0, samples = 0;
  auto measure = [&] {
    const QImage image = GrabPlayer();
    QSet<QRgb> seen;
    bright = samples = 0;
    for (int y = 4; y < image.height(); y += 8) {
      for (int x = 4; x < image.width(); x += 8) {
        const QRgb px = image.pixel(x, y);
        seen.insert(px & 0xF0F0F0);
        if (qRed(px) + qGreen(px) + qBlue(px) > 200) ++bright;
        ++samples;
      }
    }
    colours = static_cast<int>(seen.size());
    return colours > 20 && bright > samples / 4;
  };
  // Wayland lets no client read the screen: only the drawing is checked there.
  if (QGuiApplication::platformName() == "xcb") {
    WaitFor(measure, 5000);
    // testsrc2: many saturated colours over most of the picture (scaled to fit, letterboxed).
    EXPECT_GT(colours, 20) << "distinct colours";
    EXPECT_GT(bright, samples / 4) << "bright samples";
  }
  // Playing redraws.
  const int before = player->FramesRendered();
  player->controls().play();
  ASSERT_TRUE(WaitFor([&] { return player->FramesRendered() > before + 10; }, 5000));
}

// A hide (which on Wayland takes the surface), a close (which destroys the
// native windows) and a swap to a standby's surface, while the cores play: no
// frame may be drawn on a surface that is gone, and the picture comes back.
// On Wayland a re-shown top-level does not expose its old sub-surfaces again;
// the program ends with its window, so there the close comes last.
TEST_F(MpvPlayerGuiTest, ThePictureNeverOutlivesItsSurface) {
  const std::string clips[] = {test::ClipMp4(), test::Gop10Mp4()};
  const bool reshown = QGuiApplication::platformName() == "xcb";
  for (int round = 0; round < 12; ++round) {
    const std::string& current = clips[round % 2];
    player->setURL(ToWide(current));
    player->controls().play();
    ASSERT_TRUE(WaitFor([&] { return player->playState() == wmppsPlaying; })) << log.Joined();
    player->HintNeighbours("", clips[(round + 1) % 2]);
    const int drawn = player->FramesRendered();
    player->Widget()->hide();
    test::Pump(20);
    player->Widget()->show();
    if (reshown && round % 3 == 2) {
      window->close();
      test::Pump(20);
      window->show();
    }
    ASSERT_TRUE(WaitFor([&] { return player->FramesRendered() > drawn + 5; })) << "round " << round;
    ASSERT_TRUE(WaitFor([&] { return player->StandbysReady() > 0; })) << "round " << round;
  }
  window->close();
  test::Pump(100);
}

TEST_F(MpvPlayerGuiTest, ShortcutsWorkAfterAClickOnThePicture) {
  if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "xdotool drives X11 only";
  int rights = 0;
  auto* action = new QAction("10秒早送り", window.get());
  action->setShortcut(QKeySequence(Qt::Key_Right));
  QObject::connect(action, &QAction::triggered, [&] { ++rights; });
  window->addAction(action);
  window->activateWindow();
  window->raise();
  ASSERT_TRUE(WaitFor([&] { return window->isActiveWindow(); }, 3000));
  player->setURL(ToWide(test::ClipMp4()));
  ASSERT_TRUE(WaitFor([&] { return player->openState() == wmposMediaOpen; }));

  const QPoint centre = player->Widget()->mapToGlobal(QPoint(player->Widget()->width() / 2, 40));
  QProcess xdotool;
  xdotool.start("xdotool", {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "1",
                            "sleep", "0.3", "key", "Right", "sleep", "0.2", "key", "Right"});
  if (!xdotool.waitForStarted(3000)) GTEST_SKIP() << "xdotool not installed";
  ASSERT_TRUE(WaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 8000));
  test::Pump(300);
  EXPECT_EQ(rights, 2) << log.Joined();
  int clicks = 0;
  for (const auto& e : log.entries) clicks += e.rfind("click 1 0 ", 0) == 0;
  EXPECT_EQ(clicks, 1) << log.Joined();
  EXPECT_TRUE(window->isActiveWindow());

  // A click on the strip's own window: no click on the picture, the keys stay the window's.
  log.entries.clear();
  TSeekBar& bar = player->Widget()->findChild<TControlStrip*>()->SeekBar();
  ASSERT_TRUE(WaitFor([&] { return bar.isEnabled(); }));
  const QPoint onBar = bar.mapToGlobal(QPoint(bar.width() / 2, bar.height() / 2));
  xdotool.start("xdotool", {"mousemove", QString::number(onBar.x()), QString::number(onBar.y()), "click", "1",
                            "sleep", "0.3", "key", "Right"});
  ASSERT_TRUE(WaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 8000));
  test::Pump(300);
  EXPECT_EQ(rights, 3);
  EXPECT_TRUE(log.entries.empty()) << log.Joined();
  EXPECT_TRUE(window->isActiveWindow());
  xdotool.start("xdotool", {"mousemove", QString::number(centre.x()), QString::number(centre.y())});
  ASSERT_TRUE(WaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 8000));

  // A double click on the picture's own window is one click, then one double click.
  log.entries.clear();
  xdotool.start("xdotool", {"click", "--repeat", "2", "--delay", "60", "1"});
  ASSERT_TRUE(WaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 8000));
  test::Pump(300);
  EXPECT_EQ(log.entries.size(), 2u) << log.Joined();
  EXPECT_EQ(log.entries.at(0).rfind("click 1 0 ", 0), 0u) << log.Joined();
  EXPECT_EQ(log.entries.at(1), "doubleclick 1");
}

}  // namespace
}  // namespace korvane
