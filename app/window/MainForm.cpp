#include "app/window/MainForm.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QVBoxLayout>

#include "app/window/ConfigLifetime.h"
#include "app/window/Drops.h"
#include "app/startup/HandOffInbox.h"
#include "app/window/ListEntries.h"
#include "app/window/MainFormLook.h"
#include "app/window/MoveToMenu.h"
#include "app/mpris/MprisService.h"
#include "app/logic/PlaybackSpeed.h"
#include "app/logic/PlayerCommands.h"
#include "app/startup/StartUp.h"
#include "app/window/StatusPanels.h"
#include "app/window/WindowEvents.h"
#include "base/Utf.h"
#include "config/Config.h"
#include "config/ConfigForm.h"
#include "dialogs/info/Info.h"
#include "dialogs/prop/Prop.h"
#include "dialogs/prop/PropForm.h"
#include "dialogs/info/ShellOpen.h"
#include "platform/EscapeKey.h"
#include "platform/OwnExecutable.h"
#include "search/FindFile.h"
#include "ui_MainForm.h"

namespace korvane {

namespace {

constexpr int kDesignLeft = 193;
constexpr int kDesignTop = 108;

std::unique_ptr<Ui::MainForm> LoadForm(QMainWindow* form) {
  auto ui = std::make_unique<Ui::MainForm>();
  ui->setupUi(form);
  return ui;
}

std::unique_ptr<IWMPCore> PlacePlayer(const PlayerFactory& makePlayer, QWidget* panel,
                                      std::function<void()>& stopDrawing) {
  PlayerHost host = makePlayer(panel);
  if (!host.player) throw std::runtime_error("no player");
  if (host.widget) panel->layout()->addWidget(host.widget);
  stopDrawing = std::move(host.stopDrawing);
  return std::move(host.player);
}

}  // namespace

TMainForm::TMainForm(const PlayerFactory& makePlayer, TFindFileThread& search, std::vector<std::string> params)
    : ui(LoadForm(this)),
      FPlayer(PlacePlayer(makePlayer, ui->PnlMain, FStopDrawing)),
      FFindFileThread(search),
      FMediaList(*FPlayer, *this, dynamic_cast<INeighbourHint*>(FPlayer.get())),
      FFileQuestions(this),
      FFileCommands(*FPlayer, *this, FMediaList, FFileQuestions),
      FPictureClicks(*FPlayer),
      FParams(std::move(params)) {
  move(kDesignLeft, kDesignTop);
  ApplyMainFormLook(*this, *ui);
  FStatusPanels = std::make_unique<TStatusPanels>(*ui->StatusBar);
  SetStatusText(kSearchHint, 2);
  FFullScreen = std::make_unique<TFullScreen>(*this, *ui->PnlMain, std::vector<QWidget*>{menuBar(), ui->Panel2, ui->Panel1, ui->StatusBar});
  FWindowEvents = std::make_unique<TWindowEvents>(*this, *ui->PnlMain, *ui->ComboList, WindowEventHandlers{
      [this] { FormResize(); }, [this](QKeyEvent& key) { FormKeyDown(&key); },
      [this](QDropEvent& drop) { dropEvent(&drop); }});
  ConnectPlayerEvents();
  FHandOffWnd = AllocateHandOffWindow(InstanceGuid, [this](uint32_t dwData, std::string_view lpData) {
    return HandOffWndProc(dwData, lpData);
  });
  FormCreate();
  FPropForm = std::make_unique<TPropForm>(this, *FPlayer);
  FConfigForm = std::make_unique<TConfigForm>(this, *ConfigStore);
  FMoveToMenu = std::make_unique<TMoveToMenu>(*ui->MenuMedia, *this, *ConfigStore,
                                              [this](const std::string& folder) { FFileCommands.MoveTo(folder); });
}

TMainForm::~TMainForm() {
  FWindowEvents.reset();
  FMoveToMenu.reset();
  FConfigForm.reset();
  FPropForm.reset();
  FormDestroy();
  FHandOffWnd.reset();
  // The player goes before the widgets that show its picture, and fires nothing more here.
  FPlayer->setEvents({});
  FPlayer.reset();
}

void TMainForm::FormCreate() {
  ui->LblOpenState->clear();
  ui->LblPlayState->clear();
  ui->LblStatusTxt->clear();
  ConfigStore = std::make_unique<TConfig>();
  FIniPath = OpenConfigStore(*ConfigStore);
  FPlayer->setStretchToFit(true);
  FTickStep = std::make_unique<TTickStep>(*FPlayer, static_cast<IMainView&>(*this), FMediaList, FFindFileThread, *ConfigStore, EscapeKeyState);
  FTimerThread = std::make_unique<TTimerThread>([this] { Tick(); }, [this] { WakeForTick(); });
  FMpris = std::make_unique<TMprisService>(*FPlayer, static_cast<IMprisTarget&>(*this));
  FFindFileThread.Resume();
}

void TMainForm::FormDestroy() {
  FMpris.reset();
  FTimerThread.reset();  // serves a queued tick while it waits for the thread
  FTickStep.reset();
  FFindFileThread.Cancel();
  CloseConfigStore(*ConfigStore, FIniPath, this);
  ConfigStore.reset();
}

void TMainForm::WakeForTick() {
  // Queued on this window, so the call is dropped if the window is gone by then.
  QMetaObject::invokeMethod(this, [this] { if (FTimerThread) FTimerThread->RunPending(); }, Qt::QueuedConnection);
}

void TMainForm::Tick() {
  FTickStep->Tick();
  // Gone already while the tick thread's last call is served at the end.
  if (FMpris) FMpris->Refresh();
}

void TMainForm::FormResize() {
  const PlayerRect rect{0, 0, ui->PnlMain->width(), ui->PnlMain->height()};
  FPlayer->SetObjectRects(rect, rect);
}

void TMainForm::FormShow() {
  for (const std::string& path : FParams)
    if (!path.empty()) FFindFileThread.AddPath(path);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FShown) return;
  FShown = true;
  FormShow();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  // Qt destroys the window's native windows right after this; the picture's
  // threads must not outlive them, nor wait for the save at the end.
  if (event->isAccepted() && FStopDrawing) FStopDrawing();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) { AcceptUrlDrag(*event); }

