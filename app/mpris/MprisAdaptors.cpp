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
  } catch (const TPlayerError&) {
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
    : QDBusAbstractAdaptor(object), FTarget(target) {}

QStringList TMprisRootAdaptor::SupportedMimeTypes() const {
  // The desktop entry's list, given by the build.
  return QString::fromLatin1(KORVANE_MIME_TYPES).split(QLatin1Char(','));
}

void TMprisRootAdaptor::Raise() { FTarget.Raise(); }

TMprisPlayerAdaptor::TMprisPlayerAdaptor(TMprisObject* object, IWMPCore& player, IMprisTarget& target,
                                         std::function<void()> onSeek)
    : QDBusAbstractAdaptor(object), FObject(*object), FPlayer(player), FTarget(target), FOnSeek(std::move(onSeek)) {}

QString TMprisPlayerAdaptor::PlaybackStatus() const {
  return QString::fromStdString(PlaybackStatusName(FTarget.PlayState()));
}

QVariantMap TMprisPlayerAdaptor::Metadata() const {
  return MetadataMap(ReadOr(MprisTrack{}, [this] { return CurrentTrack(FPlayer, FTarget.MediaIndex()); }));
}

double TMprisPlayerAdaptor::Volume() const {
  return ReadOr(0.0, [this] { return MprisVolume(FPlayer); });
}

void TMprisPlayerAdaptor::SetVolume(double volume) {
  ReadOr(false, [&] {
    SetMprisVolume(FPlayer, volume);
    return true;
  });
}

qlonglong TMprisPlayerAdaptor::Position() const {
  return ReadOr<qlonglong>(0, [this] { return PositionUs(FPlayer); });
}

bool TMprisPlayerAdaptor::CanSeek() const {
  return ReadOr(false, [this] { return FPlayer.currentMedia() != nullptr; });
}

void TMprisPlayerAdaptor::Run(const std::function<void()>& command) {
  try {
    command();
  } catch (const TPlayerError& error) {
    FObject.sendErrorReply(QDBusError::Failed, QString::fromUtf8(error.what()));
  }
}

void TMprisPlayerAdaptor::PlayPause() {
  Run([this] { TogglePlayPause(FPlayer); });
}
void TMprisPlayerAdaptor::Play() {
  Run([this] { FPlayer.controls().play(); });
}
void TMprisPlayerAdaptor::Pause() {
  Run([this] { FPlayer.controls().pause(); });
}
void TMprisPlayerAdaptor::Stop() {
  Run([this] { FPlayer.controls().stop(); });
}
void TMprisPlayerAdaptor::Next() {
  Run([this] { FTarget.NextMedia(); });
}
void TMprisPlayerAdaptor::Previous() {
  Run([this] { FTarget.PrevMedia(); });
}

void TMprisPlayerAdaptor::Seek(qlonglong Offset) {
  Run([&] {
    SeekByUs(FPlayer, Offset);
    FOnSeek();
  });
}

void TMprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
  Run([&] {
    if (SetPositionUs(FPlayer, FTarget.MediaIndex(), TrackId.path().toStdString(), Position)) FOnSeek();
  });
}

void TMprisPlayerAdaptor::OpenUri(const QString&) {
  FObject.sendErrorReply(QDBusError::NotSupported, QStringLiteral("Files are opened through the program's list"));
}

}  // namespace korvane
