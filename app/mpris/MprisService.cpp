#include "app/mpris/MprisService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <atomic>
#include <chrono>
#include <cstdlib>

#include "app/mpris/MprisAdaptors.h"

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

  // Sends what changed since the last look; `seeked`: the position was just
  // put over the bus, so it is announced whatever it is.
  void Announce(bool seeked);
  void SendChanges(const MprisSnapshot& now);
  void SendSeeked(int64_t positionUs, bool sameTrack, bool seeked);

  IWMPCore& player;
  IMprisTarget& target;
  QDBusConnection connection;
  TMprisObject object;  // owns the adaptors
  TMprisPlayerAdaptor* playerAdaptor = nullptr;
  MprisSnapshot shown;
  int64_t positionUs = 0;
  std::chrono::steady_clock::time_point positionAt = std::chrono::steady_clock::now();
  bool active = true;
};

void TMprisService::Bus::Announce(bool seeked) {
  MprisSnapshot now;
  int64_t position = 0;
  try {
    now = TakeSnapshot(player, target);
    position = PositionUs(player);
  } catch (const TPlayerError&) {
    return;
  }
  SendSeeked(position, now.track == shown.track, seeked);
  if (now != shown) SendChanges(now);
}

void TMprisService::Bus::SendSeeked(int64_t position, bool sameTrack, bool seeked) {
  const auto now = std::chrono::steady_clock::now();
  const int64_t elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - positionAt).count();
  const bool jumped = sameTrack && PositionJumped(positionUs, position, elapsed, shown.status == "Playing");
  positionUs = position;
  positionAt = now;
  if (seeked || jumped) emit playerAdaptor->Seeked(position);
}

void TMprisService::Bus::SendChanges(const MprisSnapshot& now) {
  QVariantMap changed;
  if (now.status != shown.status) changed.insert(QStringLiteral("PlaybackStatus"), QString::fromStdString(now.status));
  if (now.track != shown.track) changed.insert(QStringLiteral("Metadata"), MetadataMap(now.track));
  if (now.volume != shown.volume) changed.insert(QStringLiteral("Volume"), now.volume);
  if (now.rate != shown.rate) changed.insert(QStringLiteral("Rate"), now.rate);
  if (now.canSeek != shown.canSeek) changed.insert(QStringLiteral("CanSeek"), now.canSeek);
  shown = now;
  QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
  connection.send(signal);
}

TMprisService::TMprisService(IWMPCore& player, IMprisTarget& target) {
  const QString address = SessionBusAddress();
  if (address.isEmpty()) return;
  QDBusConnection connection = QDBusConnection::connectToBus(address, NewConnectionName());
  if (!connection.isConnected()) {
    QDBusConnection::disconnectFromBus(connection.name());
    return;
  }
  FBus = std::make_unique<Bus>(player, target, connection);
  new TMprisRootAdaptor(&FBus->object, target);
  Bus* bus = FBus.get();
  bus->playerAdaptor = new TMprisPlayerAdaptor(&bus->object, player, target, [bus] { bus->Announce(true); });
  try {
    bus->shown = TakeSnapshot(player, target);
    bus->positionUs = PositionUs(player);
  } catch (const TPlayerError&) {
  }
  if (!connection.registerObject(QString::fromLatin1(kObjectPath), &FBus->object, QDBusConnection::ExportAdaptors)) {
    FBus.reset();
    return;
  }
  QDBusMessage request = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("/org/freedesktop/DBus"),
                                                        QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("RequestName"));
  request << QString::fromLatin1(kServiceName) << kDoNotQueue;
  auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(request), &FBus->object);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &FBus->object, [bus](QDBusPendingCallWatcher* call) {
    QDBusPendingReply<uint> reply = *call;
    if (reply.isError() || reply.value() != kPrimaryOwner) bus->active = false;
    call->deleteLater();
  });
}

TMprisService::~TMprisService() = default;

bool TMprisService::Active() const { return FBus && FBus->active; }

void TMprisService::Refresh() {
  if (Active()) FBus->Announce(false);
}

}  // namespace korvane