void TMainForm::dropEvent(QDropEvent* event) {
  WMDropFiles(event->mimeData()->urls());
  event->acceptProposedAction();
}

void TMainForm::WMDropFiles(const QList<QUrl>& urls) {
  for (const std::string& path : DroppedPaths(urls)) FFindFileThread.AddPath(path);
}

uint32_t TMainForm::HandOffWndProc(uint32_t dwData, std::string_view lpData) {
  const auto raise = [this](const std::string& token) {
    // Qt's Wayland activation takes the token from the environment, once.
    if (!token.empty()) qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(token));
    Raise();
  };
  const auto queue = [this](const std::string& path) { FFindFileThread.AddPath(path); };
  return AnswerHandOff(dwData, lpData, FHandOffList, {InstanceMarked(), raise, queue});
}

void TMainForm::SetStatusText(const std::string& text, int index) { FStatusPanels->SetText(text, index); }
QString TMainForm::StatusText(int index) const { return FStatusPanels->Text(index); }

int TMainForm::ItemCount() const { return ui->ComboList->count(); }
std::string TMainForm::Item(int index) const { return EntryPath(*ui->ComboList, index); }
void TMainForm::AppendItem(const std::string& path) { AppendEntry(*ui->ComboList, path); }

int TMainForm::ItemIndex() const { return ui->ComboList->currentIndex(); }
void TMainForm::SetItemIndex(int index) { ui->ComboList->setCurrentIndex(index); }

void TMainForm::NextMedia() { FMediaList.NextMedia(); }
void TMainForm::PrevMedia() { FMediaList.PrevMedia(); }

void TMainForm::Raise() {
  // Restored as it was before, maximised included.
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
}

int32_t TMainForm::PlayState() const { return FPlayState; }
int TMainForm::MediaIndex() const { return FPlayer->URL().empty() ? -1 : ItemIndex(); }

