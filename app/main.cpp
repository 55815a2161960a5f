// Korvane: a player for skimming fast through many media files.
#include <QFont>
#include <QLocale>
#include <malloc.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/startup/Application.h"
#include "app/startup/CommandLine.h"
#include "app/startup/FrontHandOver.h"
#include "app/window/MainForm.h"
#include "app/startup/QuitOnSignals.h"
#include "app/startup/StartFailure.h"
#include "app/startup/StartUp.h"
#include "base/Format.h"
#include "platform/OwnExecutable.h"
#include "platform/QuitSignals.h"
#include "player/MpvPlayer.h"
#include "search/FindFile.h"

namespace {

korvane::NumberStyle SystemNumberStyle() {
  const QLocale locale = QLocale::system();
  return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

korvane::PlayerHost MakePlayer(QWidget* panel) {
  auto player = std::make_unique<korvane::TMpvPlayer>(panel);
  QWidget* widget = player->Widget();
  korvane::TMpvPlayer* drawn = player.get();
  return {std::move(player), widget, [drawn] { drawn->StopDrawing(); }};
}

}  // namespace

int main(int argc, char** argv) {
  // Each libmpv core (the current one and those opening files ahead) runs a
  // dozen threads; glibc would give each thread an arena of its own, and what a
  // closed file freed would stay spread over them.
  mallopt(M_ARENA_MAX, 2);
  // Before anything reads the program's path; the front has done the rest of this already.
  korvane::TakeOverFromFront(korvane::InstanceGuid);
  // Read before anything else, so a later replacement of the file changes nothing.
  korvane::OwnExecutablePath();
  if (const std::optional<int> status = korvane::AnswerOptions(argc, argv)) return *status;  // --help, --version
  // Started without the front, a later launch still opens no window.
  const std::vector<std::string> paths(argv + 1, argv + argc);
  if (const std::optional<int> status = korvane::HandOffToRunningInstance(korvane::InstanceGuid, paths)) return *status;
  // Before any thread exists: a quit signal from now on waits for the event loop.
  korvane::HoldQuitSignals();
  korvane::SetInstanceMarker(true);
  korvane::TApplication app(argc, argv);
  // libmpv needs the C library's numbers; the user's separators go to the format rules.
  std::setlocale(LC_NUMERIC, "C");
  korvane::SetUserNumberStyle(SystemNumberStyle());
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));

  korvane::TFindFileThread& search = korvane::FindFileThread();
  const int status = korvane::RunReportingStartFailure([&] {
    korvane::TMainForm form(MakePlayer, search, paths);
    form.show();
    const korvane::TQuitOnSignals quitOnSignals;
    const int result = app.exec();
    // From here a later launch finds nobody to talk to; the forms go after this.
    korvane::SetInstanceMarker(false);
    form.StopHandOff();
    // A second quit signal ends a teardown that hangs (a dead mount, a stuck driver).
    korvane::DefaultQuitSignals();
    return result;
  });
  // Everything is saved by now; a search held by a dead mount must not hold the exit.
  if (!search.Terminate(std::chrono::seconds(2))) {
    std::fprintf(stderr, "Korvane: the search did not end in time; leaving it\n");
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}
