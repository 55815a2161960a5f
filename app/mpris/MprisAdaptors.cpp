#include "app/mpris/MprisAdaptors.h"

#include <QDBusError>

#include "app/logic/PlayerCommands.h"

namespace korvane {

namespace {

// Reads a value for a property; a player failure gives the fallback, as a
// property read has no error to report.
template <typename T, typename F>
T ReadOr(T fallback, F read) {
  try {
    return read();
  } catch (const PlayerError&) {
    return fallback;
  }
}

}  // namespace

QVariantMap MetadataMap(const MprisTrack& track) {
  QVariantMap map;
  map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QString::fromStdString(track.id))));
  if (track.url.empty()) return map;
  map.insert(QStringLiteral("xesam:title"), QString::fromStdString(track.title));
  map.insert(QStringLiteral("xesam:url"), QString::fromStdString(track.url));
  if (track.lengthUs > 0) map.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(track.lengthUs));
  return map;
}

TMprisRootAdaptor::TMprisRootAdaptor(TMprisObject* object, IMprisTarget& target)
    : QDBusAbstractAdaptor(object), target_(target) {}

QStringList TMprisRootAdaptor::SupportedMimeTypes() const {
  // The desktop entry's list, given by the build.
  return QString::fromLatin1(KORVANE_MIME_TYPES).split(QLatin1Char(','));
}

void TMprisRootAdaptor::Raise() { target_.Raise(); }

TMprisPlayerAdaptor::TMprisPlayerAdaptor(TMprisObject* object, IWMPCore& player, IMprisTarget& target,
                                         std::function<void()> onSeek)
    : QDBusAbstractAdaptor(object), object_(*object), player_(player), target_(target), onSeek_(std::move(onSeek)) {}

QString TMprisPlayerAdaptor::PlaybackStatus() const {
  return QString::fromStdString(PlaybackStatusName(target_.PlayState()));
}

QVariantMap TMprisPlayerAdaptor::Metadata() const {
  return MetadataMap(ReadOr(MprisTrack{}, [this] { return CurrentTrack(player_, target_.MediaIndex()); }));
}

double TMprisPlayerAdaptor::Volume() const {
  return ReadOr(0.0, [this] { return MprisVolume(player_); });
}

void TMprisPlayerAdaptor::SetVolume(double volume) {
  ReadOr(false, [&] {
    SetMprisVolume(player_, volume);
    return true;
  });
}

qlonglong TMprisPlayerAdaptor::Position() const {
  return ReadOr<qlonglong>(0, [this] { return PositionUs(player_); });
}

bool TMprisPlayerAdaptor::CanSeek() const {
  return ReadOr(false, [this] { return player_.currentMedia() != nullptr; });
}

void TMprisPlayerAdaptor::Run(const std::function<void()>& command) {
  try {
    command();
  } catch (const PlayerError& error) {
    object_.sendErrorReply(QDBusError::Failed, QString::fromUtf8(error.what()));
  }
}

void TMprisPlayerAdaptor::PlayPause() {
  Run([this] { TogglePlayPause(player_); });
}
void TMprisPlayerAdaptor::Play() {
  Run([this] { player_.controls().play(); });
}
void TMprisPlayerAdaptor::Pause() {
  Run([this] { player_.controls().pause(); });
}
void TMprisPlayerAdaptor::Stop() {
  Run([this] { player_.controls().stop(); });
}
void TMprisPlayerAdaptor::Next() {
  Run([this] { target_.NextMedia(); });
}
void TMprisPlayerAdaptor::Previous() {
  Run([this] { target_.PrevMedia(); });
}

void TMprisPlayerAdaptor::Seek(qlonglong Offset) {
  Run([&] {
    SeekByUs(player_, Offset);
    onSeek_();
  });
}

void TMprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
  Run([&] {
    if (SetPositionUs(player_, target_.MediaIndex(), TrackId.path().toStdString(), Position)) onSeek_();
  });
}

void TMprisPlayerAdaptor::OpenUri(const QString&) {
  object_.sendErrorReply(QDBusError::NotSupported, QStringLiteral("Files are opened through the program's list"));
}

}  // namespace korvane
