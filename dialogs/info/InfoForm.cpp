#include "dialogs/info/InfoForm.h"

#include <unistd.h>

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <cstdlib>

#include "base/Format.h"
#include "base/Paths.h"
#include "dialogs/info/DesktopEntry.h"
#include "dialogs/info/DesktopFolders.h"
#include "dialogs/MessageBox.h"
#include "dialogs/info/Info.h"
#include "dialogs/info/OsDescription.h"
#include "dialogs/QtText.h"
#include "dialogs/info/ShellOpen.h"
#include "dialogs/info/SysInfo.h"
#include "dialogs/info/VersionInfo.h"
#include "platform/OwnExecutable.h"
#include "ui_InfoForm.h"

namespace korvane {
namespace {

constexpr int kTimerInterval = 500;
constexpr int kPanelBorder = 10;
constexpr int kFormMargin = 8;
constexpr int kIconSize = 32;

// The form asks for its fonts by their Windows names.
void RegisterFontSubstitutes() {
  static const bool done = [] {
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Sans Serif"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("Sans Serif"));
    return true;
  }();
  (void)done;
}

}  // namespace

TInfoForm::TInfoForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::InfoForm>()),
      Timer1(new QTimer(this)),
      exePath_(OwnExecutablePath()) {
  RegisterFontSubstitutes();
  ui_->setupUi(this);
  setFocusPolicy(Qt::StrongFocus);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kTimerInterval);
  connect(Timer1, &QTimer::timeout, this, &TInfoForm::Timer1Timer);
  BindClick(ui_->LblExeName, &TInfoForm::LblExeNameClick);
  BindClick(ui_->lblURL, &TInfoForm::lblURLClick);
  BindClick(ui_->Label1, &TInfoForm::Label1Click);
  BindClick(ui_->lblMail, &TInfoForm::lblMailClick);
  for (QLabel* l : {ui_->LblLaunchOnDesktop, ui_->LblLaunchOnStartup, ui_->LblLaunchOnSendTo}) {
    BindClick(l, &TInfoForm::LblLaunchOnStartupClick);
  }
  for (QLabel* l : {ui_->LblOpenFolderIn, ui_->LblOpenStartup, ui_->LblOpenSendTo}) {
    BindClick(l, &TInfoForm::LblOpenStartupClick);
  }
  FormCreate();
  Timer1->start();
}

TInfoForm::~TInfoForm() = default;

void TInfoForm::FormCreate() {
  // Read through the running image: the file at exePath_ may have been replaced since the start.
  fileVersion_ = GetVersionValue("FileVersion", kOwnImage);
  SetFormCaption();
  ui_->LblFileDescription->setText(QtText(GetVersionValue("FileDescription", kOwnImage)));
  ui_->LblExeName->setText(QtText(ExtractFileName(exePath_)));
  ui_->AppIcon->setPixmap(QApplication::windowIcon().pixmap(kIconSize, kIconSize));
  UpdateStatus();
  ui_->LblOsVersion->setText(QtText(OsVersionLine(GetOSDescription())));
  ui_->LblExeVersion->setText(QtText(Format("Ver.%s", {fileVersion_})));
  FitToContents();
  CenterOnWorkArea();
}

void TInfoForm::SetFormCaption() {
  setWindowTitle(QtText(InfoFormCaption(ApplicationTitle(exePath_), fileVersion_, objectName().toStdString())));
}

void TInfoForm::CenterOnWorkArea() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect frame = frameGeometry();
  const FormPosition p = CenteredOnWorkArea(area.x(), area.y(), area.x() + area.width(), area.y() + area.height(),
                                            frame.width(), frame.height());
  move(p.left, p.top);
}

void TInfoForm::FitToContents() {
  QRect bounds;
  for (QWidget* child : ui_->PnlBack->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isHidden()) continue;
    if (child != ui_->AppIcon) child->adjustSize();
    bounds |= child->geometry();
  }
  ui_->PnlBack->resize(bounds.x() + bounds.width() + kPanelBorder, bounds.y() + bounds.height() + kPanelBorder);
  const QRect panel = ui_->PnlBack->geometry();
  setFixedSize(panel.x() + panel.width() + kFormMargin, panel.y() + panel.height() + kFormMargin);
}

