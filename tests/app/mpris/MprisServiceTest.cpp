// The media controls driven for real: a private session bus per test, the
// service over the fake player, and clients on a second connection and as a
// separate dbus-send process, while the test runs the event loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/mpris/MprisService.h"
#include "tests/support/FakePlayer.h"

namespace korvane {
namespace {

const QString kService = QString::fromLatin1(TMprisService::kServiceName);
const QString kPath = QString::fromLatin1(TMprisService::kObjectPath);
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

test::FakeMediaInfo Media(std::u16string name, double duration) {
  test::FakeMediaInfo info;
  info.name = std::move(name);
  info.duration = duration;
  return info;
}

// Runs the event loop until the condition holds or five seconds have passed.
bool PumpUntil(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 5000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// A list of files over the fake player, recording what the service asked for.
class TRecordingTarget : public IMprisTarget {
 public:
  TRecordingTarget(test::TFakePlayer& player, std::vector<std::u16string> files)
      : FPlayer(player), FFiles(std::move(files)) {}
  void NextMedia() override { Step("NextMedia", +1); }
  void PrevMedia() override { Step("PrevMedia", -1); }
  void Raise() override { Calls.push_back("Raise"); }
  int32_t PlayState() const override { return FPlayer.PlayState; }
  int MediaIndex() const override { return FIndex; }

  void Open(int index) {
    FIndex = index;
    FPlayer.setURL(FFiles[index]);
    FPlayer.play();
  }
  std::vector<std::string> Calls;

 private:
  void Step(const char* name, int delta) {
    Calls.push_back(name);
    const int next = FIndex + delta;
    if (next >= 0 && next < static_cast<int>(FFiles.size())) Open(next);
  }
  test::TFakePlayer& FPlayer;
  std::vector<std::u16string> FFiles;
  int FIndex = -1;
};

class MprisService : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "mpris_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }

  void SetUp() override {
    FDaemon.start(QStringLiteral("dbus-daemon"), {"--session", "--print-address", "--nofork"});
    ASSERT_TRUE(FDaemon.waitForReadyRead(5000)) << "dbus-daemon did not start";
    FAddress = QString::fromUtf8(FDaemon.readLine()).trimmed();
    ASSERT_FALSE(FAddress.isEmpty());
    setenv("DBUS_SESSION_BUS_ADDRESS", FAddress.toUtf8().constData(), 1);
    FClient = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(FAddress, ClientName()));
    ASSERT_TRUE(FClient->isConnected());
    FPlayer.SetMedia(u"/media/first clip.mp4", Media(u"First", 60));
    FPlayer.SetMedia(u"/media/second.mkv", Media(u"Second", 90));
  }

  void TearDown() override {
    FService.reset();
    FClient.reset();
    QDBusConnection::disconnectFromBus(ClientName());
    FDaemon.kill();
    FDaemon.waitForFinished(5000);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
  }

  static QString ClientName() { return QStringLiteral("mpris-test-client"); }

  // Starts the service and waits until it owns its name.
  void StartService() {
    FService = std::make_unique<TMprisService>(FPlayer, FTarget);
    ASSERT_TRUE(FService->Active());
    ASSERT_TRUE(PumpUntil([this] { return FClient->interface()->isServiceRegistered(kService).value(); }));
  }

  QDBusMessage Call(const QString& interface, const QString& method, const QVariantList& args = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, interface, method);
    message.setArguments(args);
    QDBusPendingCall call = FClient->asyncCall(message);
    EXPECT_TRUE(PumpUntil([&] { return call.isFinished(); }));
    return call.reply();
  }
  QDBusMessage CallPlayer(const QString& method, const QVariantList& args = {}) { return Call(kPlayer, method, args); }

  QVariant Property(const QString& interface, const QString& name) {
    QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    return reply.arguments().value(0).value<QDBusVariant>().variant();
  }
  QVariantMap Metadata() { return qdbus_cast<QVariantMap>(Property(kPlayer, QStringLiteral("Metadata"))); }

  QProcess FDaemon;
  QString FAddress;
  std::unique_ptr<QDBusConnection> FClient;
  test::TFakePlayer FPlayer;
  TRecordingTarget FTarget{FPlayer, {u"/media/first clip.mp4", u"/media/second.mkv"}};
  std::unique_ptr<TMprisService> FService;
};

// Collects the signals the service sends.
class TSignalRecorder : public QObject {
  Q_OBJECT
 public:
  std::vector<QVariantMap> Changes;
  std::vector<qlonglong> Seeks;
 public slots:
  void PropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
    if (interface == kPlayer) Changes.push_back(changed);
  }
  void Seeked(qlonglong position) { Seeks.push_back(position); }
};

