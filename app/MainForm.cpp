#include "app/MainForm.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QUrl>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "app/MprisService.h"
#include "app/PlayerCommands.h"
#include "app/StartUp.h"
#include "base/CommaText.h"
#include "base/Paths.h"
#include "base/Utf.h"
#include "config/Config.h"
#include "config/ConfigForm.h"
#include "dialogs/Info.h"
#include "dialogs/InputQuery.h"
#include "dialogs/MessageBox.h"
#include "dialogs/Prop.h"
#include "dialogs/PropForm.h"
#include "dialogs/Rename.h"
#include "dialogs/ShellOpen.h"
#include "dialogs/Trash.h"
#include "platform/EscapeKey.h"
#include "platform/HandOffMessage.h"
#include "platform/OwnExecutable.h"
#include "search/FindFile.h"
#include "ui_MainForm.h"

namespace korvane {

namespace {

constexpr int kDesignLeft = 193;
constexpr int kDesignTop = 108;
constexpr int kFontPixels = 13;
constexpr int kRowHeight = 18;
constexpr int kStatusBarHeight = 19;
constexpr int kPanelWidths[] = {300, 75};
constexpr int kPanelCount = 3;
constexpr int kPathRole = Qt::UserRole;
// A dropped path is cut to the length the drop buffer has always had.
constexpr size_t kMaxDroppedPath = 260;

// Rows of fixed height painted plainly: background (highlight when selected),
// the text 2 pixels from the left at the top, a focus rectangle.
class TComboRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
    painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
    painter->setFont(option.font);
    const QRect textRect = option.rect.adjusted(2, 0, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data().toString());
    if (option.state & QStyle::State_HasFocus) {
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(option);
      focus.backgroundColor = selected ? palette.highlight().color() : palette.base().color();
      option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
  }
};

void Fill(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

// A loudspeaker with two sound waves, for the mixer button.
QIcon LoudspeakerIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawPolygon(QPolygonF({{1, 6}, {4, 6}, {8, 2}, {8, 14}, {4, 10}, {1, 10}}));
  painter.setPen(QPen(Qt::black, 1.4));
  painter.setBrush(Qt::NoBrush);
  painter.drawArc(QRectF(6, 4.5, 5, 7), -60 * 16, 120 * 16);
  painter.drawArc(QRectF(6, 1.5, 9, 13), -60 * 16, 120 * 16);
  return QIcon(pixmap);
}

// A local file URL's path as bytes, taken from its percent-encoded form:
// QUrl::toLocalFile would replace the bytes of a name that is not UTF-8.
std::string LocalPathBytes(const QUrl& url) {
  return PercentDecodePath(url.path(QUrl::FullyEncoded).toStdString());
}

std::unique_ptr<Ui::MainForm> LoadForm(QMainWindow* form) {
  auto ui = std::make_unique<Ui::MainForm>();
  ui->setupUi(form);
  return ui;
}

std::unique_ptr<IWMPCore> PlacePlayer(const PlayerFactory& makePlayer, QWidget* panel) {
  PlayerHost host = makePlayer(panel);
  if (!host.player) throw std::runtime_error("no player");
  if (host.widget) panel->layout()->addWidget(host.widget);
  return std::move(host.player);
}

}  // namespace

TMainForm::TMainForm(const PlayerFactory& makePlayer, std::vector<std::string> params)
    : ui(LoadForm(this)),
      FPlayer(PlacePlayer(makePlayer, ui->PnlMain)),
      FMediaList(*FPlayer, *this),
      FParams(std::move(params)) {
  move(kDesignLeft, kDesignTop);
  SetUpFont();
  SetUpColours();
  SetUpStatusBar();
  SetUpComboList();
  ui->PnlMain->installEventFilter(this);
  qApp->installEventFilter(this);
  ConnectPlayerEvents();
  FHandOffWnd = AllocateHandOffWindow(InstanceGuid, [this](uint32_t dwData, std::string_view lpData) {
    return HandOffWndProc(dwData, lpData);
  });
  FormCreate();
  FPropForm = std::make_unique<TPropForm>(this, *FPlayer);
  FConfigForm = std::make_unique<TConfigForm>(this);
}

