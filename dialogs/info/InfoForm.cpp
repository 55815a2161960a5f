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
      FUi(std::make_unique<Ui::InfoForm>()),
      Timer1(new QTimer(this)),
      FExePath(OwnExecutablePath()) {
  RegisterFontSubstitutes();
  FUi->setupUi(this);
  setFocusPolicy(Qt::StrongFocus);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kTimerInterval);
  connect(Timer1, &QTimer::timeout, this, &TInfoForm::Timer1Timer);
  BindClick(FUi->LblExeName, &TInfoForm::LblExeNameClick);
  BindClick(FUi->lblURL, &TInfoForm::lblURLClick);
  BindClick(FUi->Label1, &TInfoForm::Label1Click);
  BindClick(FUi->lblMail, &TInfoForm::lblMailClick);
  for (QLabel* l : {FUi->LblLaunchOnDesktop, FUi->LblLaunchOnStartup, FUi->LblLaunchOnSendTo}) {
    BindClick(l, &TInfoForm::LblLaunchOnStartupClick);
  }
  for (QLabel* l : {FUi->LblOpenFolderIn, FUi->LblOpenStartup, FUi->LblOpenSendTo}) {
    BindClick(l, &TInfoForm::LblOpenStartupClick);
  }
  FormCreate();
  Timer1->start();
}

TInfoForm::~TInfoForm() = default;

void TInfoForm::FormCreate() {
  // Read through the running image: the file at FExePath may have been replaced since the start.
  FFileVersion = GetVersionValue("FileVersion", kOwnImage);
  SetFormCaption();
  FUi->LblFileDescription->setText(QtText(GetVersionValue("FileDescription", kOwnImage)));
  FUi->LblExeName->setText(QtText(ExtractFileName(FExePath)));
  FUi->AppIcon->setPixmap(QApplication::windowIcon().pixmap(kIconSize, kIconSize));
  UpdateStatus();
  FUi->LblOsVersion->setText(QtText(OsVersionLine(GetOSDescription())));
  FUi->LblExeVersion->setText(QtText(Format("Ver.%s", {FFileVersion})));
  FitToContents();
  CenterOnWorkArea();
}

void TInfoForm::SetFormCaption() {
  setWindowTitle(QtText(InfoFormCaption(ApplicationTitle(FExePath), FFileVersion, objectName().toStdString())));
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
  for (QWidget* child : FUi->PnlBack->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isHidden()) continue;
    if (child != FUi->AppIcon) child->adjustSize();
    bounds |= child->geometry();
  }
  FUi->PnlBack->resize(bounds.x() + bounds.width() + kPanelBorder, bounds.y() + bounds.height() + kPanelBorder);
  const QRect panel = FUi->PnlBack->geometry();
  setFixedSize(panel.x() + panel.width() + kFormMargin, panel.y() + panel.height() + kFormMargin);
}

void TInfoForm::UpdateStatus() {
  SystemStatus status = ReadSystemStatus();
  FPeaks.Apply(status);
  const auto lines = StatusLines(status);
  QLabel* const labels[] = {FUi->LblPhys,           FUi->LblPageFile,       FUi->LblVirtual,
                            FUi->LblWorkingSetSize, FUi->LblPageFaultCount, FUi->LblPagefileUsage,
                            FUi->LblPagedPoolUsage, FUi->LblNonPagedPoolUsage, FUi->LblProcessTime};
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
  FClicks[label] = handler;
  label->installEventFilter(this);
}

bool TInfoForm::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(e);
    const auto* label = qobject_cast<QWidget*>(watched);
    const auto found = FClicks.find(watched);
    if (found != FClicks.end() && label && mouse->button() == Qt::LeftButton &&
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
    ShowErrorBox(this, QtText(ApplicationTitle(FExePath)), QString::fromUtf8(error.what()));
  }
}

void TInfoForm::LblExeNameClick(QObject*) { ShowFileProperties(FExePath); }

void TInfoForm::lblURLClick(QObject*) { ShellOpen(FUi->lblURL->text().toStdString(), ""); }

void TInfoForm::Label1Click(QObject* Sender) {
  if (const auto* label = qobject_cast<QWidget*>(Sender)) ShellOpen(label->toolTip().toStdString(), "");
}

void TInfoForm::lblMailClick(QObject*) {
  ShellOpen(Format("MailTo:%s?subject=from [%s] user",
                   {FUi->lblMail->text().toStdString(), ExtractFileName(FExePath)}),
            "");
}

void TInfoForm::LblLaunchOnStartupClick(QObject* Sender) {
  std::string folder;
  if (Sender == FUi->LblLaunchOnDesktop) folder = GetDesktopFolder();
  else if (Sender == FUi->LblLaunchOnStartup) folder = GetStartupFolder();
  else if (Sender == FUi->LblLaunchOnSendTo) folder = GetSendToFolder();
  else return;
  CreateShortcut(FExePath, folder, StripFileExt(ExtractFileName(FExePath)));
}

void TInfoForm::LblOpenStartupClick(QObject* Sender) {
  if (Sender == FUi->LblOpenFolderIn) ShellOpen(ExtractFilePath(FExePath), "");
  else if (Sender == FUi->LblOpenStartup) ShellOpen(GetStartupFolder(), "");
  else if (Sender == FUi->LblOpenSendTo) ShellOpen(GetSendToFolder(), "");
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