TEST_F(MprisService, NextAndPreviousStepThroughTheListFromASeparateProcess) {
  StartService();
  FTarget.Open(0);
  QProcess send;
  send.start(QStringLiteral("dbus-send"), {"--session", "--print-reply", "--dest=" + kService, kPath,
                                            kPlayer + QStringLiteral(".Next")});
  ASSERT_TRUE(PumpUntil([&] { return send.state() == QProcess::NotRunning; }));
  EXPECT_EQ(send.exitCode(), 0) << send.readAllStandardError().toStdString();
  EXPECT_EQ(FPlayer.URL(), u"/media/second.mkv");
  EXPECT_EQ(CallPlayer(QStringLiteral("Previous")).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(FTarget.Calls, (std::vector<std::string>{"NextMedia", "PrevMedia"}));
  EXPECT_EQ(FPlayer.URL(), u"/media/first clip.mp4");
}

TEST_F(MprisService, PlaybackStatusFollowsPauseAndPlay) {
  StartService();
  FTarget.Open(0);
  EXPECT_EQ(Property(kPlayer, QStringLiteral("PlaybackStatus")).toString(), "Playing");
  CallPlayer(QStringLiteral("Pause"));
  EXPECT_EQ(Property(kPlayer, QStringLiteral("PlaybackStatus")).toString(), "Paused");
  CallPlayer(QStringLiteral("PlayPause"));
  EXPECT_EQ(Property(kPlayer, QStringLiteral("PlaybackStatus")).toString(), "Playing");
  CallPlayer(QStringLiteral("Stop"));
  EXPECT_EQ(Property(kPlayer, QStringLiteral("PlaybackStatus")).toString(), "Stopped");
  CallPlayer(QStringLiteral("Play"));
  EXPECT_EQ(Property(kPlayer, QStringLiteral("PlaybackStatus")).toString(), "Playing");
}

TEST_F(MprisService, MetadataNamesThePlayingFile) {
  StartService();
  QVariantMap none = Metadata();
  EXPECT_EQ(none.value("mpris:trackid").value<QDBusObjectPath>().path(), kNoTrackId);
  EXPECT_FALSE(none.contains("xesam:url"));
  FTarget.Open(0);
  QVariantMap meta = Metadata();
  EXPECT_EQ(meta.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/korvane/Korvane/Track/0");
  EXPECT_EQ(meta.value("xesam:title").toString(), "First");
  EXPECT_EQ(meta.value("xesam:url").toString(), "file:///media/first%20clip.mp4");
  EXPECT_EQ(meta.value("mpris:length").toLongLong(), 60'000'000);
}

TEST_F(MprisService, SeekMovesThePositionByTheOffsetAndSetPositionGoesThere) {
  TSignalRecorder recorder;
  ASSERT_TRUE(FClient->connect(QString(), kPath, kPlayer, QStringLiteral("Seeked"), &recorder, SLOT(Seeked(qlonglong))));
  StartService();
  FTarget.Open(0);
  FPlayer.Position = 10;
  CallPlayer(QStringLiteral("Seek"), {QVariant::fromValue<qlonglong>(5'500'000)});
  EXPECT_DOUBLE_EQ(FPlayer.Position, 15.5);
  EXPECT_EQ(Property(kPlayer, QStringLiteral("Position")).toLongLong(), 15'500'000);
  const QVariant track = QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/korvane/Korvane/Track/0")));
  CallPlayer(QStringLiteral("SetPosition"), {track, QVariant::fromValue<qlonglong>(40'000'000)});
  EXPECT_DOUBLE_EQ(FPlayer.Position, 40);
  const QVariant other = QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/korvane/Korvane/Track/1")));
  CallPlayer(QStringLiteral("SetPosition"), {other, QVariant::fromValue<qlonglong>(1'000'000)});
  EXPECT_DOUBLE_EQ(FPlayer.Position, 40);
  EXPECT_TRUE(PumpUntil([&] { return recorder.Seeks.size() == 2; }));
  EXPECT_EQ(recorder.Seeks, (std::vector<qlonglong>{15'500'000, 40'000'000}));
}

TEST_F(MprisService, SkipsOfTheProgramAreAnnouncedAsSeeks) {
  TSignalRecorder recorder;
  ASSERT_TRUE(FClient->connect(QString(), kPath, kPlayer, QStringLiteral("Seeked"), &recorder, SLOT(Seeked(qlonglong))));
  StartService();
  FTarget.Open(0);
  FPlayer.pause();
  FService->Refresh();
  FPlayer.Position = 0.5;  // within the drift allowed
  FService->Refresh();
  FPlayer.Position = 30;
  FService->Refresh();
  FService->Refresh();
  FTarget.NextMedia();  // a new track starts at 0 without a seek
  FService->Refresh();
  Property(kPlayer, QStringLiteral("Volume"));  // a round trip, after which the signal has arrived
  EXPECT_TRUE(PumpUntil([&] { return !recorder.Seeks.empty(); }));
  EXPECT_EQ(recorder.Seeks, std::vector<qlonglong>{30'000'000});
}

TEST_F(MprisService, VolumeIsWritableAsAFractionOfTheSettingsVolume) {
  StartService();
  EXPECT_DOUBLE_EQ(Property(kPlayer, QStringLiteral("Volume")).toDouble(), 0.5);
  QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                            {kPlayer, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(0.9))});
  EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  EXPECT_EQ(FPlayer.Volume, 90);
}

