#pragma once
// The two bus interfaces of the media player object, as Qt adaptors over the
// player and the main window. Used by TMprisService only.
#include <QDBusAbstractAdaptor>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <iterator>

#include "app/mpris/MprisControl.h"
#include "app/logic/PlaybackSpeed.h"

namespace korvane {

// The D-Bus form of a track: mpris:trackid, xesam:title, xesam:url, mpris:length.
QVariantMap MetadataMap(const MprisTrack& track);

// The exported object the adaptors sit on; calls to them run in its context.
class TMprisObject : public QObject, public QDBusContext {
  Q_OBJECT
};

class TMprisRootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ CanQuit)
  Q_PROPERTY(bool CanRaise READ CanRaise)
  Q_PROPERTY(bool HasTrackList READ HasTrackList)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

 public:
  TMprisRootAdaptor(TMprisObject* object, IMprisTarget& target);
  bool CanQuit() const { return false; }
  bool CanRaise() const { return true; }
  bool HasTrackList() const { return false; }
  QString Identity() const { return QStringLiteral("Korvane"); }
  QString DesktopEntry() const { return QStringLiteral("korvane"); }
  QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
  QStringList SupportedMimeTypes() const;

 public slots:
  void Raise();
  // The program is left through its window only.
  void Quit() {}

 private:
  IMprisTarget& FTarget;
};

class TMprisPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(double Rate READ Rate)
  Q_PROPERTY(double MinimumRate READ MinimumRate)
  Q_PROPERTY(double MaximumRate READ MaximumRate)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(bool CanGoNext READ CanControl)
  Q_PROPERTY(bool CanGoPrevious READ CanControl)
  Q_PROPERTY(bool CanPlay READ CanControl)
  Q_PROPERTY(bool CanPause READ CanControl)
  Q_PROPERTY(bool CanSeek READ CanSeek)
  Q_PROPERTY(bool CanControl READ CanControl)

 public:
  // onSeek runs after each seek asked for over the bus.
  TMprisPlayerAdaptor(TMprisObject* object, IWMPCore& player, IMprisTarget& target, std::function<void()> onSeek);
  QString PlaybackStatus() const;
  double Rate() const { return FPlayer.settings().rate(); }
  double MinimumRate() const { return kSpeedSteps[0]; }
  double MaximumRate() const { return std::end(kSpeedSteps)[-1]; }
  QVariantMap Metadata() const;
  double Volume() const;
  void SetVolume(double volume);
  qlonglong Position() const;
  bool CanSeek() const;
  bool CanControl() const { return true; }

 public slots:
  void PlayPause();
  void Play();
  void Pause();
  void Stop();
  void Next();
  void Previous();
  void Seek(qlonglong Offset);
  void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
  void OpenUri(const QString& Uri);

 signals:
  // Sent by the service whenever the position jumps.
  void Seeked(qlonglong Position);

 private:
  // Runs a command; a player failure becomes the call's error reply.
  void Run(const std::function<void()>& command);

  TMprisObject& FObject;
  IWMPCore& FPlayer;
  IMprisTarget& FTarget;
  std::function<void()> FOnSeek;
};

}  // namespace korvane
