#include "app/startup/StartFailure.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <string>

namespace korvane {
namespace {

// A display the user looks at: not Qt's platforms that draw nowhere.
bool HasScreen() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void Report(const std::string& reason) {
  std::fprintf(stderr, "Korvane: cannot start: %s\n", reason.c_str());
  if (!HasScreen()) return;
  try {
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(),
                          QStringLiteral("Korvane cannot start:\n%1").arg(QString::fromUtf8(reason.c_str())));
  } catch (...) {
    // Already said on standard error.
  }
}

}  // namespace

int RunReportingStartFailure(const std::function<int()>& start) {
  std::string reason;
  try {
    return start();
  } catch (const std::exception& e) {
    reason = e.what();
  } catch (...) {
    reason = "unknown error";
  }
  Report(reason);
  return kStartFailureExit;
}

}  // namespace korvane
