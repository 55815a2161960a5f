#include "config/ConfigForm.h"

#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>

#include "base/IntParse.h"
#include "base/Utf.h"
#include "ui_ConfigForm.h"

namespace korvane {
namespace {

QString ToQString(const std::string& text) {
  QString s = QString::fromStdU16String(ToWide(text));
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

std::string ToText(const QString& s) { return ToNarrow(s.toStdU16String()); }

// The memo's lines as typed: the raw text keeps no-break spaces, which the
// plain-text view would turn into blanks, and separates paragraphs by U+2029.
std::string MemoText(const QPlainTextEdit& memo) {
  QString raw = memo.document()->toRawText();
  raw.replace(QChar::ParagraphSeparator, u'\n');
  raw.replace(QChar::LineSeparator, u'\n');
  return ToText(raw);
}

// Exit validation runs when the focus moves to another control of the dialog,
// not when the dialog loses the focus to another window or a menu.
bool IsExit(const QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

// Dropped files and folders would arrive as "file://" text: the fields hold
// names, extensions and numbers, so they take no addresses.
bool IsUrlDrag(const QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  const QMimeData* data = static_cast<const QDropEvent*>(event)->mimeData();
  return data && data->hasUrls();
}

}  // namespace

TConfigForm::TConfigForm(QWidget* mainWindow, TConfig& store)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FUi(std::make_unique<Ui::ConfigForm>()),
      ConfigStore(store) {
  FUi->setupUi(this);
  setFixedSize(382, 285);
  for (QWidget* w : {static_cast<QWidget*>(FUi->EditLowerSize), static_cast<QWidget*>(FUi->EditSample),
                     static_cast<QWidget*>(FUi->MemIgnoreExt)}) {
    w->setAttribute(Qt::WA_InputMethodEnabled, false);
  }
  FUi->UpdnSample->setAssociate(FUi->EditSample);
  // The memos take drops on their viewports.
  for (QWidget* w : {static_cast<QWidget*>(FUi->EditLowerSize), static_cast<QWidget*>(FUi->EditSample),
                     FUi->MemIgnoreList->viewport(), FUi->MemIgnoreExt->viewport()}) {
    w->installEventFilter(this);
  }
}

TConfigForm::~TConfigForm() = default;

void TConfigForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TConfigForm::FormShow() {
  ConfigFormView view;
  ConfigStore.ToForm(view);
  ShowView(view);
}

// Escape closes nothing: the dialog has no cancel button.
void TConfigForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TConfigForm::eventFilter(QObject* watched, QEvent* event) {
  if (IsUrlDrag(event)) {
    event->ignore();
    return true;
  }
  if (IsExit(event)) {
    if (watched == FUi->EditLowerSize) EditLowerSizeExit();
    if (watched == FUi->EditSample) EditSampleExit();
  }
  return QDialog::eventFilter(watched, event);
}

int32_t TConfigForm::LowerSizeTag() const { return FUi->EditLowerSize->property("Tag").toInt(); }

void TConfigForm::SetLowerSize(int32_t bound) {
  FUi->EditLowerSize->setProperty("Tag", bound);
  FUi->EditLowerSize->setText(QString::number(bound));
}

// An invalid or negative bound gives way to the last accepted one; a valid
// text stays as typed ("007" keeps its zeros, the bound is 7).
void TConfigForm::EditLowerSizeExit() {
  QLineEdit* edit = FUi->EditLowerSize;
  const int32_t typed = ParseInt(ToText(edit->text())).value_or(-1);
  if (typed < 0) edit->setText(QString::number(LowerSizeTag()));
  edit->setProperty("Tag", StrToIntDef(ToText(edit->text()), 0));
}

// A number above the up-down's range stays; the multipliers then use its last position.
void TConfigForm::EditSampleExit() {
  const auto typed = ParseInt(ToText(FUi->EditSample->text()));
  if (!typed || *typed < 0) FUi->EditSample->setText(QString::number(FUi->UpdnSample->position()));
}

void TConfigForm::BtnKBClick() { SetLowerSize(FUi->UpdnSample->position() * 1024); }

void TConfigForm::BtnMBClick() { SetLowerSize(FUi->UpdnSample->position() * 1048576); }

void TConfigForm::BtnApplyClick() {
  ConfigStore.FromForm(ReadView());
  close();
}

void TConfigForm::BtnCancelClick() { close(); }

ConfigFormView TConfigForm::ReadView() const {
  ConfigFormView view;
  view.ChkReadOnly = FUi->ChkReadOnly->isChecked();
  view.ChkHidden = FUi->ChkHidden->isChecked();
  view.ChkSysFile = FUi->ChkSysFile->isChecked();
  view.MemIgnoreList = MemoText(*FUi->MemIgnoreList);
  view.MemIgnoreExt = MemoText(*FUi->MemIgnoreExt);
  view.EditLowerSizeText = ToText(FUi->EditLowerSize->text());
  view.EditLowerSizeTag = LowerSizeTag();
  return view;
}

void TConfigForm::ShowView(const ConfigFormView& view) {
  FUi->ChkReadOnly->setChecked(view.ChkReadOnly);
  FUi->ChkHidden->setChecked(view.ChkHidden);
  FUi->ChkSysFile->setChecked(view.ChkSysFile);
  FUi->MemIgnoreList->setPlainText(ToQString(view.MemIgnoreList));
  FUi->MemIgnoreExt->setPlainText(ToQString(view.MemIgnoreExt));
  FUi->EditLowerSize->setText(ToQString(view.EditLowerSizeText));
  FUi->EditLowerSize->setProperty("Tag", view.EditLowerSizeTag);
}

}  // namespace korvane