TEST_F(MprisService, RefreshAnnouncesOnlyWhatChanged) {
  TSignalRecorder recorder;
  ASSERT_TRUE(FClient->connect(QString(), kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                               QStringLiteral("PropertiesChanged"), &recorder,
                               SLOT(PropertiesChanged(QString, QVariantMap, QStringList))));
  StartService();
  FService->Refresh();
  FTarget.Open(1);
  FService->Refresh();
  FService->Refresh();
  FPlayer.pause();
  FPlayer.Position = 30;  // the position is never announced
  FService->Refresh();
  FPlayer.setRate(1.5);
  FService->Refresh();
  EXPECT_DOUBLE_EQ(Property(kPlayer, QStringLiteral("Rate")).toDouble(), 1.5);
  EXPECT_DOUBLE_EQ(Property(kPlayer, QStringLiteral("MaximumRate")).toDouble(), 4.0);
  Property(kPlayer, QStringLiteral("Volume"));  // a round trip, after which the signals have arrived
  ASSERT_TRUE(PumpUntil([&] { return recorder.Changes.size() >= 3; }));
  ASSERT_EQ(recorder.Changes.size(), 3u);
  EXPECT_EQ(recorder.Changes[2].value("Rate").toDouble(), 1.5);
  EXPECT_EQ(recorder.Changes[0].keys(), (QStringList{"CanSeek", "Metadata", "PlaybackStatus"}));
  EXPECT_EQ(recorder.Changes[0].value("PlaybackStatus").toString(), "Playing");
  QVariantMap meta = qdbus_cast<QVariantMap>(recorder.Changes[0].value("Metadata"));
  EXPECT_EQ(meta.value("xesam:url").toString(), "file:///media/second.mkv");
  EXPECT_EQ(recorder.Changes[1].keys(), QStringList{"PlaybackStatus"});
  EXPECT_EQ(recorder.Changes[1].value("PlaybackStatus").toString(), "Paused");
}

TEST_F(MprisService, RootInterfaceNamesTheProgramAndRaisesItsWindow) {
  StartService();
  const QString root = QStringLiteral("org.mpris.MediaPlayer2");
  EXPECT_EQ(Property(root, QStringLiteral("Identity")).toString(), "Korvane");
  EXPECT_EQ(Property(root, QStringLiteral("DesktopEntry")).toString(), "korvane");
  EXPECT_FALSE(Property(root, QStringLiteral("CanQuit")).toBool());
  const QStringList types = Property(root, QStringLiteral("SupportedMimeTypes")).toStringList();
  EXPECT_TRUE(types.contains("video/mp4") && types.contains("audio/flac")) << types.join(' ').toStdString();
  EXPECT_EQ(Call(root, QStringLiteral("Raise")).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(FTarget.Calls, std::vector<std::string>{"Raise"});
}

TEST_F(MprisService, PlayerFailureBecomesAnErrorReplyAndUnsupportedOpenIsRefused) {
  StartService();
  FTarget.Open(0);
  FPlayer.FailNext("stop");
  QDBusMessage reply = CallPlayer(QStringLiteral("Stop"));
  EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(reply.errorName(), "org.freedesktop.DBus.Error.Failed");
  EXPECT_EQ(CallPlayer(QStringLiteral("OpenUri"), {QStringLiteral("file:///x.mp4")}).type(), QDBusMessage::ErrorMessage);
  FPlayer.FailNext("currentMedia", 3);
  FService->Refresh();  // swallowed; the next refresh sees the player again
  EXPECT_EQ(Property(kPlayer, QStringLiteral("PlaybackStatus")).toString(), "Playing");
}

TEST_F(MprisService, SecondServiceOnTheSameBusStandsDownWhenTheNameIsTaken) {
  StartService();
  TMprisService second(FPlayer, FTarget);
  EXPECT_TRUE(PumpUntil([&] { return !second.Active(); }));
  second.Refresh();
  FTarget.Open(0);
  EXPECT_EQ(CallPlayer(QStringLiteral("Next")).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(FTarget.Calls, std::vector<std::string>{"NextMedia"});
}

TEST_F(MprisService, WithoutASessionBusItStaysSilent) {
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  TMprisService silent(FPlayer, FTarget);
  EXPECT_FALSE(silent.Active());
  FTarget.Open(0);
  silent.Refresh();
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
  TMprisService unreachable(FPlayer, FTarget);
  EXPECT_FALSE(unreachable.Active());
  unreachable.Refresh();
  EXPECT_FALSE(FClient->interface()->isServiceRegistered(kService).value());
}

}  // namespace
}  // namespace korvane

#include "MprisServiceTest.moc"