void TMainForm::ComboListSelect() { FMediaList.ComboListSelect(); }

void TMainForm::MenuNextMediaClick() {
  if (sender() == ui->MenuPrevMedia) FMediaList.PrevMedia();
  else if (sender() == ui->MenuNextMedia) FMediaList.NextMedia();
}

int TMainForm::SenderTag() const { return sender() ? sender()->property("Tag").toInt() : 0; }

void TMainForm::BtnMinus30Click() { SkipBy(*FPlayer, SenderTag()); }

void TMainForm::MenuEndMinus10Click() {
  if (sender() == ui->MenuRewindFirst) RewindToStart(*FPlayer);
  else if (sender() == ui->MenuEndMinus10) JumpToEndMinus10(*FPlayer);
}

void TMainForm::MenuVolume90Click() { SetVolumeOrToggleMute(*FPlayer, SenderTag()); }
void TMainForm::TrackBalanceChange() { FPlayer->settings().setBalance(ui->TrackBalance->value()); }
void TMainForm::BtnSndVolClick() { ShellOpen("sndvol32.exe", ""); }

void TMainForm::MenuRenameClick() { FFileCommands.Rename(); }
void TMainForm::MenuTrashFileClick() { FFileCommands.Trash(); }
void TMainForm::MenuUndoTrashClick() { FFileCommands.Undo(); }
void TMainForm::MenuSpeedUpClick() { ChangeSpeed(*FPlayer, SenderTag()); }
void TMainForm::MenuFullScreenClick() { FFullScreen->Toggle(); }
void TMainForm::MenuPositionClick() { JumpToPercent(*FPlayer, SenderTag()); }

void TMainForm::MenuPlayerPropClick() { FPropForm->exec(); }
void TMainForm::MenuConfClick() { FConfigForm->exec(); }
void TMainForm::MenuVersionClick() { ShowAboutDialog(this); }

void TMainForm::FormKeyDown(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space) TogglePlayPause(*FPlayer);
  if (event->key() == Qt::Key_Escape) FFullScreen->Leave();  // the search still sees it
}

void TMainForm::ConnectPlayerEvents() {
  WMPEvents events;
  events.OpenStateChange = [this](int32_t state) { FPlayerOpenStateChange(state); };
  events.PlayStateChange = [this](int32_t state) { FPlayerPlayStateChange(state); };
  events.StatusChange = [this] { FPlayerStatusChange(); };
  events.MediaChange = [this](IWMPMedia& item) { FPlayerMediaChange(item); };
  events.Click = [this](int16_t button, int16_t shift, int32_t x, int32_t y) { FPlayerClick(button, shift, x, y); };
  events.DoubleClick = [this](int16_t, int16_t, int32_t, int32_t) { FPlayerDoubleClick(); };
  events.FullScreenToggle = [this] { FFullScreen->Toggle(); };
  FPlayer->setEvents(std::move(events));
}

void TMainForm::FPlayerOpenStateChange(int32_t newState) {
  ui->LblOpenState->setText(QString::fromUtf8(OpenStateName(newState)));
}

void TMainForm::FPlayerPlayStateChange(int32_t newState) {
  FPlayState = newState;
  ui->LblPlayState->setText(QString::fromUtf8(PlayStateName(newState)));
  if (FMpris) FMpris->Refresh();
}

void TMainForm::FPlayerStatusChange() {
  ui->LblStatusTxt->setText(QString::fromUtf8(ToDisplayText(FPlayer->status())));
}

void TMainForm::FPlayerMediaChange(IWMPMedia& item) {
  const std::string title = ApplicationTitle(OwnExecutablePath());
  setWindowTitle(QString::fromUtf8(MediaCaption(title, item)));
  if (FMpris) FMpris->Refresh();
}

void TMainForm::FPlayerClick(int16_t, int16_t, int32_t x, int32_t y) {
  FPictureClicks.Click(InClickZone(x, y, ui->PnlMain->width(), ui->PnlMain->height()));
}

void TMainForm::FPlayerDoubleClick() {
  FPictureClicks.DoubleClick();
  FFullScreen->Toggle();
}

}  // namespace korvane
