#include "dialogs/info/DesktopFolders.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QUrl>
#include <cstdlib>

#include "base/Paths.h"
#include "dialogs/QtText.h"
#include "platform/HomeFolder.h"

namespace korvane {

void ShowFileProperties(const std::string& FileName) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
  call << QStringList{QUrl::fromLocalFile(QtText(FileName)).toString()} << QString();
  bus.send(call);
}

std::string GetDesktopFolder() {
  QProcess lookup;
  lookup.start(QStringLiteral("xdg-user-dir"), {QStringLiteral("DESKTOP")});
  if (lookup.waitForFinished(3000) && lookup.exitStatus() == QProcess::NormalExit && lookup.exitCode() == 0) {
    const std::string folder = lookup.readAllStandardOutput().trimmed().toStdString();
    if (!folder.empty()) return folder;
  }
  lookup.kill();
  lookup.waitForFinished(1000);
  return IncludeTrailingPathDelimiter(HomeFolder()) + "Desktop";
}

std::string GetStartupFolder() {
  const char* config = getenv("XDG_CONFIG_HOME");
  const std::string base = config && config[0] == '/' ? config : IncludeTrailingPathDelimiter(HomeFolder()) + ".config";
  return IncludeTrailingPathDelimiter(base) + "autostart";
}

std::string GetSendToFolder() { return ""; }

}  // namespace korvane
