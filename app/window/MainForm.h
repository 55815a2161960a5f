#pragma once
// The main window: media list on top, player in the middle, sound controls and
// state labels below, status bar and menu. It owns the player, the
// configuration store's lifetime and the tick thread.
#include <QList>
#include <QMainWindow>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/FullScreen.h"
#include "app/startup/HandOffServer.h"
#include "app/logic/MainView.h"
#include "app/logic/MediaList.h"
#include "app/mpris/MprisControl.h"
#include "app/logic/PlayerCommands.h"
#include "app/logic/TickStep.h"
#include "app/logic/TimerThread.h"
#include "app/logic/FileCommands.h"
#include "base/StringList.h"
#include "dialogs/trash/FileQuestions.h"
#include "player/Player.h"

class QKeyEvent;
namespace Ui {
class MainForm;
}

namespace korvane {

class TConfig;
class TConfigForm;
class TFindFileThread;
class TPropForm;
class TMoveToMenu;
class TMprisService;
class TStatusPanels;
class TWindowEvents;

// The player and the widget that shows its picture (null for a player without
// one); stopDrawing, when set, ends the picture for good at the window's close.
struct PlayerHost {
  std::unique_ptr<IWMPCore> player;
  QWidget* widget = nullptr;
  std::function<void()> stopDrawing;
};
// Makes the player inside the given panel.
using PlayerFactory = std::function<PlayerHost(QWidget* panel)>;

class TMainForm : public QMainWindow, private IMainView, private IMprisTarget {
  Q_OBJECT

 public:
  // search: where every path the window is given goes; it outlives the window.
  // params: the paths given on the command line, searched when the window is first shown.
  TMainForm(const PlayerFactory& makePlayer, TFindFileThread& search, std::vector<std::string> params);
  ~TMainForm() override;

  // The periodic step; GUI thread only.
  void Tick();
  void SetStatusText(const std::string& text, int index) override;
  QString StatusText(int index) const;

  // Closes the hand-off endpoint once the event loop has ended, so that a
  // later launch finds nobody listening and waits to take over.
  void StopHandOff() { FHandOffWnd.reset(); }

  IWMPCore& Player() { return *FPlayer; }
  TMediaList& MediaList() { return FMediaList; }

 public slots:
  void ComboListSelect();
  void MenuNextMediaClick();
  void BtnMinus30Click();
  void MenuEndMinus10Click();
  void MenuVolume90Click();
  void MenuRenameClick();
  void MenuTrashFileClick();
  void MenuUndoTrashClick();
  void MenuSpeedUpClick();
  void MenuFullScreenClick();
  void MenuPositionClick();
  void MenuPlayerPropClick();
  void MenuConfClick();
  void MenuVersionClick();
  void TrackBalanceChange();
  void BtnSndVolClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FormCreate();
  void FormDestroy();
  void FormResize();
  void FormShow();
  // The hand-off window's message procedure: an activate request brings the
  // window to the front while the instance is marked; a hand-off (dwData
  // InstanceMarker) of comma text goes to the search item by item. Result 0
  // for everything else.
  uint32_t HandOffWndProc(uint32_t dwData, std::string_view lpData);
  // Each dropped local file or folder goes to the search, in order; other URLs are ignored.
  void WMDropFiles(const QList<QUrl>& urls);
  // Called on the tick thread: has the GUI thread run the handed-over tick.
  void WakeForTick();
  // Key preview: sees each key for this window before the focused control.
  void FormKeyDown(QKeyEvent* event);
  // The player's events.
  void ConnectPlayerEvents();
  void FPlayerOpenStateChange(int32_t newState);
  void FPlayerPlayStateChange(int32_t newState);
  void FPlayerStatusChange();
  void FPlayerMediaChange(IWMPMedia& item);
  void FPlayerClick(int16_t button, int16_t shiftState, int32_t x, int32_t y);
  void FPlayerDoubleClick();
  // The Tag of the menu item or control that raised the running handler.
  int SenderTag() const;

  // IMainView over ComboList.
  int ItemCount() const override;
  std::string Item(int index) const override;
  void AppendItem(const std::string& path) override;
  int ItemIndex() const override;
  void SetItemIndex(int index) override;

  // IMprisTarget: what the desktop's media controls reach.
  void NextMedia() override;
  void PrevMedia() override;
  void Raise() override;
  int32_t PlayState() const override;
  int MediaIndex() const override;

  std::unique_ptr<Ui::MainForm> ui;
  std::unique_ptr<TStatusPanels> FStatusPanels;
  std::function<void()> FStopDrawing;  // set by PlacePlayer, before FPlayer
  std::unique_ptr<IWMPCore> FPlayer;
  TFindFileThread& FFindFileThread;
  // Created in FormCreate, released in FormDestroy.
  std::unique_ptr<TConfig> ConfigStore;
  TMediaList FMediaList;
  TFileQuestions FFileQuestions;
  TFileCommands FFileCommands;
  TPictureClicks FPictureClicks;
  std::unique_ptr<TFullScreen> FFullScreen;
  std::unique_ptr<TTickStep> FTickStep;
  std::unique_ptr<TTimerThread> FTimerThread;
  // The dialogs live as long as the window.
  std::unique_ptr<TPropForm> FPropForm;
  std::unique_ptr<TConfigForm> FConfigForm;
  std::unique_ptr<TMoveToMenu> FMoveToMenu;
  std::unique_ptr<TMprisService> FMpris;
  int32_t FPlayState = 0;
  std::vector<std::string> FParams;
  bool FShown = false;
  // Null when another process owns the hand-off (tests) or it could not listen.
  std::unique_ptr<THandOffServer> FHandOffWnd;
  // The items of the last hand-off received.
  TStringList FHandOffList;
  std::string FIniPath;  // worked out once at start: the close saves where the start read
  // Resize, key preview, picture drags and Space on the list, application-wide.
  std::unique_ptr<TWindowEvents> FWindowEvents;
};

}  // namespace korvane
