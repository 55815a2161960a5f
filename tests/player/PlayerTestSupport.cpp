#include "tests/player/PlayerTestSupport.h"

#include <QThread>
#include <cstdlib>

#include "base/Utf.h"
#include "harness/TestTime.h"

namespace korvane::test {

QApplication& EnsureApp(bool useDisplay) {
  static QApplication* app = nullptr;
  if (!app) {
    if (!useDisplay || (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "player_tests";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
  }
  return *app;
}

bool WaitFor(const std::function<bool()>& pred, int timeoutMs) {
  timeoutMs = static_cast<int>(Scaled(std::chrono::milliseconds(timeoutMs)).count());
  QElapsedTimer timer;
  timer.start();
  while (!pred()) {
    if (timer.elapsed() > timeoutMs) return pred();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
}

void EventLog::Attach(IWMPCore& player) {
  WMPEvents ev;
  ev.OpenStateChange = [this](int32_t s) { entries.push_back("open " + std::to_string(s)); };
  ev.PlayStateChange = [this](int32_t s) { entries.push_back("play " + std::to_string(s)); };
  ev.StatusChange = [this] { entries.push_back("status"); };
  ev.MediaChange = [this](IWMPMedia& m) {
    entries.push_back("media " + ToNarrow(m.name()) + " " + std::to_string(m.imageSourceWidth()) + "x" +
                      std::to_string(m.imageSourceHeight()));
  };
  ev.Click = [this](int16_t b, int16_t s, int32_t x, int32_t y) {
    entries.push_back("click " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(x) + " " +
                      std::to_string(y));
  };
  ev.DoubleClick = [this](int16_t b, int16_t, int32_t, int32_t) { entries.push_back("doubleclick " + std::to_string(b)); };
  player.setEvents(std::move(ev));
}

bool EventLog::Has(const std::string& entry) const { return IndexOf(entry) >= 0; }

int EventLog::IndexOf(const std::string& entry, int from) const {
  for (size_t i = static_cast<size_t>(from); i < entries.size(); ++i) {
    if (entries[i] == entry) return static_cast<int>(i);
  }
  return -1;
}

std::string EventLog::Joined() const {
  std::string out;
  for (const auto& e : entries) out += (out.empty() ? "" : ", ") + e;
  return out;
}

}  // namespace korvane::test