TMainForm::~TMainForm() {
  qApp->removeEventFilter(this);
  FConfigForm.reset();
  FPropForm.reset();
  FormDestroy();
  FHandOffWnd.reset();
  // The player goes before the widgets that show its picture, and fires nothing more here.
  FPlayer->setEvents({});
  FPlayer.reset();
}

void TMainForm::SetUpFont() {
  QFont formFont = font();
  formFont.setPixelSize(kFontPixels);
  setFont(formFont);
}

void TMainForm::SetUpColours() {
  Fill(centralWidget(), Qt::white);
  Fill(ui->PnlMain, Qt::white);
  Fill(ui->Panel1, Qt::white);
  Fill(ui->Panel2, Qt::black);
  for (QLabel* label : {ui->LblOpenState, ui->LblPlayState, ui->LblStatusTxt}) SetTextColour(label, QColor(0, 0, 128));
  ui->BtnSndVol->setIcon(LoudspeakerIcon());
}

void TMainForm::SetUpStatusBar() {
  QStatusBar* bar = ui->StatusBar;
  bar->setFixedHeight(kStatusBarHeight);
  for (int i = 0; i < kPanelCount; ++i) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    if (i < kPanelCount - 1) panel->setFixedWidth(kPanelWidths[i]);
    bar->addWidget(panel, i == kPanelCount - 1 ? 1 : 0);
    FStatusPanels.push_back(panel);
  }
  FStatusTexts.resize(kPanelCount);
  SetStatusText(kSearchHint, 2);
}

void TMainForm::SetUpComboList() {
  QComboBox* list = ui->ComboList;
  list->setItemDelegate(new TComboRowDelegate(list));
  list->setAttribute(Qt::WA_InputMethodEnabled, false);
}

void TMainForm::FormCreate() {
  ui->LblOpenState->clear();
  ui->LblPlayState->clear();
  ui->LblStatusTxt->clear();
  ConfigStore = new TConfig();
  FIniPath = ConfigFilePath();
  ConfigStore->LoadFromFile(FIniPath);
  FPlayer->setStretchToFit(true);
  FTickStep = std::make_unique<TTickStep>(*FPlayer, static_cast<IMainView&>(*this), FMediaList, FindFileThread(), *ConfigStore, EscapeKeyState);
  FTimerThread = std::make_unique<TTimerThread>([this] { Tick(); }, [this] { WakeForTick(); });
  FMpris = std::make_unique<TMprisService>(*FPlayer, static_cast<IMprisTarget&>(*this));
  FindFileThread().Resume();
}

void TMainForm::FormDestroy() {
  FMpris.reset();
  FTimerThread.reset();  // serves a queued tick while it waits for the thread
  FTickStep.reset();
  FindFileThread().Cancel();
  try {
    ConfigStore->SaveToFile(FIniPath);
  } catch (const std::exception& e) {
    ShowErrorBox(this, windowTitle(), QString::fromUtf8(e.what()));
  }
  delete ConfigStore;
  ConfigStore = nullptr;
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
    if (!path.empty()) FindFileThread().AddPath(path);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FShown) return;
  FShown = true;
  FormShow();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->PnlMain && event->type() == QEvent::Resize) FormResize();
  // A key reaches the window system's surface once, before any control; the
  // player's picture may be a surface of its own inside this window.
  if (event->type() == QEvent::KeyPress && IsOwnSurface(qobject_cast<QWindow*>(watched)))
    FormKeyDown(static_cast<QKeyEvent*>(event));
  if (PictureDragEvent(watched, event)) return true;
  // A drop-down list opens with Alt+Down or F4, not with the space bar that toggles play.
  if (watched == ui->ComboList && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space)
    return true;
  return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::IsOwnSurface(const QWindow* surface) const {
  for (; surface; surface = surface->parent())
    if (surface == windowHandle()) return true;
  return false;
}

bool TMainForm::PictureDragEvent(QObject* watched, QEvent* event) {
  const auto* surface = qobject_cast<QWindow*>(watched);
  if (!surface || surface == windowHandle() || !IsOwnSurface(surface)) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
      AcceptUrlDrag(*static_cast<QDragMoveEvent*>(event));
      return true;
    case QEvent::Drop:
      dropEvent(static_cast<QDropEvent*>(event));
      return true;
    default:
      return false;
  }
}

