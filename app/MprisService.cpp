#include "app/MprisService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <atomic>
#include <cstdlib>

#include "app/MprisAdaptors.h"

namespace korvane {

namespace {

// RequestName's flag and answer from the bus daemon's interface.
constexpr uint kDoNotQueue = 4;
constexpr uint kPrimaryOwner = 1;

// The address as the environment gives it now (libdbus would keep the first one
// it saw for the whole process, and try to start a bus when there is none).
QString SessionBusAddress() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  return address ? QString::fromLocal8Bit(address) : QString();
}

// Each service has a connection of its own, so that it can go with the service.
QString NewConnectionName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("korvane-mpris-%1").arg(++counter);
}

}  // namespace

struct TMprisService::Bus {
  Bus(IWMPCore& player, IMprisTarget& target, QDBusConnection connection)
      : player(player), target(target), connection(std::move(connection)) {}
  ~Bus() {
    connection.unregisterObject(QString::fromLatin1(kObjectPath));
    QDBusConnection::disconnectFromBus(connection.name());
  }

  IWMPCore& player;
  IMprisTarget& target;
  QDBusConnection connection;
  TMprisObject object;  // owns the adaptors
  MprisSnapshot shown;
  bool active = true;
};

TMprisService::TMprisService(IWMPCore& player, IMprisTarget& target) {
  const QString address = SessionBusAddress();
  if (address.isEmpty()) return;
  QDBusConnection connection = QDBusConnection::connectToBus(address, NewConnectionName());
  if (!connection.isConnected()) {
    QDBusConnection::disconnectFromBus(connection.name());
    return;
  }
  bus_ = std::make_unique<Bus>(player, target, connection);
  new TMprisRootAdaptor(&bus_->object, target);
  new TMprisPlayerAdaptor(&bus_->object, player, target);
  try {
    bus_->shown = TakeSnapshot(player, target);
  } catch (const PlayerError&) {
  }
  if (!connection.registerObject(QString::fromLatin1(kObjectPath), &bus_->object, QDBusConnection::ExportAdaptors)) {
    bus_.reset();
    return;
  }
  QDBusMessage request = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("/org/freedesktop/DBus"),
                                                        QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("RequestName"));
  request << QString::fromLatin1(kServiceName) << kDoNotQueue;
  auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(request), &bus_->object);
  Bus* bus = bus_.get();
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &bus_->object, [bus](QDBusPendingCallWatcher* call) {
    QDBusPendingReply<uint> reply = *call;
    if (reply.isError() || reply.value() != kPrimaryOwner) bus->active = false;
    call->deleteLater();
  });
}

TMprisService::~TMprisService() = default;

bool TMprisService::Active() const { return bus_ && bus_->active; }

void TMprisService::Refresh() {
  if (!Active()) return;
  MprisSnapshot now;
  try {
    now = TakeSnapshot(bus_->player, bus_->target);
  } catch (const PlayerError&) {
    return;
  }
  if (now == bus_->shown) return;
  QVariantMap changed;
  if (now.status != bus_->shown.status) changed.insert(QStringLiteral("PlaybackStatus"), QString::fromStdString(now.status));
  if (now.track != bus_->shown.track) changed.insert(QStringLiteral("Metadata"), MetadataMap(now.track));
  if (now.volume != bus_->shown.volume) changed.insert(QStringLiteral("Volume"), now.volume);
  if (now.canSeek != bus_->shown.canSeek) changed.insert(QStringLiteral("CanSeek"), now.canSeek);
  bus_->shown = now;
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
  bus_->connection.send(signal);
}

}  // namespace korvane