void TInfoForm::UpdateStatus() {
  SystemStatus status = ReadSystemStatus();
  peaks_.Apply(status);
  const auto lines = StatusLines(status);
  QLabel* const labels[] = {ui_->LblPhys,           ui_->LblPageFile,       ui_->LblVirtual,
                            ui_->LblWorkingSetSize, ui_->LblPageFaultCount, ui_->LblPagefileUsage,
                            ui_->LblPagedPoolUsage, ui_->LblNonPagedPoolUsage, ui_->LblProcessTime};
  for (size_t i = 0; i < lines.size(); ++i) labels[i]->setText(QtText(lines[i]));
}

void TInfoForm::Timer1Timer() {
  Timer1->stop();
  UpdateStatus();
  FitToContents();
  Timer1->start();
}

void TInfoForm::FormKeyDown() { close(); }

bool TInfoForm::event(QEvent* e) {
  // The form previews every key, modifiers alone included, and any key closes it.
  if (e->type() == QEvent::ShortcutOverride) {
    e->accept();
    return true;
  }
  if (e->type() == QEvent::KeyPress) {
    FormKeyDown();
    return true;
  }
  return QDialog::event(e);
}

void TInfoForm::BindClick(QLabel* label, Handler handler) {
  clicks_[label] = handler;
  label->installEventFilter(this);
}

bool TInfoForm::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(e);
    const auto* label = qobject_cast<QWidget*>(watched);
    const auto found = clicks_.find(watched);
    if (found != clicks_.end() && label && mouse->button() == Qt::LeftButton &&
        label->rect().contains(mouse->position().toPoint())) {
      RunClick(watched, found->second);
      return true;
    }
  }
  return QDialog::eventFilter(watched, e);
}

// A failing handler shows its error and leaves the dialog open.
void TInfoForm::RunClick(QObject* Sender, Handler handler) {
  try {
    (this->*handler)(Sender);
  } catch (const std::exception& error) {
    ShowErrorBox(this, QtText(ApplicationTitle(exePath_)), QString::fromUtf8(error.what()));
  }
}

void TInfoForm::LblExeNameClick(QObject*) { ShowFileProperties(exePath_); }

void TInfoForm::lblURLClick(QObject*) { ShellOpen(ui_->lblURL->text().toStdString(), ""); }

void TInfoForm::Label1Click(QObject* Sender) {
  if (const auto* label = qobject_cast<QWidget*>(Sender)) ShellOpen(label->toolTip().toStdString(), "");
}

void TInfoForm::lblMailClick(QObject*) {
  ShellOpen(Format("MailTo:%s?subject=from [%s] user",
                   {ui_->lblMail->text().toStdString(), ExtractFileName(exePath_)}),
            "");
}

void TInfoForm::LblLaunchOnStartupClick(QObject* Sender) {
  std::string folder;
  if (Sender == ui_->LblLaunchOnDesktop) folder = GetDesktopFolder();
  else if (Sender == ui_->LblLaunchOnStartup) folder = GetStartupFolder();
  else if (Sender == ui_->LblLaunchOnSendTo) folder = GetSendToFolder();
  else return;
  CreateShortcut(exePath_, folder, StripFileExt(ExtractFileName(exePath_)));
}

void TInfoForm::LblOpenStartupClick(QObject* Sender) {
  if (Sender == ui_->LblOpenFolderIn) ShellOpen(ExtractFilePath(exePath_), "");
  else if (Sender == ui_->LblOpenStartup) ShellOpen(GetStartupFolder(), "");
  else if (Sender == ui_->LblOpenSendTo) ShellOpen(GetSendToFolder(), "");
}

void ShowAboutDialog(QWidget* owner) {
  QPointer<TInfoForm> form = new TInfoForm(owner);
  struct Release {
    QPointer<TInfoForm>& form;
    ~Release() { delete form.data(); }
  } release{form};
  form->exec();
}

}  // namespace korvane