void TMainForm::AcceptUrlDrag(QDragMoveEvent& event) {
  if (event.mimeData()->hasUrls()) event.acceptProposedAction();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) { AcceptUrlDrag(*event); }

void TMainForm::dropEvent(QDropEvent* event) {
  WMDropFiles(event->mimeData()->urls());
  event->acceptProposedAction();
}

void TMainForm::WMDropFiles(const QList<QUrl>& urls) {
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) continue;
    std::string path = LocalPathBytes(url);
    if (path.size() > kMaxDroppedPath) path.resize(kMaxDroppedPath);
    FindFileThread().AddPath(path);
  }
}

uint32_t TMainForm::HandOffWndProc(uint32_t dwData, std::string_view lpData) {
  if (dwData == kActivateRequest) {
    if (!InstanceMarked()) return 0;
    Raise();
    return InstanceMarker;
  }
  if (dwData != InstanceMarker) return 0;
  SplitCommaText(lpData.substr(0, lpData.find('\0')), FHandOffList);
  // KORVANE_TRACE_HANDOFF reports each queued item, for whoever drives the program from outside.
  static const bool trace = std::getenv("KORVANE_TRACE_HANDOFF") != nullptr;
  for (const std::string& path : FHandOffList) {
    FindFileThread().AddPath(path);
    if (trace) std::fprintf(stderr, "hand-off: %s\n", path.c_str());
  }
  return 0;
}

void TMainForm::SetStatusText(const std::string& text, int index) {
  if (index < 0 || index >= kPanelCount) return;
  const auto i = static_cast<size_t>(index);
  if (FStatusTexts[i] == text) return;
  FStatusTexts[i] = text;
  FStatusPanels[i]->setText(QString::fromUtf8(text));
}

QString TMainForm::StatusText(int index) const {
  return index >= 0 && index < kPanelCount ? FStatusPanels[static_cast<size_t>(index)]->text() : QString();
}

int TMainForm::ItemCount() const { return ui->ComboList->count(); }

std::string TMainForm::Item(int index) const {
  return ui->ComboList->itemData(index, kPathRole).toByteArray().toStdString();
}

void TMainForm::AppendItem(const std::string& path) {
  // A combo box selects the first entry added to it by itself; the list's
  // selection changes only by the user or by the moves through the list.
  const QSignalBlocker quiet(ui->ComboList);
  const int index = ui->ComboList->currentIndex();
  ui->ComboList->addItem(QString::fromUtf8(ToDisplayText(ToWide(path))), QByteArray::fromStdString(path));
  ui->ComboList->setCurrentIndex(index);
}

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

void TMainForm::MenuRenameClick() {
  const std::optional<std::string> renamed = RenameCurrentMedia(*FPlayer, [this](const RenamePlan& plan, std::string& typed) {
    return InputQuery(this, "ファイル名変更", plan.Prompt(), typed);
  });
  // The old entry stays; the list skips it once its file is gone.
  if (renamed) AppendItem(*renamed);
}

void TMainForm::MenuTrashFileClick() {
  const int asked = ItemIndex();
  if (asked < 0) return;
  MoveToRecycleBin(Item(asked), this);
  // Declined or failed alike, playback goes on with the next entry, unless the
  // ticks inside the box have moved the list on already.
  if (ItemIndex() == asked) FMediaList.NextMedia();
}

void TMainForm::MenuPlayerPropClick() { FPropForm->exec(); }

void TMainForm::MenuConfClick() { FConfigForm->exec(); }

void TMainForm::MenuVersionClick() { ShowAboutDialog(this); }

void TMainForm::FormKeyDown(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space) TogglePlayPause(*FPlayer);
}

void TMainForm::ConnectPlayerEvents() {
  WMPEvents events;
  events.OpenStateChange = [this](int32_t state) { FPlayerOpenStateChange(state); };
  events.PlayStateChange = [this](int32_t state) { FPlayerPlayStateChange(state); };
  events.StatusChange = [this] { FPlayerStatusChange(); };
  events.MediaChange = [this](IWMPMedia& item) { FPlayerMediaChange(item); };
  events.Click = [this](int16_t button, int16_t shift, int32_t x, int32_t y) { FPlayerClick(button, shift, x, y); };
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
  if (InClickZone(x, y, ui->PnlMain->width(), ui->PnlMain->height())) TogglePlayPause(*FPlayer);
}

}  // namespace korvane
